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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "convert/converter.h"
#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kv::testing::DocxBuilder;
using kv::testing::ProcessesMentioning;
using kv::testing::ReadFileBytes;
using kv::testing::TempDir;
using kv::word::ConvertDocument;
using kv::word::DocumentConverter;
using namespace std::chrono_literals;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A process that is gone or a zombie no longer runs.
bool Running(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// A killed process may take a moment to go, more so on a busy machine.
bool Gone(const std::string& pid) {
  for (int i = 0; i < 100 && Running(pid); ++i) std::this_thread::sleep_for(50ms);
  return !Running(pid);
}

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

class SofficeTest : public ::testing::Test {
 protected:
  TempDir work;
  // Every temporary folder of a conversion lands here, so a leftover shows.
  TempDir temp;
  ScopedEnv tmpdir{"TMPDIR", temp.path().string()};

  bool TempIsEmpty() const { return fs::is_empty(temp.path()); }

  // Puts a stand-in `soffice` with the given shell body alone on the PATH.
  std::string FakeSoffice(const std::string& body) {
    const fs::path bin = work.path() / "bin";
    fs::create_directories(bin);
    const fs::path script = bin / "soffice";
    fs::remove(script);
    if (body.empty()) return bin.string();
    std::ofstream(script) << "#!/bin/sh\nhere='" << bin.string() << "'\n" << body << "\n";
    chmod(script.c_str(), 0755);
    return bin.string() + ":/usr/bin:/bin";
  }

  std::string SmallDocx(const std::string& name) {
    const std::string path = work / name;
    DocxBuilder()
        .Paragraph("Plan de travail \xE2\x80\x93 \xD0\xBF\xD0\xBB\xD0\xB0\xD0\xBD")
        .Save(path);
    return path;
  }
};

TEST_F(SofficeTest, AFileThatIsNotADocumentGivesLibreOfficesReason) {
  const std::string input = work / "broken.docx";
  std::ofstream(input) << "PK\x03\x04 not really a package";
  for (const auto& make : {kv::word::MakeCommandLineConverter, kv::word::MakeDocumentConverter}) {
    const auto result = make({120s})->Convert(input, "doc", work.path().string());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason,
              "LibreOffice wrote no doc file: Error: source file could not be loaded");
    EXPECT_FALSE(fs::exists(work / "broken.doc"));
    EXPECT_TRUE(TempIsEmpty());
  }
}

// Each case puts a stand-in `soffice` ("": none at all) alone on the PATH.
TEST_F(SofficeTest, FailuresGiveTheirReasonAndLeaveNothingBehind) {
  const std::string input = SmallDocx("plan.docx");
  const std::string before = ReadFileBytes(input);
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
  for (const auto& make : {kv::word::MakeCommandLineConverter, kv::word::MakeDocumentConverter}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.reason);
      ScopedEnv path("PATH", FakeSoffice(c.script));
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
  const std::string input = SmallDocx("plan.docx");
  const std::string before = ReadFileBytes(input);
  const std::string timedOut = "LibreOffice did not finish within 15 s and was stopped";
  {
    auto hung = kv::word::MakeDocumentConverter({15s});
    ScopedEnv path("PATH", FakeSoffice("echo $$ > \"$here/pid\"\nsleep 300"));
    EXPECT_EQ(hung->Convert(input, "doc", work.path().string()).reason, timedOut);
    EXPECT_TRUE(Gone(FirstLine(work / "bin/pid")));
    fs::remove(work / "bin/pid");
    EXPECT_EQ(hung->Convert(input, "doc", work.path().string()).reason, timedOut);
    EXPECT_FALSE(fs::exists(work / "bin/pid")) << "no LibreOffice started after the hang";
    EXPECT_TRUE(TempIsEmpty());
  }
  auto converter = kv::word::MakeDocumentConverter({15s});
  for (const bool crash : {false, true}) {
    for (pid_t pid : crash ? ProcessesMentioning(temp.path().string()) : std::vector<pid_t>{}) {
      kill(pid, SIGKILL);
      ASSERT_TRUE(Gone(std::to_string(pid)));
    }
    SCOPED_TRACE(crash ? "after a crash" : "first conversion");
    const auto result = converter->Convert(input, "doc", work.path().string());
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(ReadFileBytes(result.output).substr(0, 4), "\xD0\xCF\x11\xE0");
  }
  converter.reset();
  EXPECT_EQ(ProcessesMentioning(temp.path().string()), std::vector<pid_t>{});
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_EQ(ReadFileBytes(input), before);
}

TEST_F(SofficeTest, AHangingConverterIsKilledWithItsWholeGroup) {
  const std::string input = SmallDocx("plan with space.docx");
  ScopedEnv path("PATH", FakeSoffice("printf '%s\\n' \"$@\" > \"$here/args\"\n"
                                     "sleep 300 &\necho $! > \"$here/child\"\n"
                                     "echo $$ > \"$here/pid\"\nsleep 300"));
  const auto started = std::chrono::steady_clock::now();
  const auto result = ConvertDocument(input, "doc", work.path().string(), 1s);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, "LibreOffice did not finish within 1 s and was stopped");
  EXPECT_TRUE(Gone(FirstLine(work / "bin/pid")));
  EXPECT_TRUE(Gone(FirstLine(work / "bin/child")));
  EXPECT_TRUE(TempIsEmpty());

  std::ifstream argsFile(work / "bin/args");
  std::vector<std::string> args;
  for (std::string line; std::getline(argsFile, line);) args.push_back(line);
  ASSERT_EQ(args.size(), 11u);
  EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 5),
            std::vector<std::string>(
                {"--headless", "--norestore", "--nologo", "--nolockcheck", "--nodefault"}));
  EXPECT_TRUE(
      args[5].starts_with("-env:UserInstallation=file://" + temp.path().string() + "/kv-soffice-"));
  EXPECT_EQ(std::vector<std::string>(args.begin() + 6, args.end()),
            std::vector<std::string>(
                {"--convert-to", "doc:MS Word 97", "--outdir", work.path().string(), input}));
}

}  // namespace
