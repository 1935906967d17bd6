// Conversion through LibreOffice: real round trips, and a stand-in `soffice` on the PATH
// for the failures (missing program, failing program, one that never ends), through the
// command-line converter and the one that keeps LibreOffice running.
#include "convert/soffice.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "convert/converter.h"
#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kv::testing::ProcessesMentioning;
using kv::testing::ReadFileBytes;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;
const auto kConverters = {kv::word::MakeCommandLineConverter, kv::word::MakeDocumentConverter};

// A process that is gone or a zombie no longer runs; a killed one may take a moment to go.
bool Gone(const std::string& pid) {
  for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(50ms)) {
    std::ifstream stat("/proc/" + pid + "/stat");
    const std::string text(std::istreambuf_iterator<char>(stat), {});
    const auto close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size() || text[close + 2] == 'Z')
      return true;
  }
  return false;
}

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// Every temporary folder of a conversion lands in `temp`, so a leftover shows; PATH and
// TMPDIR are put back at the end.
class SofficeTest : public ::testing::Test {
 protected:
  SofficeTest() { setenv("TMPDIR", temp.path().c_str(), 1); }
  ~SofficeTest() override {
    setenv("PATH", path.c_str(), 1);
    if (tmpdir.empty()) unsetenv("TMPDIR");
    if (!tmpdir.empty()) setenv("TMPDIR", tmpdir.c_str(), 1);
  }

  bool TempIsEmpty() const { return fs::is_empty(temp.path()); }

  // Puts a stand-in `soffice` with the given shell body ("": none at all) alone on the PATH.
  void FakeSoffice(const std::string& body) {
    const fs::path bin = work.path() / "bin", script = bin / "soffice";
    fs::create_directories(bin);
    fs::remove(script);
    setenv("PATH", (bin.string() + (body.empty() ? "" : ":/usr/bin:/bin")).c_str(), 1);
    if (body.empty()) return;
    std::ofstream(script) << "#!/bin/sh\nhere='" << bin.string() << "'\n" << body << "\n";
    chmod(script.c_str(), 0755);
  }

  std::string SmallDocx(const std::string& name) {
    kv::testing::DocxBuilder()
        .Paragraph("Plan de travail \xE2\x80\x93 \xD0\xBF\xD0\xBB\xD0\xB0\xD0\xBD")
        .Save(work / name);
    return work / name;
  }

  kv::testing::TempDir work, temp;
  const std::string path = std::getenv("PATH");
  const std::string tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
};

TEST_F(SofficeTest, AFileThatIsNotADocumentGivesLibreOfficesReason) {
  const std::string input = work / "broken.docx";
  std::ofstream(input) << "PK\x03\x04 not really a package";
  for (const auto& make : kConverters) {
    const auto result = make({120s})->Convert(input, "doc", work.path().string());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason,
              "LibreOffice wrote no doc file: Error: source file could not be loaded");
    EXPECT_FALSE(fs::exists(work / "broken.doc"));
    EXPECT_TRUE(TempIsEmpty());
  }
}

TEST_F(SofficeTest, FailuresGiveTheirReasonAndLeaveNothingBehind) {
  const std::string input = SmallDocx("plan.docx"), before = ReadFileBytes(input);
  std::ofstream(work / "plan.doc") << "old output";  // must not pass for this run's output
  const struct {
    std::string script, input, format, reason;
  } cases[] = {
      {"", input, "doc", "LibreOffice (soffice) was not found on the PATH"},
      {"echo starting\necho 'Error: no filter' >&2\nexit 3", input, "doc",
       "LibreOffice failed with exit status 3: Error: no filter"},
      {"exit 0", input, "doc", "LibreOffice wrote no doc file"},
      {"exit 0", work / "nowhere.doc", "docx",
       "cannot convert " + (work / "nowhere.doc") + ": no such file"},
      {"exit 0", input, "docx", "cannot convert " + input + " onto itself"},
  };
  for (const auto& make : kConverters) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.reason);
      FakeSoffice(c.script);
      const auto result = make({5s})->Convert(c.input, c.format, work.path().string());
      EXPECT_FALSE(result.ok);
      EXPECT_EQ(result.reason, c.reason);
      EXPECT_TRUE(TempIsEmpty());
    }
  }
  EXPECT_EQ(ReadFileBytes(input), before);
}

// One converter for several documents: a LibreOffice that hangs while starting is killed
// at the time limit and the documents after it fail at once with the same reason; on a
// converter that did not time out, one that crashed is replaced, and the last is ended
// with the converter.
TEST_F(SofficeTest, TheWarmConverterOutlivesACrashGivesUpAfterAHangAndLeavesNothingBehind) {
  const std::string input = SmallDocx("plan.docx"), before = ReadFileBytes(input),
                    pid = work / "bin/pid";
  const std::string timedOut = "LibreOffice did not finish within 15 s and was stopped";
  auto hung = kv::word::MakeDocumentConverter({15s});
  FakeSoffice("echo $$ > \"$here/pid\"\nsleep 300");
  EXPECT_EQ(hung->Convert(input, "doc", work.path().string()).reason, timedOut);
  EXPECT_TRUE(Gone(FirstLine(pid)));
  fs::remove(pid);
  EXPECT_EQ(hung->Convert(input, "doc", work.path().string()).reason, timedOut);
  EXPECT_FALSE(fs::exists(pid)) << "no LibreOffice started after the hang";
  EXPECT_TRUE(TempIsEmpty());
  hung.reset();

  setenv("PATH", path.c_str(), 1);
  auto converter = kv::word::MakeDocumentConverter({15s});
  for (const bool crash : {false, true}) {
    for (pid_t running : crash ? ProcessesMentioning(temp.path()) : std::vector<pid_t>{}) {
      kill(running, SIGKILL);
      ASSERT_TRUE(Gone(std::to_string(running)));
    }
    SCOPED_TRACE(crash ? "after a crash" : "first conversion");
    const auto result = converter->Convert(input, "doc", work.path().string());
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(ReadFileBytes(result.output).substr(0, 4), "\xD0\xCF\x11\xE0");
  }
  converter.reset();
  EXPECT_EQ(ProcessesMentioning(temp.path()), std::vector<pid_t>{});
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_EQ(ReadFileBytes(input), before);
}

TEST_F(SofficeTest, AHangingConverterIsKilledWithItsWholeGroup) {
  const std::string input = SmallDocx("plan with space.docx");
  FakeSoffice(
      "printf '%s\\n' \"$@\" > \"$here/args\"\nsleep 300 &\necho $! > \"$here/child\"\n"
      "echo $$ > \"$here/pid\"\nsleep 300");
  const auto result = kv::word::ConvertDocument(input, "doc", work.path().string(), 1s);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, "LibreOffice did not finish within 1 s and was stopped");
  EXPECT_TRUE(Gone(FirstLine(work / "bin/pid")));
  EXPECT_TRUE(Gone(FirstLine(work / "bin/child")));
  EXPECT_TRUE(TempIsEmpty());
  std::ifstream argsFile(work / "bin/args");
  Strings args;
  for (std::string line; std::getline(argsFile, line);) args.push_back(line);
  ASSERT_EQ(args.size(), 11u);
  EXPECT_TRUE(args[5].starts_with("-env:UserInstallation=file://" + temp / "kv-soffice-"));
  args[5] = "";
  EXPECT_EQ(args,
            Strings({"--headless", "--norestore", "--nologo", "--nolockcheck", "--nodefault", "",
                     "--convert-to", "doc:MS Word 97", "--outdir", work.path().string(), input}));
}

}  // namespace
