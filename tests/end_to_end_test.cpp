// Whole runs of kv as data: every tests/runs/NAME says how the folder is made and how kv
// is started; tests/golden/NAME holds what the run left: status, output, every kv.log,
// the typed findings and shaded cells of each new copy, the files. KV_UPDATE_GOLDEN=1
// rewrites the golden files instead of comparing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;              // relative name: bytes
using Case = std::map<std::string, std::vector<std::string>>;  // key: its lines, in order

const fs::path kRuns = KV_SOURCE_DIR "/tests/runs", kGolden = KV_SOURCE_DIR "/tests/golden";

// A plan is a preset and words that change it: for "clean" "ru", "participants=N",
// "months=N", "flat-schedule" (one task of one day a quarter), "empty-subtasks=N" (one task
// of N subtasks without days), "expense=INSTITUTION:ROW:AMOUNT" and, after the words that
// size the plan, "rate=INSTITUTION:CATEGORY:PERSON:RATE" (categories from 0); for any
// built plan "cell=SECTION:ROW:COLUMN:NTH:TEXT" (a ROW below 1 counts back from the end).
std::vector<std::string> Fields(const std::string& word) {
  std::vector<std::string> fields;
  std::istringstream in(std::regex_replace(word, std::regex("="), ":"));
  for (std::string field; std::getline(in, field, ':');) fields.push_back(field);
  return fields;
}

WorkPlan CleanPlan(const std::vector<std::vector<std::string>>& words) {
  WorkPlan plan;
  for (const auto& f : words) {
    const auto n = [&](std::size_t k) { return std::stoi(f.at(k)); };
    if (f[0] == "ru") plan.russian = true;
    if (f[0] == "participants") plan.participants = n(1);
    if (f[0] == "months") plan.months = n(1);
    if (f[0] == "flat-schedule") plan.schedule = {{{}, std::vector<double>(plan.Quarters(), 1)}};
    if (f[0] == "empty-subtasks")
      plan.schedule = {{std::vector<std::vector<double>>(n(1), std::vector<double>(8, 0)), {}}};
    if (f[0] == "expense") {
      plan.expenses.resize(std::max<std::size_t>(plan.expenses.size(), n(1) + 1));
      plan.expenses[n(1)].push_back({n(2), std::stod(f.at(3))});
    }
    if (f[0] == "rate" && plan.personnel.empty())
      plan.personnel.assign(plan.participants + 1, DefaultStaff(plan.russian, plan.Years()));
    if (f[0] == "rate") plan.personnel[n(1)].categories[n(2)][n(3)].rate = n(4);
  }
  return plan;
}

WorkPlanDocument BuiltPlan(const std::string& preset,
                           const std::vector<std::vector<std::string>>& words) {
  auto doc = preset == "clean"                ? BuildWorkPlan(CleanPlan(words))
             : preset == "cost-mistakes"      ? PlanWithCostMistakes()
             : preset == "personnel-mistakes" ? PlanWithPersonnelMistakes()
                                              : throw std::invalid_argument("no plan " + preset);
  for (const auto& f : words) {
    if (f[0] != "cell") continue;
    const int row = std::stoi(f.at(2)), nth = std::stoi(f.at(4));
    const int size = static_cast<int>(doc.TableOf(f[1], nth).size());
    doc.Cell(f[1], row < 1 ? size + row : row, std::stoi(f.at(3)), nth) = f.at(5);
  }
  return doc;
}

// Besides the built plans: "example:NAME" (a bundled sample), "unstructured" (opens, but
// has none of the headings of a work plan) and "bare-ampersand" (malformed XML).
void SavePlan(const std::string& spec, const std::string& path) {
  std::istringstream in(spec);
  std::string preset;
  in >> preset;
  std::vector<std::vector<std::string>> words;
  for (std::string word; in >> word;) words.push_back(Fields(word));
  fs::create_directories(fs::path(path).parent_path());
  if (preset.starts_with("example:"))
    fs::copy_file(KV_SOURCE_DIR "/examples/" + preset.substr(8), path);
  else if (preset == "unstructured")
    DocxBuilder()
        .Paragraph("A project description without the headings of a work plan.")
        .Paragraph("Second paragraph.")
        .Save(path);
  else if (preset == "bare-ampersand")
    DocxBuilder()
        .Paragraph("R&D")
        .Edit([](auto& xml) { xml.replace(xml.find("&amp;"), 5, "&"); })
        .Save(path);
  else
    BuiltPlan(preset, words).Save(path);
}

Case ReadCase(const std::string& name) {
  Case c;
  std::ifstream in(kRuns / name);
  for (std::string line; std::getline(in, line);) {
    const auto space = std::min(line.find(' '), line.size());
    if (!line.empty() && line[0] != '#')
      c[line.substr(0, space)].push_back(line.substr(std::min(space + 1, line.size())));
  }
  return c;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

int Shell(const fs::path& folder, const std::string& commands) {
  const int raw =
      std::system(("cd '" + folder.string() + "' && KV='" KV_BINARY "'\n" + commands).c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Regular files below a folder with their bytes; links and FIFOs are not followed.
Files Snapshot(const fs::path& folder) {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && !entry.is_symlink())
      files[entry.path().lexically_relative(folder).string()] = ReadFileBytes(entry.path());
  return files;
}

std::string FileLine(const fs::path& path, const std::string& name, const Files& before) {
  const auto status = fs::symlink_status(path);
  if (fs::is_symlink(status)) return name + " -> " + fs::read_symlink(path).string();
  if (fs::is_directory(status)) return name + "/";
  if (!fs::is_regular_file(status)) return name + " (not a regular file)";
  const auto links = fs::hard_link_count(path);
  const std::string line = name + (links > 1 ? " (" + std::to_string(links) + " links)" : "");
  if (!before.count(name)) return line + " (new)";
  return before.at(name) == ReadFileBytes(path) ? line : line + " (changed)";
}

std::string Listing(const fs::path& folder, const std::string& prefix, const Files& before) {
  std::vector<std::string> lines;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    lines.push_back(prefix +
                    FileLine(entry.path(), entry.path().lexically_relative(folder), before));
  std::sort(lines.begin(), lines.end());
  return Joined(lines);
}

// The cells with a fill in document order ("shaded TABLE ROW COLUMN FILL"), and how many
// runs of text are left to the spelling checker.
std::string ShadedCells(const std::string& docx) {
  const std::string xml = PackageEntries(docx).at("word/document.xml");
  pugi::xml_document document;
  document.load_buffer(xml.data(), xml.size());
  std::string text;
  for (const auto& found :
       document.select_nodes("//w:tc[w:tcPr/w:shd[@w:fill!='auto' and @w:fill!='']]")) {
    const auto number = [&](const char* query) {
      return std::to_string(
                 static_cast<int>(pugi::xpath_query(query).evaluate_number(found.node()))) +
             " ";
    };
    text += "shaded " + number("count(preceding::w:tbl) + count(ancestor::w:tbl)") +
            number("count(../preceding-sibling::w:tr) + 1") +
            number("count(preceding-sibling::w:tc) + 1") +
            found.node().child("w:tcPr").child("w:shd").attribute("w:fill").value() + "\n";
  }
  const auto spelt = document.select_nodes("//w:r[not(w:rPr/w:noProof)]").size();
  return text + "runs checked for spelling: " + std::to_string(spelt) + "\n";
}

// A copy: the paragraphs typed above those the plan ends with, then its shaded cells.
std::string CopyReport(const fs::path& copy, const fs::path& plan) {
  const auto typed = BodyParagraphs(copy);
  const auto own = fs::is_regular_file(plan) ? BodyParagraphs(plan) : std::vector<std::string>{};
  std::size_t common = 0;
  while (common < std::min(own.size(), typed.size()) &&
         own[own.size() - 1 - common] == typed[typed.size() - 1 - common])
    ++common;
  return Joined({typed.begin(), typed.end() - static_cast<std::ptrdiff_t>(common)}) +
         ShadedCells(copy);
}

std::string Section(const std::string& title, const std::string& body) {
  return "== " + title + "\n" + body +
         (body.empty() || body.back() == '\n' ? "" : "\n\\ no newline\n");
}

// The log with plain line ends; a line not ended by CR LF is said.
std::string LogText(const std::string& log) {
  const auto plain = std::regex_replace(log, std::regex("\r\n"), "\n");
  const bool crlf = plain.size() + std::count(plain.begin(), plain.end(), '\n') == log.size();
  return plain + (crlf && (log.empty() || log.ends_with('\n')) ? "" : "(not ended by CR LF)\n");
}

// `written` holds the plans as the case wrote them, before its shell commands.
std::string Report(const KvRun& run, const fs::path& dir, const fs::path& written,
                   const Files& before) {
  std::string text = Section("status", std::to_string(run.status) + "\n") +
                     Section("stdout", run.out) + Section("stderr", run.err);
  std::vector<fs::directory_entry> entries(fs::recursive_directory_iterator(dir), {});
  std::sort(entries.begin(), entries.end());
  for (const auto& entry : entries) {
    const std::string name = entry.path().lexically_relative(dir);
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    if (entry.path().filename() == "kv.log")
      text += Section(name, LogText(ReadFileBytes(entry.path())));
    const std::string plan = name.substr(0, name.size() - std::min(name.size(), 15ul)) + ".docx";
    if (name.ends_with("-validated.docx") && FileLine(entry.path(), name, before) != name)
      text += Section(
          name, CopyReport(entry.path(), (fs::exists(written / plan) ? written : dir) / plan));
  }
  return text;
}

class GoldenRun : public ::testing::TestWithParam<std::string> {
 protected:
  // Writes the plans, runs the case's shell commands and keeps what the folder then holds.
  int Prepare() {
    for (const auto& plan : c["plan"]) {
      const std::string path = plan.substr(0, plan.find(' '));
      SavePlan(plan.substr(plan.find(' ') + 1), written / path);
      fs::create_directories(fs::path(dir / path).parent_path());
      fs::copy_file(written / path, dir / path);
    }
    const int status = Shell(dir.path(), Joined(c["before"]));
    before = Snapshot(dir.path());
    return status;
  }
  KvRun Run() {
    std::vector<std::string> arguments;
    std::istringstream words(Joined(c["args"]));
    for (std::string word; words >> word;)
      arguments.push_back(std::regex_replace(word, std::regex("<dir>"), dir.path().string()));
    c["env"].push_back("TMPDIR=" + tmp.path().string());
    return RunKv({.workingFolder = dir.path().string(),
                  .arguments = arguments,
                  .environment = c["env"],
                  .input = Joined(c["stdin"]),
                  .before = Joined(c["last"]),
                  .output = c["stdout"].empty() ? "" : c["stdout"][0]});
  }
  // What the run left, its folders, the binary, the dates and the case's masks replaced.
  std::string Left(const KvRun& run) {
    const auto literal = [](const std::string& text) {
      return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
    };
    std::vector<std::pair<std::string, std::string>> masks = {
        {literal(dir.path()), "<dir>"},
        {literal(tmp.path()), "<tmp>"},
        {literal(KV_BINARY), "<kv>"},
        {R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)", "<date>"}};
    for (const auto& mask : c["mask"])
      masks.emplace_back(mask.substr(mask.find(' ') + 1), mask.substr(0, mask.find(' ')));
    std::string text =
        Report(run, dir.path(), written.path(), before) +
        Section("files", Listing(dir.path(), "", before) + Listing(tmp.path(), "tmp/", {}));
    for (const auto& [pattern, replacement] : masks)
      text = std::regex_replace(text, std::regex(pattern), replacement);
    return text;
  }

  Case c = ReadCase(GetParam());
  TempDir dir, tmp, written;
  Files before;
};

TEST_P(GoldenRun, MatchesItsGoldenFile) {
  const int prepared = Prepare();
  if (prepared == 77) GTEST_SKIP() << "the folder cannot be prepared here";
  ASSERT_EQ(prepared, 0) << Joined(c["before"]);
  const KvRun run = Run();
  // The chosen documents, and every file the run has no business with, keep their bytes.
  for (const auto& [name, bytes] : before) {
    const bool mayChange =
        fs::path(name).filename() == "kv.log" || name.find("-validated.") != std::string::npos;
    EXPECT_TRUE(mayChange || ReadFileBytes(dir / name) == bytes) << name << " changed";
  }
  const std::string actual = Left(run), golden = kGolden / GetParam();
  EXPECT_EQ(Shell(dir.path(), Joined(c["after"])), 0);
  if (std::getenv("KV_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden + ".tmp", std::ios::binary) << actual;
    fs::rename(golden + ".tmp", golden);
  } else {
    EXPECT_EQ(ReadFileBytes(golden), actual) << "tests/golden/" << GetParam() << " differs";
  }
}

std::set<std::string> CaseNames() {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(kRuns)) names.insert(entry.path().filename());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Runs, GoldenRun, ::testing::ValuesIn(CaseNames()), [](const auto& info) {
  return std::regex_replace(info.param, std::regex("[^A-Za-z0-9]"), "_");
});

// Two kv processes at once in one folder each write a kv.log of their own: the log left
// holds one run's lines, never a mixture.
TEST(ConcurrentRuns, TwoRunsAtOnceInOneFolderNeverMixTheirLogLines) {
  TempDir dir;
  const std::string first = dir / "1234-we.docx", second = dir / "1235-we.docx";
  for (const auto& path : {first, second}) SavePlan("unstructured", path);
  const std::string bytes = ReadFileBytes(first);
  StartedKv one({.workingFolder = dir.path().string(), .arguments = {first}}),
      two({.workingFolder = dir.path().string(), .arguments = {second}});
  EXPECT_EQ(one.Finish().status + two.Finish().status, 2);
  auto log = LogLines(dir.path().string());
  ASSERT_EQ(log.size(), 8u);
  const std::string file = log[2] == "File: " + first ? first : second;
  EXPECT_EQ(std::regex_replace(Joined(log), std::regex(R"(\d{4}-.*\d\n)"), "<date>\n"),
            "DO Ruvaveruz 1.2.4\nValidation start: <date>\nFile: " + file +
                "\nInitializing constants...\nInitializing data...\nIncorrect document "
                "structure\n2 errors found\nValidation completed: <date>\n");
  EXPECT_EQ(ReadFileBytes(first) + ReadFileBytes(second), bytes + bytes);
}

}  // namespace
}  // namespace kv::testing
