// The checks of each phase as scenarios: tests/scenarios/*.txt (README.md there) hold a plan,
// the changes to it, the phase to run and everything it must find; each scenario is one test
// case named after its file and title.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <span>
#include <sstream>
#include <variant>

#include "docx/application.h"
#include "support/case_table.h"
#include "support/kv_runner.h"
#include "support/phase_run.h"
#include "support/work_plan_builder.h"
#include "validate/consistency.h"
#include "validate/cost_table.h"
#include "validate/financial.h"
#include "validate/norms.h"
#include "validate/odc.h"
#include "validate/personnel.h"
#include "validate/procurement.h"
#include "validate/schedule.h"
#include "validate/structure.h"
#include "word/forwarding_application.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Ctx = validate::RunContext;
using Doc = WorkPlanDocument;
using W = const Strings&;
using Txt = const std::string&;

[[noreturn]] void Malformed(const std::string& why) {
  throw std::invalid_argument(why);
}

struct Line {
  std::string keyword, rest, where;
};
struct Scenario {
  std::string name;
  std::vector<Line> lines;
  std::string malformed;  // why its file could not be read
};

Strings Words(const std::string& text) {
  std::istringstream in(text);
  Strings words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}
std::vector<double> Numbers(const std::string& text) {
  std::vector<double> numbers;
  for (const auto& word : Words(text)) numbers.push_back(std::stod(word));
  return numbers;
}
std::size_t N(Txt number) {
  return std::stoul(number);
}

// The first n words of a line and the text after them, verbatim but for one blank.
std::pair<Strings, std::string> Split(const std::string& rest, std::size_t n) {
  std::istringstream in(rest);
  Strings words(n);
  for (auto& word : words)
    if (!(in >> word)) Malformed("too few words in: " + rest);
  std::string text;
  if (n > 0) in.get();  // the blank after the words
  std::getline(in, text);
  return {words, Unescape(text)};
}

// "key=value" words, a key alone standing for 1; Take moves one into its field.
using Options = std::map<std::string, std::string>;
Options ReadOptions(const std::string& text) {
  Options options;
  for (const auto& word : Words(text)) {
    const auto eq = word.find('=');
    options[word.substr(0, eq)] = eq == std::string::npos ? "1" : word.substr(eq + 1);
  }
  return options;
}
std::string Show(const std::string* v) {
  return *v;
}
template <typename X>
std::string Show(const X* v) {
  std::ostringstream out;
  out << std::setprecision(12) << static_cast<double>(*v);
  return out.str();
}
void Assign(std::string* v, Txt value) {
  *v = value;
}
template <typename X>
void Assign(X* v, Txt value) {
  *v = static_cast<X>(std::stod(value));
}
template <typename F>
void Take(Options& options, const std::string& key, F& field) {
  if (options.contains(key)) Assign(&field, options[key]), options.erase(key);
}
void Done(const Options& options) {
  if (!options.empty()) Malformed("unknown option " + options.begin()->first);
}

// ---- The plan ----

WorkPlan& ApplyPlanWords(WorkPlan& p, const std::string& text) {
  Options o = ReadOptions(text);
  Take(o, "russian", p.russian), Take(o, "partners", p.partnersTable);
  Take(o, "cis-travel", p.cisTravelInKind), Take(o, "number", p.projectNumber);
  Take(o, "participants", p.participants), Take(o, "months", p.months);
  Done(o);
  return p;
}
ScheduleTask Task(const std::string& text) {
  std::istringstream in(text);
  ScheduleTask task;
  std::string part;
  std::getline(in, part, '/');
  task.days = Numbers(part);
  while (std::getline(in, part, '/')) task.subtasks.push_back(Numbers(part));
  return task;
}
void SetPerson(Person& person, const std::string& text) {
  Options o = ReadOptions(text);
  Take(o, "rate", person.rate), Take(o, "days", person.days), Take(o, "persons", person.persons);
  Done(o);
}
void AddExpense(WorkPlan& p, std::size_t institution, const std::string& text) {
  Options o = ReadOptions(text);
  ExpenseLine line{0};
  Take(o, "row", line.row), Take(o, "recipient", line.recipient), Take(o, "inkind", line.inKind);
  Take(o, "firsthalf", line.firstHalf), Take(o, "single", line.singleItem);
  Done(o);
  p.expenses.resize(std::max(p.expenses.size(), institution + 1));
  p.expenses[institution].push_back(line);
}

// INSTITUTION (from 0) CATEGORY (1 to 4) NTH (from 1)
Person& PersonAt(WorkPlan& p, W w) {
  return p.personnel.at(N(w[0])).categories.at(N(w[1]) - 1).at(N(w[2]) - 1);
}
InstitutionStaff Staff(const WorkPlan& p, Txt kind) {
  return kind == "empty" ? InstitutionStaff{} : DefaultStaff(p.russian);
}
// A change by keyword: the words it takes, then the text after them.
template <typename X>
struct Op {
  std::size_t words;
  void (*apply)(X&, W, Txt);
};
// clang-format off
const std::map<std::string, Op<WorkPlan>> kPlanOps = {
    {"plan", {0, [](WorkPlan& p, W, Txt t) { ApplyPlanWords(p, t); }}},
    {"task", {0, [](WorkPlan& p, W, Txt t) { p.schedule.push_back(Task(t)); }}},
    {"staff", {0, [](WorkPlan& p, W, Txt t) {
       for (Txt w : Words(t)) p.personnel.push_back(Staff(p, w)); }}},
    {"person", {3, [](WorkPlan& p, W w, Txt t) { SetPerson(PersonAt(p, w), t); }}},
    {"expense", {1, [](WorkPlan& p, W w, Txt t) { AddExpense(p, N(w[0]), t); }}}};
// clang-format on

// ---- Changes to the document ----

// "ID" the section's first table, "ID.n" its nth (from 0).
std::pair<std::string, std::size_t> TableRef(const std::string& ref) {
  const auto dot = ref.find('.');
  return {ref.substr(0, dot), dot == std::string::npos ? 0 : N(ref.substr(dot + 1))};
}
CellGrid& Grid(Doc& d, Txt ref) {
  return d.TableOf(TableRef(ref).first, TableRef(ref).second);
}
// Items from to to (to "" the one item), counted from base, negative from the end (-1 last).
template <typename V>
void EraseRange(V& items, Txt from, Txt to, int base) {
  const auto at = [&](Txt n) {
    const long k = std::stol(n);
    return items.begin() + (k < 0 ? static_cast<long>(items.size()) + k : k - base);
  };
  if (at(from) <= at(to.empty() ? from : to)) items.erase(at(from), at(to.empty() ? from : to) + 1);
}
std::vector<Block>& B(Doc& d, W w) {
  return d.Body(w.at(0));
}
CellGrid& G(Doc& d, W w) {
  return Grid(d, w.at(0));
}
std::vector<Block> BodyOf(Txt id, Txt planWords) {
  WorkPlan other;
  return BuildWorkPlan(ApplyPlanWords(other, planWords)).Body(id);
}
void DropFirstColumn(CellGrid& grid) {
  for (std::size_t row = 0; row + 1 < grid.size(); ++row) grid[row].erase(grid[row].begin());
}
// The plans with mistakes of every colour the builder keeps.
Doc Preset(Txt name) {
  if (name != "personnel-mistakes" && name != "cost-mistakes") Malformed("no preset " + name);
  return name == "cost-mistakes" ? PlanWithCostMistakes() : PlanWithPersonnelMistakes();
}
void InsertRow(CellGrid& grid, std::size_t at, Strings row) {
  grid.insert(grid.begin() + static_cast<long>(at) - 1, std::move(row));
}

// clang-format off
const std::map<std::string, Op<Doc>> kDocOps = {
    {"preset", {1, [](Doc& d, W w, Txt) { d = Preset(w[0]); }}},
    {"drop", {1, [](Doc& d, W w, Txt) { d.Remove(w[0]); }}},
    {"end-after", {1, [](Doc& d, W w, Txt) { d.EndAfter(w[0]); }}},
    {"swap", {2, [](Doc& d, W w, Txt) { std::swap(d[w[0]], d[w[1]]); }}},
    {"retitle", {1, [](Doc& d, W w, Txt t) { d[w[0]].heading = t; }}},
    {"copy", {2, [](Doc& d, W w, Txt) { d.Body(w[1]) = d.Body(w[0]); }}},
    {"body-from", {1, [](Doc& d, W w, Txt t) { B(d, w) = BodyOf(w[0], t); }}},
    {"line", {2, [](Doc& d, W w, Txt t) { B(d, w).at(N(w[1])) = Paragraph(t); }}},
    {"insert", {2, [](Doc& d, W w, Txt t) {
       B(d, w).insert(B(d, w).begin() + std::stol(w[1]), Paragraph(t)); }}},
    {"add", {1, [](Doc& d, W w, Txt t) { B(d, w).push_back(Paragraph(t)); }}},
    {"add-table", {1, [](Doc& d, W w, Txt t) { B(d, w).push_back(Table({Words(t)})); }}},
    {"repeat", {2, [](Doc& d, W w, Txt) { B(d, w).push_back(B(d, w).at(N(w[1]))); }}},
    {"erase", {2, [](Doc& d, W w, Txt t) { EraseRange(B(d, w), w[1], t, 0); }}},
    {"cell", {3, [](Doc& d, W w, Txt t) { G(d, w).at(N(w[1]) - 1).at(N(w[2]) - 1) = t; }}},
    {"rows-erase", {2, [](Doc& d, W w, Txt t) { EraseRange(G(d, w), w[1], t, 1); }}},
    {"row-copy", {3, [](Doc& d, W w, Txt) {
       InsertRow(G(d, w), N(w[2]), G(d, w).at(N(w[1]) - 1)); }}},
    {"row-blank", {2, [](Doc& d, W w, Txt) {
       InsertRow(G(d, w), N(w[1]), Strings(G(d, w).at(N(w[1]) - 1).size())); }}},
    {"cell-add", {2, [](Doc& d, W w, Txt) { G(d, w).at(N(w[1]) - 1).emplace_back(); }}},
    {"column-drop", {1, [](Doc& d, W w, Txt) { DropFirstColumn(G(d, w)); }}}};
// clang-format on

template <typename X>
void Apply(const std::map<std::string, Op<X>>& ops, const Scenario& s, X& target) {
  for (const auto& line : s.lines) {
    if (!ops.contains(line.keyword)) continue;
    const auto [words, text] = Split(line.rest, ops.at(line.keyword).words);
    ops.at(line.keyword).apply(target, words, text);
  }
}

// ---- Figures of the run by name: "PersonnelDays[0].Of(2)", "FinancialTable[*].Total" ----

using Leaf = std::variant<double*, std::int16_t*, bool*, std::string*>;
using Leaves = std::vector<Leaf>;
struct Step {
  std::string name;  // ".Name", ".Of(index)"; "" for "[index]"
  int index = -1;    // -1: every part, as "[*]" or at the end of the path
};
using Path = std::span<const Step>;

template <typename X>
void Walk(X& node, Path path, Leaves& out);

template <typename V, typename F, typename = decltype(std::declval<V>().begin())>
void Select(V& items, const Step& s, F&& visit) {
  if (!s.name.empty()) return;
  if (s.index >= 0) return visit(items.at(static_cast<std::size_t>(s.index)));
  for (auto& item : items) visit(item);
}
template <typename X, typename F>
void Select(validate::ByPeriod<X>& p, const Step& s, F&& visit) {
  if (s.name == "Years") visit(p.Years);
  if (s.name == "QuartersOneTwo") visit(p.QuartersOneTwo);
  if (s.name == "Total") visit(p.Total);
  for (int period = 0; s.name.empty() && period <= 6; ++period)
    if (s.index < 0 || s.index == period) visit(p[period]);
}
template <int Categories, typename F>
void Select(validate::CategorySums<Categories>& sums, const Step& s, F&& visit) {
  if (s.name == "Of") visit(sums.Of(s.index));
  if (s.name == "Total" || s.name.empty()) visit(sums.Total);
  if (s.name.empty()) Select(sums.Category, s, visit);
}
template <typename F>
void Select(validate::FinancialColumns& columns, const Step& s, F&& visit) {
  if (s.name.empty() || s.name == "Recipient") visit(columns.Recipient);
  if (s.name.empty() || s.name == "InKind") visit(columns.InKind);
}

template <typename X>
void Walk(X& node, Path path, Leaves& out) {
  if constexpr (std::is_arithmetic_v<X> || std::is_same_v<X, std::string>) {
    if (path.empty()) out.push_back(&node);  // a path beyond a figure names nothing
  } else {
    Select(node, path.empty() ? Step{} : path.front(),
           [&](auto& part) { Walk(part, path.empty() ? path : path.subspan(1), out); });
  }
}

using Accessor = std::function<void(Ctx&, Path, Leaves&)>;
template <typename C, typename M>
std::pair<const std::string, Accessor> Field(const char* name, M C::*member) {
  return {name, [member](Ctx& c, Path path, Leaves& out) { Walk(c.*member, path, out); }};
}
// The figures by the names the checks use.
#define KV_FIGURE(name) Field(#name, &Ctx::name)
// clang-format off
const std::map<std::string, Accessor> kFields = {
    KV_FIGURE(ParticipantCount), KV_FIGURE(ParseResults), KV_FIGURE(ScheduleTotalDays),
    KV_FIGURE(PersonnelDays), KV_FIGURE(PersonnelGrants), KV_FIGURE(TotalPersonnelCount),
    KV_FIGURE(FinancialTable), KV_FIGURE(FinancialTotals), KV_FIGURE(OverheadValues),
    KV_FIGURE(EquipmentInKindSums), KV_FIGURE(EquipmentPurchasedSums),
    KV_FIGURE(MaterialsInKindSums), KV_FIGURE(MaterialsPurchasedSums),
    KV_FIGURE(CapitalEquipmentInKindSums), KV_FIGURE(CapitalEquipmentPurchasedSums),
    KV_FIGURE(SpecialItemCount), KV_FIGURE(OdcInKindSums), KV_FIGURE(OdcPurchasedSums),
    KV_FIGURE(TotalGrants), KV_FIGURE(ProjectTotalCost), KV_FIGURE(ProjectType),
    KV_FIGURE(SpecialSeries), KV_FIGURE(RequireCategoryOne), KV_FIGURE(ApplyGrantNorms),
    KV_FIGURE(ProjectDurationMonths), KV_FIGURE(ProjectDurationQuarters),
    KV_FIGURE(ProjectDurationYears)};
// clang-format on
#undef KV_FIGURE

// The figures that paths name, in order.
Leaves Figures(Ctx& ctx, const std::string& paths) {
  Leaves leaves;
  for (const auto& path : Words(paths)) {
    std::string spaced;
    for (char c : path) spaced += (c == '.' || c == '[' || c == '(' ? " " : "") + std::string(1, c);
    const Strings tokens = Words(spaced);
    std::vector<Step> steps;
    for (const auto& t : std::span(tokens).subspan(1)) {
      const bool name = t[0] == '.', index = !name && t != "[*]";
      if (t[0] == '(')
        steps.at(steps.size() - 1).index = std::stoi(t.substr(1));
      else
        steps.push_back({name ? t.substr(1) : "", index ? std::stoi(t.substr(1)) : -1});
    }
    const std::size_t before = leaves.size();
    if (kFields.contains(tokens.at(0))) kFields.at(tokens[0])(ctx, steps, leaves);
    if (leaves.size() == before) Malformed("no figure " + path);
  }
  return leaves;
}

Strings Shown(const Leaves& leaves) {
  Strings shown;
  for (const auto& leaf : leaves)
    shown.push_back(std::visit([](auto* v) { return Show(v); }, leaf));
  return shown;
}
// "PATHS = VALUES": the figures and the values as they would show.
std::pair<Leaves, Strings> FiguresAndValues(Ctx& ctx, const std::string& rest) {
  const auto eq = rest.find(" =");
  if (eq == std::string::npos) Malformed("no \" =\" in " + rest);
  const Leaves leaves = Figures(ctx, rest.substr(0, eq));
  const std::string text = Unescape(rest.substr(std::min(eq + 3, rest.size())));
  if (leaves.size() == 1 && std::holds_alternative<std::string*>(leaves[0]))
    return {leaves, {text}};
  Strings values;
  for (double number : Numbers(text)) values.push_back(Show(&number));
  return {leaves, values};
}
// One value sets every figure named.
void SetFigures(Ctx& ctx, const std::string& rest) {
  const auto [leaves, values] = FiguresAndValues(ctx, rest);
  if (values.size() != 1 && values.size() != leaves.size()) Malformed("values for " + rest);
  for (std::size_t i = 0; i < leaves.size(); ++i)
    std::visit([&](auto* v) { Assign(v, values[values.size() == 1 ? 0 : i]); }, leaves[i]);
}

// ---- The phases ----

// As the run does it: Table 1 first, for the amounts it declares.
bool ParseCostTables(Ctx& ctx) {
  validate::ParseFinancialTables(ctx);
  const bool procurement = validate::ParseProcurementTables(ctx);
  return validate::ParseOdcTables(ctx) && procurement;
}

struct Phase {
  bool (*run)(Ctx&);
  bool document;  // the plan is opened; else the checks read only the figures set
  bool facts;     // the run knows the plan's participants and duration before it
};
// clang-format off
const std::map<std::string, Phase> kPhases = {
    {"structure", {validate::StructureCheck, true, false}},
    {"schedule", {validate::ParseTechnicalSchedule, true, true}},
    {"personnel", {validate::ParsePersonnelCommitments, true, true}},
    {"financial", {validate::ParseFinancialTables, true, true}},
    {"cost-tables", {ParseCostTables, true, true}},
    {"consistency", {validate::InterTableConsistency, false, false}},
    {"man-days", {validate::ManDaysConsistency, false, false}},
    {"grants", {validate::GrantsConsistency, false, false}},
    {"funds", {validate::FundsConsistency, false, false}},
    {"procurement-consistency", {validate::ProcurementConsistency, false, false}},
    {"odc-consistency", {validate::OtherCostsConsistency, false, false}},
    {"norms", {validate::FundingNorms, false, false}}};
// clang-format on

// kv's own word processor with one operation failing as a stopped one does.
class FailingApp : public word::ForwardingApplication {
 public:
  explicit FailingApp(std::string operation)
      : ForwardingApplication(word::CreateDocxApplication()), operation_(std::move(operation)) {}
  void GoToNext(int what) override { Stop("GoToNext"), ForwardingApplication::GoToNext(what); }
  void GoTo(int what) override { Stop("GoTo"), ForwardingApplication::GoTo(what); }
  word::TableId Tables1() const override {
    return Stop("Tables1"), ForwardingApplication::Tables1();
  }
  int ColumnsCount(word::TableId t) const override {
    return Stop("ColumnsCount"), ForwardingApplication::ColumnsCount(t);
  }
  static std::function<std::unique_ptr<word::WordApplication>()> Over(const std::string& name) {
    if (name != "GoToNext" && name != "GoTo" && name != "Tables1" && name != "ColumnsCount")
      Malformed("no operation " + name);
    return [name] { return std::make_unique<FailingApp>(name); };
  }

 private:
  void Stop(const std::string& name) const {
    if (name == operation_) throw word::WordError("the word processor stopped");
  }
  std::string operation_;
};

// ---- Running a scenario ----

const std::map<std::string, Op<Ctx>> kRunOps = {
    {"set", {0, [](Ctx& c, W, Txt t) { SetFigures(c, t); }}},
    {"participants", {1, [](Ctx& c, W w, Txt) { c.SetParticipantCount(std::stoi(w[0])); }}},
    {"word-fails",
     {1, [](Ctx& c, W w, Txt) { c.Document.CreateWordApp = FailingApp::Over(w[0]); }}}};

const std::set<std::string> kFound = {"error", "warning", "info", "box", "question", "mark"};
const std::set<std::string> kOtherKeywords = {"phase", "answer", "file", "args", "passes",
                                              "fails", "figure", "same", "log",  "log-absent"};

struct Outcome {
  bool passed = false;
  std::map<std::string, Strings> found;  // by keyword: the messages, boxes and marks
  std::string log;
};

std::string Last(const Scenario& s, const std::string& keyword, const std::string& otherwise) {
  std::string value = otherwise;
  for (const auto& line : s.lines) value = line.keyword == keyword ? line.rest : value;
  return value;
}

Outcome RunProgram(const Scenario& s, const Doc& doc) {
  TempDir dir;
  const std::string path = dir / Last(s, "file", "1234-we.docx");
  doc.Save(path);
  const std::string bytes = ReadFileBytes(path);
  Strings arguments = Words(Last(s, "args", ""));
  arguments.insert(arguments.end(), {"--json", path});
  const KvRun run =
      RunKv({.workingFolder = dir.path().string(), .arguments = arguments, .input = "y\n"});
  EXPECT_TRUE(run.status == 0 || run.status == 1) << run.err;
  EXPECT_EQ(ReadFileBytes(path), bytes) << "the chosen document changed";
  const auto report = nlohmann::json::parse(run.out);
  Outcome o{run.status == 0, {}, ReadFileBytes(dir / "kv.log")};
  for (const auto& [kind, key] :
       {std::pair{"error", "errors"}, {"warning", "warnings"}, {"info", "info"}})
    o.found[kind] = report[key].get<Strings>();
  if (run.err.find("Is this a Project Development Grant?") != std::string::npos)
    o.found["question"].push_back(run.err);  // piped input is never asked
  return o;
}

Outcome Collect(const PhaseRun& run, bool passed) {
  Outcome o{passed,
            {{"error", run.Errors()}, {"warning", run.Warnings()}, {"info", run.Info()}},
            run.LogText()};
  for (const auto& box : run.frontend.Boxes()) {
    o.found["box"].push_back(box.text);
    EXPECT_EQ(box.icon, ui::Icon::Exclamation);
  }
  for (const auto& box : run.frontend.Questions()) {
    o.found["question"].push_back(box.text + "|" + box.title);
    EXPECT_EQ(box.icon, ui::Icon::None);
  }
  const std::map<int, std::string> colours = {
      {kRed, "red"}, {kYellow, "yellow"}, {kGreen, "green"}};
  for (const auto& m : run.ctx.Document.MarkedCells)
    o.found["mark"].push_back(std::to_string(m.table) + " " + std::to_string(m.row) + " " +
                              std::to_string(m.column) + " " + colours.at(m.colour));
  return o;
}

// The expected lines of one keyword in order; marks by their table's number.
Strings Expected(const Scenario& s, const std::string& keyword, const Doc& doc) {
  Strings lines;
  for (const auto& line : s.lines) {
    if (line.keyword != keyword || (keyword == "mark" && line.rest == "none")) continue;
    const Strings w = Words(line.rest);  // TABLE ROW COLUMN COLOUR
    if (keyword != "mark") {
      lines.push_back(Unescape(line.rest));
      continue;
    }
    const auto [id, nth] = TableRef(w.at(0));
    const int table = doc.TableNumber(id) + static_cast<int>(nth);
    lines.push_back(std::to_string(table) + " " + w.at(1) + " " + w.at(2) + " " + w.at(3));
  }
  return lines;
}

void Check(const Scenario& s, Outcome& o, Ctx* ctx, const Doc& doc) {
  EXPECT_EQ(o.passed, Last(s, "passes", "-") != "-") << "passes";
  for (const auto& kind : kFound) {
    if (kind != "mark" || Last(s, "mark", "-") != "-") {
      EXPECT_EQ(o.found[kind], Expected(s, kind, doc)) << kind;
    }
  }
  std::string log;
  for (const auto& line : Expected(s, "log", doc)) log += line + "\r\n";
  EXPECT_NE(o.log.find(log), std::string::npos) << o.log;
  for (const auto& line : Expected(s, "log-absent", doc))
    EXPECT_EQ(o.log.find(line), std::string::npos) << line;
  for (const auto& line : s.lines) {
    if (line.keyword != "figure" && line.keyword != "same") continue;
    if (!ctx) Malformed(line.where + ": no figures of a program run");
    const Strings paths = Words(line.rest);
    const auto [leaves, values] =
        line.keyword == "figure"
            ? FiguresAndValues(*ctx, line.rest)
            : std::pair{Figures(*ctx, paths.at(0)), Shown(Figures(*ctx, paths.at(1)))};
    EXPECT_EQ(Shown(leaves), values) << line.where << ": " << line.rest;
  }
}

void RunScenario(const Scenario& s) {
  WorkPlan plan;
  Apply(kPlanOps, s, plan);
  Doc doc = BuildWorkPlan(plan);
  Apply(kDocOps, s, doc);
  const std::string name = Last(s, "phase", "");
  if (name == "program") {
    Outcome o = RunProgram(s, doc);
    return Check(s, o, nullptr, doc);
  }
  if (!kPhases.contains(name)) Malformed("no phase " + name);
  PhaseRun run(plan.russian, Last(s, "answer", "no") == "yes");
  if (kPhases.at(name).facts) SetPlanFacts(run.ctx, plan);
  if (!kPhases.at(name).document) run.ctx.SetParticipantCount(plan.participants);
  Apply(kRunOps, s, run.ctx);
  EXPECT_TRUE(!kPhases.at(name).document || run.Open(doc));
  Outcome o = Collect(run, kPhases.at(name).run(run.ctx));
  Check(s, o, &run.ctx, doc);
}

// ---- Reading the files ----

std::string TestName(const fs::path& file, const std::string& title) {
  std::string name = file.stem().string() + "_";
  for (char c : title)
    name += std::isalnum(static_cast<unsigned char>(c)) ? std::string(1, c)
            : name.back() == '_'                        ? ""
                                                        : "_";
  return name;
}

// Lines before the first scenario go into every scenario of the file; "define NAME" keeps
// the lines after it for "use NAME".
void ReadFile(const fs::path& file, std::vector<Scenario>& all) {
  std::ifstream in(file);
  std::map<std::string, std::vector<Line>> blocks;  // "" the file's common lines
  std::string block;
  const std::size_t first = all.size();
  int number = 0;
  for (std::string text; std::getline(in, text);) {
    const std::string where = file.filename().string() + ":" + std::to_string(++number);
    if (text.find_first_not_of(' ') == std::string::npos || text[0] == '#') continue;
    const auto space = std::min(text.find(' '), text.size());
    const Line line{text.substr(0, space), text.substr(std::min(space + 1, text.size())), where};
    auto& target = all.size() > first ? all.back().lines : blocks[block];
    const bool known = kPlanOps.contains(line.keyword) || kDocOps.contains(line.keyword) ||
                       kRunOps.contains(line.keyword) || kFound.contains(line.keyword) ||
                       kOtherKeywords.contains(line.keyword);
    if (line.keyword == "scenario")
      all.push_back({TestName(file, line.rest), blocks[""], ""});
    else if (line.keyword == "define" && all.size() == first)
      block = line.rest;
    else if (line.keyword == "use" && blocks.contains(line.rest))
      target.insert(target.end(), blocks[line.rest].begin(), blocks[line.rest].end());
    else if (known)
      target.push_back(line);
    else
      Malformed(where + ": cannot read \"" + text + "\"");
  }
  for (std::size_t i = first; i < all.size(); ++i) {
    const auto ends = std::count_if(all[i].lines.begin(), all[i].lines.end(), [](const Line& l) {
      return l.keyword == "passes" || l.keyword == "fails";
    });
    if (ends != 1 || Last(all[i], "phase", "").empty())
      Malformed(all[i].name + ": needs a phase and passes or fails");
  }
}

std::vector<Scenario> ReadScenarios() {
  const fs::path folder = fs::path(KV_SOURCE_DIR) / "tests" / "scenarios";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<Scenario> all;
  for (const auto& file : files) {
    const std::size_t first = all.size();
    try {
      ReadFile(file, all);
    } catch (const std::exception& e) {
      all.resize(first);
      all.push_back({TestName(file, "unreadable"), {}, e.what()});
    }
  }
  if (all.empty()) all.push_back({"none", {}, "no scenarios in " + folder.string()});
  return all;
}

void PrintTo(const Scenario& s, std::ostream* out) {
  *out << s.name;
}

class PhaseScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(PhaseScenario, FindsWhatItMust) {
  ASSERT_EQ(GetParam().malformed, "");
  RunScenario(GetParam());  // a malformed line throws, which fails the case
}
INSTANTIATE_TEST_SUITE_P(Scenarios, PhaseScenario, ::testing::ValuesIn(ReadScenarios()),
                         [](const auto& info) { return info.param.name; });

TEST(QuarterLists, CountTheQuartersOrRefuse) {
  // clang-format off
  const std::pair<std::string, int> cases[] = {
      {"1-4", 4}, {"1,3-5", 4}, {"2, 4", 2}, {"1–2", 2}, {"3-3", -1}, {"4-2", -1}, {"0", -1},
      {"1,1", -1}, {"2-9", -1}, {"9", -1}, {"", -1}, {"1,,2", -1}, {"1-99999", -1},
      {std::string(200, '7'), -1}, {"1—3,8", 4}};
  // clang-format on
  PhaseRun phase;
  phase.ctx.ProjectDurationQuarters = 8;
  std::array<bool, 21> quarters{};
  for (const auto& [text, count] : cases)
    EXPECT_EQ(validate::ParseQuarterList(phase.ctx, text, quarters), count) << text;
  EXPECT_EQ(quarters,
            (std::array<bool, 21>{false, true, true, true, false, false, false, false, true}));
}

}  // namespace
}  // namespace kv::testing
