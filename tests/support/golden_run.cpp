#include "support/golden_run.h"

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "convert/soffice.h"
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
const fs::path kTests = KV_SOURCE_DIR "/tests", kGolden = kTests / "golden";
using namespace std::chrono_literals;

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

}  // namespace

// Besides the built plans: "example:NAME" (a bundled sample), "unstructured" (opens, but
// has none of the headings of a work plan) and "bare-ampersand" (malformed XML). A plan
// named .doc, or with the word "as=FORMAT", is made by LibreOffice from the .docx, which
// stays beside it as NAME.docx for the copy's report.
void SavePlan(const std::string& spec, const std::string& path) {
  std::istringstream in(spec);
  std::string preset, format = fs::path(path).extension() == ".doc" ? "doc" : "";
  in >> preset;
  std::vector<std::vector<std::string>> words;
  for (std::string word; in >> word;) words.push_back(Fields(word));
  for (const auto& f : words)
    if (f[0] == "as") format = f.at(1);
  const std::string docx = format.empty() ? path : path + ".docx";
  fs::create_directories(fs::path(path).parent_path());
  if (preset.starts_with("example:")) {
    fs::copy_file(KV_SOURCE_DIR "/examples/" + preset.substr(8), path);
    return;
  }
  if (preset == "unstructured")
    DocxBuilder()
        .Paragraph("A project description without the headings of a work plan.")
        .Paragraph("Second paragraph.")
        .Save(docx);
  else if (preset == "bare-ampersand")
    DocxBuilder()
        .Paragraph("R&D")
        .Edit([](auto& xml) { xml.replace(xml.find("&amp;"), 5, "&"); })
        .Save(docx);
  else
    BuiltPlan(preset, words).Save(docx);
  if (format.empty()) return;
  const TempDir scratch;
  const auto made = word::ConvertDocument(docx, format, scratch.path(), 180s);
  if (!made.ok) throw std::runtime_error(made.reason);
  fs::rename(made.output, path);
}

namespace {

// A key the runner does not know is a mistake in the case, not a line to pass over.
Case ReadCase(const std::string& name) {
  static const std::set<std::string> kKeys = {"plan", "before", "env",  "args", "stdin", "stdout",
                                              "last", "signal", "mask", "omit", "after"};
  Case c;
  std::ifstream in(kTests / name);
  for (std::string line; std::getline(in, line);) {
    const auto space = std::min(line.find(' '), line.size());
    if (line.empty() || line[0] == '#') continue;
    if (!kKeys.contains(line.substr(0, space)))
      throw std::runtime_error(name + ": unknown line: " + line);
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
// runs of text kv left to the spelling checker (not said of a copy LibreOffice read back).
std::string ShadedCells(const std::string& docx, bool readBack) {
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
  return readBack ? text : text + "runs checked for spelling: " + std::to_string(spelt) + "\n";
}

// A copy: the paragraphs typed above those the plan ends with (above the plan's first when
// LibreOffice read the plan or the copy, and may have changed paragraphs further down),
// then its shaded cells.
std::string CopyReport(const fs::path& copy, const fs::path& plan, bool converted, bool readBack) {
  const auto typed = BodyParagraphs(copy);
  const bool readable = plan.extension() == ".docx" && fs::is_regular_file(plan);
  const auto own = readable ? BodyParagraphs(plan) : std::vector<std::string>{};
  std::size_t common = 0;
  while (common < std::min(own.size(), typed.size()) &&
         own[own.size() - 1 - common] == typed[typed.size() - 1 - common])
    ++common;
  auto end = typed.end() - static_cast<std::ptrdiff_t>(common);
  if (converted && !own.empty()) end = std::find(typed.begin(), typed.end(), own.front());
  return Joined({typed.begin(), end}) + ShadedCells(copy, readBack);
}

// A copy against the plan it was made from as a .docx: the one LibreOffice made the case's
// plan from, else the plan as the case wrote it, else as the folder holds it. A .doc copy
// is read once LibreOffice has made a .docx of it again.
std::string CopySection(const std::string& name, const fs::path& dir, const fs::path& written) {
  const auto at = name.rfind("-validated.");
  const std::string planName = name.substr(0, at) + name.substr(at + 10);
  const fs::path source = written / (planName + ".docx"), copy = dir / name;
  const bool converted = fs::exists(source);
  const fs::path plan = converted                        ? source
                        : fs::exists(written / planName) ? written / planName
                                                         : dir / planName;
  if (copy.extension() == ".docx") return CopyReport(copy, plan, converted, false);
  if (!ReadFileBytes(copy).starts_with("\xD0\xCF\x11\xE0")) return "not a Word 97-2003 file\n";
  const TempDir scratch;
  const auto back = word::ConvertDocument(copy, "docx", scratch.path(), 180s);
  return "a Word 97-2003 file, read back as .docx:\n" +
         (back.ok ? CopyReport(back.output, plan, true, true) : back.reason + "\n");
}

std::string Titled(const std::string& title, const std::string& body) {
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
  std::string text = Titled("status", std::to_string(run.status) + "\n") +
                     Titled("stdout", run.out) + Titled("stderr", run.err);
  std::vector<fs::directory_entry> entries(fs::recursive_directory_iterator(dir), {});
  std::sort(entries.begin(), entries.end());
  for (const auto& entry : entries) {
    const std::string name = entry.path().lexically_relative(dir);
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    if (entry.path().filename() == "kv.log")
      text += Titled(name, LogText(ReadFileBytes(entry.path())));
    const bool copy = name.ends_with("-validated.docx") || name.ends_with("-validated.doc");
    if (copy && FileLine(entry.path(), name, before) != name)
      text += Titled(name, CopySection(name, dir, written));
  }
  return text;
}

class CaseRun {
 public:
  explicit CaseRun(const std::string& name) : c(ReadCase(name)) {}

  // <dir> and <tmp> in a case's line stand for the run's folders.
  std::string Filled(const std::string& text) const {
    return std::regex_replace(std::regex_replace(text, std::regex("<dir>"), dir.path().string()),
                              std::regex("<tmp>"), tmp.path().string());
  }
  std::string Lines(const std::string& key) { return Filled(Joined(c[key])); }

  // Writes the plans, runs the case's shell commands and keeps what the folder then holds.
  int Prepare() {
    for (const auto& plan : c["plan"]) {
      const std::string path = plan.substr(0, plan.find(' '));
      SavePlan(plan.substr(plan.find(' ') + 1), written / path);
      fs::create_directories(fs::path(dir / path).parent_path());
      fs::copy_file(written / path, dir / path);
    }
    const int status = Shell(dir.path(), Lines("before"));
    before = Snapshot(dir.path());
    return status;
  }

  // "signal NAME STAGE N SECONDS": kv gets the signal SECONDS after N of its engine folders
  // hold STAGE ("in" while a .doc is converted on the way in, "out" while its copy goes
  // back). The ":" line keeps the watcher out of the "cd".
  std::string Watcher() {
    std::string text;
    std::istringstream in(Lines("signal"));
    for (std::string name, stage, count, delay; in >> name >> stage >> count >> delay;)
      text += ":\n(for i in $(seq 6000); do [ $(ls -d <tmp>/kv-engine-*/" + stage +
              " 2>/dev/null | wc -l) -ge " + count + " ] && break; sleep 0.02; done; sleep " +
              delay + "; kill -" + name + " $$) &\n";
    return Filled(text);
  }

  KvRun Run() {
    std::vector<std::string> arguments, environment = {"TMPDIR=" + tmp.path().string()};
    std::istringstream words(Lines("args"));
    for (std::string word; words >> word;) arguments.push_back(word);
    for (const auto& entry : c["env"]) environment.push_back(Filled(entry));
    return RunKv({.workingFolder = dir.path().string(),
                  .arguments = arguments,
                  .environment = environment,
                  .input = Joined(c["stdin"]),
                  .before = Watcher() + Lines("last"),
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
        Titled("files", Listing(dir.path(), "", before) + Listing(tmp.path(), "tmp/", {}));
    for (const auto& [pattern, replacement] : masks)
      text = std::regex_replace(text, std::regex(pattern), replacement);
    return Omitted(text);
  }

  // The lines a case leaves out ("omit REGEX", matched a line at a time, since a pattern
  // across a long listing exhausts the stack of std::regex).
  std::string Omitted(const std::string& text) {
    if (c["omit"].empty()) return text;
    std::vector<std::regex> omitted;
    for (const auto& pattern : c["omit"]) omitted.emplace_back(pattern);
    std::istringstream in(text);
    std::string kept;
    for (std::string line; std::getline(in, line);)
      if (std::none_of(omitted.begin(), omitted.end(),
                       [&](const std::regex& r) { return std::regex_match(line, r); }))
        kept += line + "\n";
    return kept;
  }

  Case c;
  TempDir dir, tmp, written;
  Files before;
};

}  // namespace

std::vector<std::string> CaseNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kTests / folder))
    names.push_back(folder + "/" + entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string CaseTestName(const ::testing::TestParamInfo<std::string>& info) {
  return std::regex_replace(fs::path(info.param).filename().string(), std::regex("[^A-Za-z0-9]"),
                            "_");
}

void CheckGoldenRun(const std::string& name) {
  CaseRun r(name);
  const int prepared = r.Prepare();
  if (prepared == 77) GTEST_SKIP() << "the folder cannot be prepared here";
  ASSERT_EQ(prepared, 0) << r.Lines("before");
  const KvRun run = r.Run();
  // Nothing kv started outlives it: every LibreOffice of a run names <tmp>.
  const std::string tmp = r.tmp.path();
  for (int i = 0; i < 50 && !ProcessesMentioning(tmp).empty(); ++i)
    std::this_thread::sleep_for(100ms);
  EXPECT_EQ(ProcessesMentioning(tmp), std::vector<pid_t>{});
  // The chosen documents, and every file the run has no business with, keep their bytes;
  // what a killed kv left (.kvPID-N) may go.
  for (const auto& [path, bytes] : r.before) {
    const std::string file = fs::path(path).filename();
    const bool mayChange = file == "kv.log" || file.starts_with(".kv") ||
                           path.find("-validated.") != std::string::npos;
    EXPECT_TRUE(mayChange || ReadFileBytes(r.dir / path) == bytes) << path << " changed";
  }
  const std::string actual = r.Left(run), golden = kGolden / fs::path(name).filename();
  EXPECT_EQ(Shell(r.dir.path(), r.Lines("after")), 0);
  if (std::getenv("KV_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden + ".tmp", std::ios::binary) << actual;
    fs::rename(golden + ".tmp", golden);
  } else {
    EXPECT_EQ(ReadFileBytes(golden), actual) << golden << " differs";
  }
}

}  // namespace kv::testing
