// The checks of each phase as scenarios (tests/scenarios/*.txt, described in README there):
// a plan, the changes to it, the phase to run and everything it must find. Each scenario
// is one test case named after its file and title.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <span>
#include <sstream>
#include <variant>

#include "docx/application.h"
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

[[noreturn]] void Malformed(const std::string& why) {
  throw std::invalid_argument(why);
}

struct Line {
  std::string keyword, rest, where;
};
struct Scenario {
  std::string name;
  std::vector<Line> lines;
  std::string malformed;  // why the file could not be read
};

Strings Words(const std::string& text) {
  std::istringstream in(text);
  Strings words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) return out.push_back(static_cast<char>(code));
  if (code >= 0x800)
    out.push_back(static_cast<char>(0xE0 | code >> 12));
  else
    out.push_back(static_cast<char>(0xC0 | code >> 6));
  if (code >= 0x800) out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
  out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

// Texts as written: \v \t \n, \xHH, \uHHHH, \{N}c for N times c, \\ for a backslash.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = i + 1 < text.size() && text[i] == '\\' ? text[++i] : 0;
    const std::size_t close = c == '{' ? text.find('}', i) : 0;
    if (c == 0)
      out += text[i];
    else if (c == 'v' || c == 't' || c == 'n')
      out += c == 'v' ? '\v' : c == 't' ? '\t' : '\n';
    else if (c == 'x' || c == 'u')
      AppendUtf8(out, std::stoul(text.substr(i + 1, c == 'x' ? 2 : 4), nullptr, 16));
    else if (c == '{')
      out.append(std::stoul(text.substr(i + 1, close - i - 1)), text.at(close + 1));
    else
      out += c;
    if (c == 'x' || c == 'u') i += c == 'x' ? 2 : 4;
    if (c == '{') i = close + 1;
  }
  return out;
}

// The first n words of a line and the text after them, verbatim but for one blank.
std::pair<Strings, std::string> Split(const std::string& rest, std::size_t n) {
  Strings words;
  std::size_t at = 0;
  while (words.size() < n) {
    const std::size_t begin = rest.find_first_not_of(' ', at);
    if (begin == std::string::npos) Malformed("too few words in: " + rest);
    at = std::min(rest.find(' ', begin), rest.size());
    words.push_back(rest.substr(begin, at - begin));
  }
  return {words, Unescape(rest.substr(std::min(at + 1, rest.size())))};
}

// "key=value" words; a key alone has the value "".
template <typename F>
void ForOptions(const Strings& words, std::size_t from, F&& apply) {
  for (std::size_t i = from; i < words.size(); ++i) {
    const auto eq = words[i].find('=');
    apply(words[i].substr(0, eq), eq == std::string::npos ? "" : words[i].substr(eq + 1));
  }
}

// ---- The plan ----

void SetPlanWord(WorkPlan& plan, const std::string& key, const std::string& value) {
  if (key == "russian")
    plan.russian = true;
  else if (key == "partners")
    plan.partnersTable = true;
  else if (key == "cis-travel")
    plan.cisTravelInKind = true;
  else if (key == "participants")
    plan.participants = std::stoi(value);
  else if (key == "months")
    plan.months = std::stoi(value);
  else if (key == "number")
    plan.projectNumber = value;
  else
    Malformed("unknown plan word " + key);
}

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> numbers;
  for (const auto& word : Words(text)) numbers.push_back(std::stod(word));
  return numbers;
}

using PlanOp = void (*)(WorkPlan&, const std::string&);
const std::map<std::string, PlanOp> kPlanOps = {
    {"plan",
     [](WorkPlan& p, const std::string& rest) {
       ForOptions(Words(rest), 0, [&](const auto& k, const auto& v) { SetPlanWord(p, k, v); });
     }},
    // "task DAYS" a task without subtasks, "task / DAYS / DAYS" one with subtasks.
    {"task",
     [](WorkPlan& p, const std::string& rest) {
       std::istringstream in(rest);
       ScheduleTask task;
       std::string part;
       std::getline(in, part, '/');
       task.days = Numbers(part);
       while (std::getline(in, part, '/')) task.subtasks.push_back(Numbers(part));
       p.schedule.push_back(task);
     }},
    {"staff",
     [](WorkPlan& p, const std::string& rest) {
       for (const auto& w : Words(rest))
         p.personnel.push_back(w == "empty" ? InstitutionStaff{} : DefaultStaff(p.russian));
     }},
    // person INSTITUTION CATEGORY(1-4) NTH(from 1) rate= days= persons=
    {"person",
     [](WorkPlan& p, const std::string& rest) {
       const Strings w = Words(rest);
       Person& person = p.personnel.at(std::stoul(w.at(0)))
                            .categories.at(std::stoul(w.at(1)) - 1)
                            .at(std::stoul(w.at(2)) - 1);
       ForOptions(w, 3, [&](const std::string& k, const std::string& v) {
         if (k == "persons")
           person.persons = std::stoi(v);
         else
           (k == "rate"   ? person.rate
            : k == "days" ? person.days
                          : (Malformed("person " + k), person.days)) = std::stod(v);
       });
     }},
    // expense INSTITUTION row= recipient= inkind= firsthalf= single
    {"expense",
     [](WorkPlan& p, const std::string& rest) {
       const Strings w = Words(rest);
       ExpenseLine line{0};
       ForOptions(w, 1, [&](const std::string& k, const std::string& v) {
         if (k == "row")
           line.row = std::stoi(v);
         else if (k == "single")
           line.singleItem = true;
         else
           (k == "recipient"   ? line.recipient
            : k == "inkind"    ? line.inKind
            : k == "firsthalf" ? line.firstHalf
                               : (Malformed("expense " + k), line.inKind)) = std::stod(v);
       });
       const auto institution = std::stoul(w.at(0));
       if (p.expenses.size() <= institution) p.expenses.resize(institution + 1);
       p.expenses[institution].push_back(line);
     }},
};

// ---- Changes to the document ----

// "ID" the section's first table, "ID.n" its nth (from 0).
std::pair<std::string, std::size_t> TableRef(const std::string& ref) {
  const auto dot = ref.find('.');
  return {ref.substr(0, dot), dot == std::string::npos ? 0 : std::stoul(ref.substr(dot + 1))};
}
CellGrid& TableAt(WorkPlanDocument& d, const std::string& ref) {
  const auto [id, nth] = TableRef(ref);
  return d.TableOf(id, nth);
}
// Position n of size items, negative counting from the end (-1 the last).
std::size_t At(const std::string& n, std::size_t size, int base) {
  const long k = std::stol(n);
  return static_cast<std::size_t>(k < 0 ? static_cast<long>(size) + k : k - base);
}
template <typename V>
void EraseRange(V& items, const Strings& w, int base) {
  const std::size_t first = At(w.at(1), items.size(), base);
  const std::size_t last = At(w.size() > 2 ? w[2] : w[1], items.size(), base) + 1;
  if (first < last)
    items.erase(items.begin() + static_cast<long>(first), items.begin() + static_cast<long>(last));
}
long Index(const std::string& n) {
  return std::stol(n);
}

// Blocks count from 0, rows and columns from 1.
using DocOp = void (*)(WorkPlanDocument&, const std::string&);
const std::map<std::string, DocOp> kDocOps = {
    {"drop", [](WorkPlanDocument& d, const std::string& r) { d.Remove(r); }},
    {"end-after", [](WorkPlanDocument& d, const std::string& r) { d.EndAfter(r); }},
    {"swap", [](WorkPlanDocument& d,
                const std::string& r) { std::swap(d[Words(r).at(0)], d[Words(r).at(1)]); }},
    {"retitle",
     [](WorkPlanDocument& d, const std::string& r) {
       const auto [w, text] = Split(r, 1);
       d[w[0]].heading = text;
     }},
    {"copy", [](WorkPlanDocument& d,
                const std::string& r) { d.Body(Words(r).at(1)) = d.Body(Words(r).at(0)); }},
    // body-from ID PLAN-WORDS: the section as a plan of other words writes it.
    {"body-from",
     [](WorkPlanDocument& d, const std::string& r) {
       const auto [w, words] = Split(r, 1);
       WorkPlan other;
       ForOptions(Words(words), 0, [&](const auto& k, const auto& v) { SetPlanWord(other, k, v); });
       d.Body(w[0]) = BuildWorkPlan(other).Body(w[0]);
     }},
    {"line",
     [](WorkPlanDocument& d, const std::string& r) {
       const auto [w, text] = Split(r, 2);
       d.Body(w[0]).at(static_cast<std::size_t>(Index(w[1]))) = Paragraph(text);
     }},
    {"insert",
     [](WorkPlanDocument& d, const std::string& r) {
       const auto [w, text] = Split(r, 2);
       d.Body(w[0]).insert(d.Body(w[0]).begin() + Index(w[1]), Paragraph(text));
     }},
    {"add",
     [](WorkPlanDocument& d, const std::string& r) {
       const auto [w, text] = Split(r, 1);
       d.Body(w[0]).push_back(Paragraph(text));
     }},
    // add-table ID CELL | CELL ...: a table of one row.
    {"add-table",
     [](WorkPlanDocument& d, const std::string& r) {
       const auto [w, text] = Split(r, 1);
       Strings cells;
       for (std::size_t at = 0; at <= text.size();
            at = std::min(text.find(" | ", at), text.size()) + 3)
         cells.push_back(text.substr(at, text.find(" | ", at) - at));
       d.Body(w[0]).push_back(Table({cells}));
     }},
    {"repeat",
     [](WorkPlanDocument& d, const std::string& r) {
       const Strings w = Words(r);
       d.Body(w.at(0)).push_back(d.Body(w[0]).at(static_cast<std::size_t>(Index(w.at(1)))));
     }},
    {"erase", [](WorkPlanDocument& d,
                 const std::string& r) { EraseRange(d.Body(Words(r).at(0)), Words(r), 0); }},
    {"cell",
     [](WorkPlanDocument& d, const std::string& r) {
       const auto [w, text] = Split(r, 3);
       TableAt(d, w[0]).at(std::stoul(w[1]) - 1).at(std::stoul(w[2]) - 1) = text;
     }},
    {"rows-erase",
     [](WorkPlanDocument& d, const std::string& r) {
       EraseRange(TableAt(d, Words(r).at(0)), Words(r), 1);
     }},
    // row-copy TABLE FROM AT: a copy of row FROM inserted as row AT.
    {"row-copy",
     [](WorkPlanDocument& d, const std::string& r) {
       const Strings w = Words(r);
       CellGrid& t = TableAt(d, w.at(0));
       t.insert(t.begin() + Index(w.at(2)) - 1, Strings(t.at(std::stoul(w.at(1)) - 1)));
     }},
    // row-blank TABLE AT: an empty row as wide as row AT inserted before it.
    {"row-blank",
     [](WorkPlanDocument& d, const std::string& r) {
       const Strings w = Words(r);
       CellGrid& t = TableAt(d, w.at(0));
       t.insert(t.begin() + Index(w.at(1)) - 1, Strings(t.at(std::stoul(w[1]) - 1).size()));
     }},
    {"cell-add",
     [](WorkPlanDocument& d, const std::string& r) {
       const Strings w = Words(r);
       TableAt(d, w.at(0)).at(std::stoul(w.at(1)) - 1).emplace_back();
     }},
    // column-drop TABLE: the first column of every row but the last.
    {"column-drop",
     [](WorkPlanDocument& d, const std::string& r) {
       CellGrid& t = TableAt(d, r);
       for (std::size_t row = 0; row + 1 < t.size(); ++row) t[row].erase(t[row].begin());
     }},
};

// ---- Figures of the run by name: "PersonnelDays[0].Of(2)", "FinancialTable[*].Total" ----

using Leaf = std::variant<double*, std::int16_t*, bool*, std::string*>;
using Leaves = std::vector<Leaf>;
struct Step {
  std::string name;  // ".Name" or ".Name(index)"; "" for "[index]"
  int index = -1;    // -1 with no name: "[*]", every item
};
using Path = std::span<const Step>;

template <typename T>
void Walk(T& node, Path path, Leaves& out);

template <typename T>
void Flatten(T& leaf, Leaves& out) {
  out.push_back(&leaf);
}
template <typename T, std::size_t N>
void Flatten(std::array<T, N>& items, Leaves& out) {
  for (auto& item : items) Walk(item, {}, out);
}
template <typename T>
void Flatten(std::vector<T>& items, Leaves& out) {
  for (auto& item : items) Walk(item, {}, out);
}
template <typename T>
void Flatten(validate::ByPeriod<T>& periods, Leaves& out) {
  for (int period = 0; period <= 6; ++period) Walk(periods[period], {}, out);
}
template <int N>
void Flatten(validate::CategorySums<N>& sums, Leaves& out) {
  Walk(sums.Total, {}, out);
  Walk(sums.Category, {}, out);
}
void Flatten(validate::FinancialColumns& columns, Leaves& out) {
  Walk(columns.Recipient, {}, out);
  Walk(columns.InKind, {}, out);
}

template <typename T, typename F>
void Select(T&, const Step& step, F&&) {
  Malformed("nothing under a figure: " + step.name);
}
template <typename V, typename F>
void SelectItems(V& items, const Step& step, F&& visit) {
  if (!step.name.empty()) Malformed("no " + step.name + " in a list");
  if (step.index >= 0) return visit(items.at(static_cast<std::size_t>(step.index)));
  for (auto& item : items) visit(item);
}
template <typename T, std::size_t N, typename F>
void Select(std::array<T, N>& items, const Step& step, F&& visit) {
  SelectItems(items, step, visit);
}
template <typename T, typename F>
void Select(std::vector<T>& items, const Step& step, F&& visit) {
  SelectItems(items, step, visit);
}
template <typename T, typename F>
void Select(validate::ByPeriod<T>& periods, const Step& step, F&& visit) {
  if (step.name == "Total" || step.name == "QuartersOneTwo")
    return visit(step.name == "Total" ? periods.Total : periods.QuartersOneTwo);
  if (step.name == "Years") return visit(periods.Years);
  for (int period = 0; period <= 6; ++period)
    if (step.index == period || step.index < 0) visit(periods[period]);
}
template <int N, typename F>
void Select(validate::CategorySums<N>& sums, const Step& step, F&& visit) {
  if (step.name == "Total") return visit(sums.Total);
  if (step.name == "Of") return visit(sums.Of(step.index));
  Malformed("no " + step.name + " in category sums");
}
template <typename F>
void Select(validate::FinancialColumns& columns, const Step& step, F&& visit) {
  if (step.name != "Recipient" && step.name != "InKind")
    Malformed("no " + step.name + " in a period");
  visit(step.name == "Recipient" ? columns.Recipient : columns.InKind);
}

template <typename T>
void Walk(T& node, Path path, Leaves& out) {
  if (path.empty()) return Flatten(node, out);
  Select(node, path.front(), [&](auto& child) { Walk(child, path.subspan(1), out); });
}

using Accessor = std::function<void(Ctx&, Path, Leaves&)>;
template <typename C, typename M>
std::pair<const std::string, Accessor> Field(const char* name, M C::*member) {
  return {name, [member](Ctx& c, Path path, Leaves& out) { Walk(c.*member, path, out); }};
}
const std::map<std::string, Accessor> kFields = {
    Field("ParticipantCount", &Ctx::ParticipantCount),
    Field("ParseResults", &Ctx::ParseResults),
    Field("ScheduleTotalDays", &Ctx::ScheduleTotalDays),
    Field("PersonnelDays", &Ctx::PersonnelDays),
    Field("PersonnelGrants", &Ctx::PersonnelGrants),
    Field("TotalPersonnelCount", &Ctx::TotalPersonnelCount),
    Field("FinancialTable", &Ctx::FinancialTable),
    Field("FinancialTotals", &Ctx::FinancialTotals),
    Field("OverheadValues", &Ctx::OverheadValues),
    Field("EquipmentInKindSums", &Ctx::EquipmentInKindSums),
    Field("EquipmentPurchasedSums", &Ctx::EquipmentPurchasedSums),
    Field("MaterialsInKindSums", &Ctx::MaterialsInKindSums),
    Field("MaterialsPurchasedSums", &Ctx::MaterialsPurchasedSums),
    Field("CapitalEquipmentInKindSums", &Ctx::CapitalEquipmentInKindSums),
    Field("CapitalEquipmentPurchasedSums", &Ctx::CapitalEquipmentPurchasedSums),
    Field("SpecialItemCount", &Ctx::SpecialItemCount),
    Field("OdcInKindSums", &Ctx::OdcInKindSums),
    Field("OdcPurchasedSums", &Ctx::OdcPurchasedSums),
    Field("TotalGrants", &Ctx::TotalGrants),
    Field("ProjectTotalCost", &Ctx::ProjectTotalCost),
    Field("ProjectType", &Ctx::ProjectType),
    Field("SpecialSeries", &Ctx::SpecialSeries),
    Field("RequireCategoryOne", &Ctx::RequireCategoryOne),
    Field("ApplyGrantNorms", &Ctx::ApplyGrantNorms),
    Field("ProjectDurationMonths", &Ctx::ProjectDurationMonths),
    Field("ProjectDurationQuarters", &Ctx::ProjectDurationQuarters),
    Field("ProjectDurationYears", &Ctx::ProjectDurationYears),
};

Leaves Figures(Ctx& ctx, const std::string& path) {
  static const std::regex step(R"(\.(\w+)(?:\((\d+)\))?|\[(\d+|\*)\])");
  const std::size_t top = std::min(path.find_first_of(".["), path.size());
  std::vector<Step> steps;
  std::size_t at = top;
  for (std::sregex_iterator i(path.begin() + static_cast<long>(top), path.end(), step), end;
       i != end; ++i) {
    if (static_cast<std::size_t>(i->position()) + top != at) break;
    const auto& m = *i;
    const std::string index = m[2].matched ? m[2].str() : m[3].str();
    steps.push_back({m[1].str(), index.empty() || index == "*" ? -1 : std::stoi(index)});
    at += static_cast<std::size_t>(m.length());
  }
  const auto field = kFields.find(path.substr(0, top));
  if (field == kFields.end() || at != path.size()) Malformed("no figure " + path);
  Leaves leaves;
  field->second(ctx, steps, leaves);
  return leaves;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.12g", value);
  return text;
}
std::string Show(const Leaf& leaf) {
  return std::visit(
      [](auto* v) -> std::string {
        if constexpr (std::is_same_v<decltype(v), std::string*>)
          return *v;
        else
          return Number(static_cast<double>(*v));
      },
      leaf);
}
Strings Shown(const Leaves& leaves) {
  Strings shown;
  for (const auto& leaf : leaves) shown.push_back(Show(leaf));
  return shown;
}
// "PATH = VALUES": the figures and the values as they show.
std::pair<Leaves, Strings> FiguresAndValues(Ctx& ctx, const std::string& rest) {
  const auto eq = rest.find(" =");
  if (eq == std::string::npos) Malformed("no \" =\" in " + rest);
  Leaves leaves;
  for (const auto& path : Words(rest.substr(0, eq))) {
    const Leaves some = Figures(ctx, path);
    leaves.insert(leaves.end(), some.begin(), some.end());
  }
  const std::string text = Unescape(rest.substr(std::min(eq + 3, rest.size())));
  if (leaves.size() == 1 && std::holds_alternative<std::string*>(leaves[0]))
    return {leaves, {text}};
  Strings values;
  for (double n : Numbers(text)) values.push_back(Number(n));
  return {leaves, values};
}
void SetFigures(Ctx& ctx, const std::string& rest) {
  const auto [leaves, values] = FiguresAndValues(ctx, rest);
  if (values.size() != 1 && values.size() != leaves.size()) Malformed("values for " + rest);
  for (std::size_t i = 0; i < leaves.size(); ++i) {
    const std::string& value = values[values.size() == 1 ? 0 : i];
    std::visit(
        [&](auto* v) {
          if constexpr (std::is_same_v<decltype(v), std::string*>)
            *v = value;
          else
            *v = static_cast<std::remove_pointer_t<decltype(v)>>(std::stod(value));
        },
        leaves[i]);
  }
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
    {"norms", {validate::FundingNorms, false, false}},
};

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

 private:
  void Stop(const std::string& name) const {
    if (name == operation_) throw word::WordError("the word processor stopped");
  }
  std::string operation_;
};

// ---- Running a scenario ----

struct Outcome {
  bool passed = false;
  Strings errors, warnings, info, boxes, questions, marks;
  std::string log;
};

const std::set<std::string> kExpectations = {"passes", "fails", "error",    "warning",
                                             "info",   "box",   "question", "mark",
                                             "figure", "same",  "log",      "log-absent"};
const std::set<std::string> kRunOps = {"phase",  "set",  "participants", "word-fails",
                                       "answer", "file", "args"};

std::string Colour(int colour) {
  return colour == kRed      ? "red"
         : colour == kYellow ? "yellow"
         : colour == kGreen  ? "green"
                             : std::to_string(colour);
}

std::string Last(const Scenario& s, const std::string& keyword, const std::string& otherwise) {
  std::string value = otherwise;
  for (const auto& line : s.lines) value = line.keyword == keyword ? line.rest : value;
  return value;
}

Outcome RunProgram(const Scenario& s, const WorkPlanDocument& doc) {
  TempDir dir;
  const std::string path = dir / Last(s, "file", "1234-we.docx");
  doc.Save(path);
  const std::string bytes = ReadFileBytes(path);
  Strings arguments = Words(Last(s, "args", ""));
  arguments.insert(arguments.end(), {"--json", path});
  const KvRun run =
      RunKv({.workingFolder = dir.path().string(), .arguments = arguments, .input = "y\n"});
  EXPECT_TRUE(run.status == 0 || run.status == 1) << run.err;
  const auto report = nlohmann::json::parse(run.out);
  EXPECT_EQ(ReadFileBytes(path), bytes) << "the chosen document changed";
  Outcome o;
  o.passed = run.status == 0;
  o.errors = report["errors"].get<Strings>();
  o.warnings = report["warnings"].get<Strings>();
  o.info = report["info"].get<Strings>();
  o.log = ReadFileBytes(dir / "kv.log");
  return o;
}

Outcome Collect(const PhaseRun& run, bool passed) {
  Outcome o;
  o.passed = passed, o.errors = run.Errors(), o.warnings = run.Warnings(), o.info = run.Info();
  for (const auto& box : run.frontend.Boxes()) o.boxes.push_back(box.text);
  for (const auto& box : run.frontend.Questions())
    o.questions.push_back(box.text + "|" + box.title);
  for (const auto& box : run.frontend.Boxes()) EXPECT_EQ(box.icon, ui::Icon::Exclamation);
  for (const auto& box : run.frontend.Questions()) EXPECT_EQ(box.icon, ui::Icon::None);
  for (const auto& m : run.ctx.Document.MarkedCells)
    o.marks.push_back(std::to_string(m.table) + " " + std::to_string(m.row) + " " +
                      std::to_string(m.column) + " " + Colour(m.colour));
  o.log = run.LogText();
  return o;
}

void SetUp(Ctx& ctx, const Phase& phase, const WorkPlan& plan, const Scenario& s) {
  if (phase.facts) SetPlanFacts(ctx, plan);
  if (!phase.document) ctx.SetParticipantCount(plan.participants);
  for (const auto& line : s.lines) {
    SCOPED_TRACE(line.where);
    if (line.keyword == "set") SetFigures(ctx, line.rest);
    if (line.keyword == "participants") ctx.SetParticipantCount(std::stoi(line.rest));
    if (line.keyword == "word-fails") {
      const std::set<std::string> known = {"GoToNext", "GoTo", "Tables1", "ColumnsCount"};
      if (!known.contains(line.rest)) Malformed("no such operation " + line.rest);
      ctx.Document.CreateWordApp = [op = line.rest] { return std::make_unique<FailingApp>(op); };
    }
  }
}

// The expected lines of one kind, in order.
Strings Expected(const Scenario& s, const std::string& keyword, const WorkPlanDocument& doc) {
  Strings lines;
  for (const auto& line : s.lines) {
    if (line.keyword != keyword || (keyword == "mark" && line.rest == "none")) continue;
    if (keyword != "mark") {
      lines.push_back(Unescape(line.rest));
      continue;
    }
    const Strings w = Words(line.rest);  // TABLE ROW COLUMN COLOUR
    const auto [id, nth] = TableRef(w.at(0));
    lines.push_back(std::to_string(doc.TableNumber(id) + static_cast<int>(nth)) + " " + w.at(1) +
                    " " + w.at(2) + " " + w.at(3));
  }
  return lines;
}

void Check(const Scenario& s, const Outcome& o, Ctx* ctx, const WorkPlanDocument& doc) {
  EXPECT_EQ(o.passed, Last(s, "passes", "-") != "-") << "passes";
  EXPECT_EQ(o.errors, Expected(s, "error", doc));
  EXPECT_EQ(o.warnings, Expected(s, "warning", doc));
  EXPECT_EQ(o.info, Expected(s, "info", doc));
  EXPECT_EQ(o.boxes, Expected(s, "box", doc));
  EXPECT_EQ(o.questions, Expected(s, "question", doc));
  if (Last(s, "mark", "-") != "-") {
    EXPECT_EQ(o.marks, Expected(s, "mark", doc));
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
  for (const auto& line : s.lines)
    if (kPlanOps.contains(line.keyword)) kPlanOps.at(line.keyword)(plan, line.rest);
  WorkPlanDocument doc = BuildWorkPlan(plan);
  for (const auto& line : s.lines)
    if (kDocOps.contains(line.keyword)) kDocOps.at(line.keyword)(doc, line.rest);
  const std::string phaseName = Last(s, "phase", "");
  if (phaseName == "program") return Check(s, RunProgram(s, doc), nullptr, doc);
  if (!kPhases.contains(phaseName)) Malformed("no phase " + phaseName);
  const Phase& phase = kPhases.at(phaseName);
  PhaseRun run(plan.russian, Last(s, "answer", "no") == "yes");
  SetUp(run.ctx, phase, plan, s);
  if (phase.document) {
    EXPECT_TRUE(run.Open(doc));
  }
  const bool passed = phase.run(run.ctx);
  Check(s, Collect(run, passed), &run.ctx, doc);
}

// ---- Reading the files ----

bool Known(const std::string& keyword) {
  return kPlanOps.contains(keyword) || kDocOps.contains(keyword) || kRunOps.contains(keyword) ||
         kExpectations.contains(keyword);
}

std::string TestName(const fs::path& file, const std::string& title) {
  std::string name = file.stem().string() + "_";
  for (char c : title) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      name += c;
    else if (name.back() != '_')
      name += '_';
  }
  return name;
}

// Lines before the first scenario go into every scenario of the file; "define NAME" keeps
// lines for "use NAME".
void ReadFile(const fs::path& file, std::vector<Scenario>& all) {
  std::ifstream in(file);
  std::vector<Line> common;
  std::map<std::string, std::vector<Line>> blocks;
  std::string block;
  const std::size_t first = all.size();
  int number = 0;
  for (std::string text; std::getline(in, text);) {
    const std::string where = file.filename().string() + ":" + std::to_string(++number);
    if (text.find_first_not_of(' ') == std::string::npos || text[0] == '#') continue;
    const auto space = std::min(text.find(' '), text.size());
    const Line line{text.substr(0, space), text.substr(std::min(space + 1, text.size())), where};
    auto& target = all.size() > first ? all.back().lines : block.empty() ? common : blocks[block];
    if (line.keyword == "scenario")
      all.push_back({TestName(file, line.rest), common, ""});
    else if (line.keyword == "define" && all.size() == first)
      block = line.rest;
    else if (line.keyword == "use" && blocks.contains(line.rest))
      target.insert(target.end(), blocks[line.rest].begin(), blocks[line.rest].end());
    else if (Known(line.keyword))
      target.push_back(line);
    else
      Malformed(where + ": cannot read \"" + text + "\"");
  }
  for (std::size_t i = first; i < all.size(); ++i) {
    const auto& s = all[i];
    const auto count = std::count_if(s.lines.begin(), s.lines.end(), [](const Line& l) {
      return l.keyword == "passes" || l.keyword == "fails";
    });
    if (count != 1 || Last(s, "phase", "").empty())
      Malformed(s.name + ": needs one phase and one of passes or fails");
  }
}

std::vector<Scenario> ReadScenarios() {
  const fs::path folder = fs::path(KV_SOURCE_DIR) / "tests" / "scenarios";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<Scenario> all;
  std::set<std::string> names;
  for (const auto& file : files) {
    const std::size_t first = all.size();
    try {
      ReadFile(file, all);
    } catch (const std::exception& e) {
      all.resize(first);
      all.push_back({TestName(file, "unreadable"), {}, e.what()});
    }
  }
  for (auto& s : all)
    if (!names.insert(s.name).second) s = {s.name + "_again", {}, "two scenarios named " + s.name};
  if (all.empty()) all.push_back({"none", {}, "no scenarios in " + folder.string()});
  return all;
}

void PrintTo(const Scenario& s, std::ostream* out) {
  *out << s.name;
}

class PhaseScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(PhaseScenario, FindsWhatItMust) {
  ASSERT_EQ(GetParam().malformed, "");
  try {
    RunScenario(GetParam());
  } catch (const std::invalid_argument& e) {
    FAIL() << "malformed scenario: " << e.what();
  }
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
