// Whole runs of kv as data: every tests/runs/NAME file says how the folder is made and
// how kv is started, tests/golden/NAME holds what the run left (status, output, log, the
// typed findings and shaded cells of each copy, the files). KV_UPDATE_GOLDEN=1 rewrites
// the golden files instead of comparing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <pugixml.hpp>
#include <regex>
#include <sstream>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // relative name: bytes

const fs::path kRuns = KV_SOURCE_DIR "/tests/runs", kGolden = KV_SOURCE_DIR "/tests/golden";

// ---- The plans a case can name ------------------------------------------------------

// "clean" takes words that change the default plan: "ru", "participants=N", "months=N".
WorkPlanDocument CleanPlan(std::istringstream& words) {
  WorkPlan plan;
  for (std::string word; words >> word;) {
    const auto value =
        word.find('=') == std::string::npos ? 0 : std::stoi(word.substr(word.find('=') + 1));
    if (word == "ru") plan.russian = true;
    if (word.starts_with("participants=")) plan.participants = value;
    if (word.starts_with("months=")) plan.months = value;
  }
  return BuildWorkPlan(plan);
}

// A schedule that disagrees with the personnel, no bank fees for participant 2 and too
// much overhead for the leading institution.
WorkPlanDocument CrossCheckMistakes() {
  WorkPlan plan;
  plan.schedule = {{{}, std::vector<double>(plan.Quarters(), 1)}};
  plan.expenses = {{{26, 700}}, {}, {{14, -100}}};
  return BuildWorkPlan(plan);
}

// The 17th participant with a daily rate above the norm, no bank fees and a purchase
// whose quarter sum disagrees in Table 2-1.
WorkPlanDocument SeventeenthParticipantMistakes() {
  WorkPlan plan{.participants = 17};
  plan.personnel.assign(18, DefaultStaff(false, plan.Years()));
  plan.personnel[17].categories[1][0].rate = 40;
  plan.expenses.resize(18);
  plan.expenses[17] = {{14, -100}};
  auto doc = BuildWorkPlan(plan);
  auto& purchases = doc.TableOf("HeadingII101");
  purchases[purchases.size() - 2][1] = "1";
  return doc;
}

// The cost mistakes with unreadable text in the schedule and in participant 1's table.
WorkPlanDocument MixedMistakes() {
  auto plan = PlanWithCostMistakes();
  plan.Cell("HeadingII7", 5, 2) = "abc";
  plan.Cell("HeadingII9", 13, 6, 2) = "n/a";
  return plan;
}

WorkPlanDocument SixtyEmptySubtasks() {
  WorkPlan plan;
  plan.schedule = {
      ScheduleTask{std::vector<std::vector<double>>(60, std::vector<double>(8, 0)), {}}};
  return BuildWorkPlan(plan);
}

// Opens, but has none of the headings of a work plan.
DocxBuilder Unstructured() {
  return DocxBuilder()
      .Paragraph("A project description without the headings of a work plan.")
      .Paragraph("Second paragraph.");
}

void SavePlan(const std::string& spec, const std::string& path) {
  std::istringstream words(spec);
  std::string name;
  words >> name;
  fs::create_directories(fs::path(path).parent_path());
  if (name.starts_with("example:")) {
    fs::copy_file(KV_SOURCE_DIR "/examples/" + name.substr(8), path);
    return;
  }
  const std::map<std::string, std::function<WorkPlanDocument()>> plans = {
      {"personnel-mistakes", [] { return PlanWithPersonnelMistakes(); }},
      {"cost-mistakes", PlanWithCostMistakes},
      {"mixed-mistakes", MixedMistakes},
      {"cross-check-mistakes", CrossCheckMistakes},
      {"participant-17-mistakes", SeventeenthParticipantMistakes},
      {"sixty-empty-subtasks", SixtyEmptySubtasks},
      {"clean", [&] { return CleanPlan(words); }}};
  if (name == "unstructured") return Unstructured().Save(path);
  if (name == "bare-ampersand")
    return DocxBuilder()
        .Paragraph("R&D")
        .Edit([](auto& xml) { xml.replace(xml.find("&amp;"), 5, "&"); })
        .Save(path);
  const auto plan = plans.find(name);
  if (plan == plans.end()) throw std::runtime_error("no such plan: " + name);
  plan->second().Save(path);
}

// ---- A case and its run ------------------------------------------------------------

struct Case {
  std::vector<std::pair<std::string, std::string>> plans;  // path, preset
  std::vector<std::string> arguments, environment, masks;
  std::string before, after, last, input, output;
};

Case ReadCase(const std::string& name) {
  Case c;
  std::ifstream in(kRuns / name);
  const std::map<std::string, std::string*> shell = {
      {"before", &c.before}, {"after", &c.after}, {"last", &c.last}, {"stdin", &c.input}};
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto space = std::min(line.find(' '), line.size());
    const std::string key = line.substr(0, space),
                      rest = line.substr(std::min(space + 1, line.size()));
    std::istringstream words(rest);
    if (shell.count(key)) *shell.at(key) += rest + "\n";
    if (key == "args")
      for (std::string word; words >> word;) c.arguments.push_back(word);
    if (key == "env") c.environment.push_back(rest);
    if (key == "mask") c.masks.push_back(rest);
    if (key == "stdout") c.output = rest;
    if (key == "plan")
      c.plans.emplace_back(rest.substr(0, rest.find(' ')), rest.substr(rest.find(' ') + 1));
  }
  return c;
}

int Shell(const fs::path& folder, const std::string& commands) {
  if (commands.empty()) return 0;
  const int raw = std::system(
      ("cd '" + folder.string() + "' && export KV='" KV_BINARY "'\n" + commands).c_str());
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

bool MayChange(const std::string& name) {
  return fs::path(name).filename() == "kv.log" || name.find("-validated.") != std::string::npos;
}

// ---- What the run left, as text ----------------------------------------------------

std::string FileLine(const fs::directory_entry& entry, const std::string& name,
                     const Files& before) {
  const auto status = entry.symlink_status();
  if (fs::is_symlink(status)) return name + " -> " + fs::read_symlink(entry.path()).string();
  if (fs::is_directory(status)) return name + "/";
  if (!fs::is_regular_file(status)) return name + " (not a regular file)";
  std::string line = name;
  if (fs::hard_link_count(entry.path()) > 1)
    line += " (" + std::to_string(fs::hard_link_count(entry.path())) + " links)";
  const auto earlier = before.find(name);
  if (earlier == before.end()) return line + " (new)";
  return earlier->second == ReadFileBytes(entry.path()) ? line : line + " (changed)";
}

std::string Listing(const fs::path& folder, const std::string& prefix, const Files& before) {
  std::vector<std::string> lines;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().lexically_relative(folder).string();
    lines.push_back(FileLine(entry, name, before));
  }
  for (const auto& [name, bytes] : before)
    if (!fs::exists(fs::symlink_status(folder / name))) lines.push_back(name + " (removed)");
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const auto& line : lines) text += prefix + line + "\n";
  return text;
}

// The cells of a copy with a fill, in document order: "table row column fill".
std::string ShadedCells(const std::string& docx) {
  const std::string xml = PackageEntries(docx).at("word/document.xml");
  pugi::xml_document document;
  document.load_buffer(xml.data(), xml.size());
  std::string text;
  int table = 0;
  for (const auto& found : document.select_nodes("//w:tbl")) {
    int row = 0;
    ++table;
    for (const auto& tr : found.node().children("w:tr")) {
      int column = 0;
      ++row;
      for (const auto& tc : tr.children("w:tc")) {
        const std::string fill = tc.child("w:tcPr").child("w:shd").attribute("w:fill").value();
        ++column;
        if (!fill.empty() && fill != "auto")
          text += "shaded " + std::to_string(table) + " " + std::to_string(row) + " " +
                  std::to_string(column) + " " + fill + "\n";
      }
    }
  }
  const auto spelt = document.select_nodes("//w:r[not(w:rPr/w:noProof)]").size();
  return text + "runs checked for spelling: " + std::to_string(spelt) + "\n";
}

// A copy: the paragraphs typed above the plan's own (those the plan as written ends with
// are left out), then its shaded cells.
std::string CopyReport(const fs::path& copy, const fs::path& plan) {
  const auto typed = BodyParagraphs(copy);
  auto own = fs::is_regular_file(plan) ? BodyParagraphs(plan) : std::vector<std::string>{};
  std::size_t common = 0;
  while (common < own.size() && common < typed.size() &&
         own[own.size() - 1 - common] == typed[typed.size() - 1 - common])
    ++common;
  std::string text;
  for (std::size_t i = 0; i + common < typed.size(); ++i) text += typed[i] + "\n";
  return text + ShadedCells(copy);
}

std::string Section(const std::string& title, const std::string& body) {
  return "== " + title + "\n" + body +
         (body.empty() || body.back() == '\n' ? "" : "\n\\ no newline\n");
}

// The log with its line ends made plain; a line not ended by CR LF is said.
std::string LogText(std::string log) {
  std::string text;
  for (std::size_t start = 0; start < log.size();) {
    const auto end = log.find("\r\n", start);
    if (end == std::string::npos) return text + log.substr(start) + "\n(not ended by CR LF)\n";
    text += log.substr(start, end - start) + "\n";
    start = end + 2;
  }
  return text;
}

std::string Masked(std::string text, const fs::path& dir, const fs::path& tmp, const Case& c) {
  const auto replace = [&](const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  };
  replace(dir.string(), "<dir>");
  replace(tmp.string(), "<tmp>");
  replace(KV_BINARY, "<kv>");
  text = std::regex_replace(text, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"), "<date>");
  for (const auto& mask : c.masks) {
    const auto space = mask.find(' ');
    text = std::regex_replace(text, std::regex(mask.substr(space + 1)), mask.substr(0, space));
  }
  return text;
}

// `written` holds the plans as the case wrote them, before its shell commands.
std::string Report(const KvRun& run, const fs::path& dir, const fs::path& tmp,
                   const fs::path& written, const Files& before) {
  std::string text = Section("status", std::to_string(run.status) + "\n") +
                     Section("stdout", run.out) + Section("stderr", run.err);
  std::vector<fs::directory_entry> entries(fs::recursive_directory_iterator(dir), {});
  std::sort(entries.begin(), entries.end());
  for (const auto& entry : entries) {
    const std::string name = entry.path().lexically_relative(dir).string();
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    const auto earlier = before.find(name);
    const bool fresh = earlier == before.end() || earlier->second != ReadFileBytes(entry.path());
    if (entry.path().filename() == "kv.log")
      text += Section(name, LogText(ReadFileBytes(entry.path())));
    if (!fresh || !name.ends_with("-validated.docx")) continue;
    const std::string plan = name.substr(0, name.size() - 15) + ".docx";
    text += Section(name,
                    CopyReport(entry.path(), (fs::exists(written / plan) ? written : dir) / plan));
  }
  return text + Section("files", Listing(dir, "", before) + Listing(tmp, "tmp/", {}));
}

// ---- Comparison --------------------------------------------------------------------

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines that differ, "-" expected and "+" found, with a line either side.
std::string Diff(const std::string& expected, const std::string& actual) {
  const auto a = Lines(expected), b = Lines(actual);
  std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1));
  for (std::size_t i = a.size(); i-- > 0;)
    for (std::size_t j = b.size(); j-- > 0;)
      common[i][j] =
          a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
  std::vector<std::string> ops;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && a[i] == b[j])
      ops.push_back("  " + a[i++]), ++j;
    else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1]))
      ops.push_back("- " + a[i++]);
    else
      ops.push_back("+ " + b[j++]);
  }
  std::string text;
  for (std::size_t k = 0; k < ops.size(); ++k) {
    const auto changed = [&](std::size_t n) { return n < ops.size() && ops[n][0] != ' '; };
    if (changed(k) || changed(k + 1) || (k > 0 && changed(k - 1))) text += ops[k] + "\n";
  }
  return text;
}

class GoldenRun : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRun, MatchesItsGoldenFile) {
  const Case c = ReadCase(GetParam());
  TempDir dir, tmp, written;
  for (const auto& [path, preset] : c.plans) {
    SavePlan(preset, written / path);
    fs::create_directories(fs::path(dir / path).parent_path());
    fs::copy_file(written / path, dir / path);
  }
  const int prepared = Shell(dir.path(), c.before);
  if (prepared == 77) GTEST_SKIP() << "the folder cannot be prepared here";
  ASSERT_EQ(prepared, 0) << c.before;
  const Files before = Snapshot(dir.path());
  std::vector<std::string> arguments = c.arguments, environment = c.environment;
  for (auto& argument : arguments)
    argument = std::regex_replace(argument, std::regex("<dir>"), dir.path().string());
  environment.push_back("TMPDIR=" + tmp.path().string());
  const KvRun run = RunKv({.workingFolder = dir.path().string(),
                           .arguments = arguments,
                           .environment = environment,
                           .input = c.input,
                           .before = c.last,
                           .output = c.output});
  // The chosen documents, and every other file the run has no business with, keep their bytes.
  for (const auto& [name, bytes] : before) {
    EXPECT_TRUE(MayChange(name) || ReadFileBytes(dir / name) == bytes) << name << " changed";
  }
  const std::string actual = Masked(Report(run, dir.path(), tmp.path(), written.path(), before),
                                    dir.path(), tmp.path(), c);
  EXPECT_EQ(Shell(dir.path(), c.after), 0) << c.after;
  const fs::path golden = kGolden / GetParam();
  if (std::getenv("KV_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden.string() + ".tmp", std::ios::binary) << actual;
    fs::rename(golden.string() + ".tmp", golden);
    return;
  }
  const std::string expected = ReadFileBytes(golden);
  EXPECT_TRUE(expected == actual) << "tests/golden/" << GetParam() << " (- golden, + this run):\n"
                                  << Diff(expected, actual);
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kRuns)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Runs, GoldenRun, ::testing::ValuesIn(CaseNames()), [](const auto& info) {
  std::string name = info.param;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

}  // namespace
}  // namespace kv::testing
