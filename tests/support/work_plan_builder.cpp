#include "support/work_plan_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numeric>
#include <sstream>
#include <stdexcept>

#include "support/case_table.h"
#include "support/docx_builder.h"
#include "word/text_rules.h"

namespace kv::testing {
namespace {

// The texts of plan_texts.tsv in the plan's language, with the catalogue's as "@Name".
std::map<std::string, std::string> PlanTexts(bool russian) {
  std::map<std::string, std::string> texts;
  for (const Case& row : ReadTable("data/plan_texts.tsv")) texts[row[0]] = row[russian ? 2 : 1];
  for (const auto& [name, text] : CatalogueByName(russian)) texts["@" + name] = text;
  return texts;
}

std::string RussianMonths(int months) {
  const int lastTwo = months % 100, last = months % 10;
  const bool teen = lastTwo >= 11 && lastTwo <= 14;
  return (last == 1 && !teen)                ? " месяц"
         : (last >= 2 && last <= 4 && !teen) ? " месяца"
                                             : " месяцев";
}

// Three tasks: two with subtasks, and one without that takes the rest of the personnel's
// days, spread over the quarters in half days, so that the schedule agrees with them.
std::vector<ScheduleTask> DefaultSchedule(int quarters, double personnelDays) {
  ScheduleTask first{{std::vector<double>(quarters, 10), std::vector<double>(quarters, 5.5)}, {}};
  ScheduleTask second{{std::vector<double>(quarters)}, {}};
  for (int q = 0; q < quarters; ++q) second.subtasks[0][q] = 2 * (q + 1);
  const long halfDays = std::lround(2 * (personnelDays - quarters * (15.5 + quarters + 1)));
  ScheduleTask third{{}, std::vector<double>(quarters, halfDays / quarters / 2.0)};
  third.days.back() += halfDays % quarters / 2.0;
  return {first, second, third};
}

// A day count as typed in a cell: "15", "15.5", "40000.3".
std::string DaysText(double days) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", days);
  return text;
}

// A labelled row of day counts followed by their sum.
std::vector<std::string> DaysRow(const std::string& label, const std::vector<double>& days) {
  std::vector<std::string> row{label};
  for (double d : days) row.push_back(DaysText(d));
  row.push_back(DaysText(std::accumulate(days.begin(), days.end(), 0.0)));
  return row;
}

std::vector<double> TaskDays(const ScheduleTask& task, int quarters) {
  if (task.subtasks.empty()) return task.days;
  std::vector<double> days(quarters, 0);
  for (const auto& subtask : task.subtasks) {
    for (int q = 0; q < quarters; ++q) days[q] += subtask.at(q);
  }
  return days;
}

// A paragraph of plain text in the given style ("" Normal); the characters the word
// processor keeps as elements of their own (tab, line break, non-breaking and optional
// hyphen) are written as those elements.
std::string ParagraphXml(const std::string& text, const std::string& style = "") {
  std::string xml =
      style.empty() ? "<w:p><w:r>" : "<w:p><w:pPr><w:pStyle w:val=\"" + style + "\"/></w:pPr><w:r>";
  std::string pending;
  auto flush = [&] {
    if (!pending.empty()) xml += "<w:t xml:space=\"preserve\">" + XmlEscape(pending) + "</w:t>";
    pending.clear();
  };
  static const std::map<char, std::string> kElements = {{'\t', "<w:tab/>"},
                                                        {'\v', "<w:br/>"},
                                                        {'\x1E', "<w:noBreakHyphen/>"},
                                                        {'\x1F', "<w:softHyphen/>"}};
  for (char c : text) {
    const auto element = kElements.find(c);
    if (element == kElements.end()) {
      pending += c;
    } else {
      flush();
      xml += element->second;
    }
  }
  flush();
  return xml + "</w:r></w:p>";
}

// Cells span the grid columns the block gives them; a row narrower than the widest (a
// totals row) has its first cell span the difference.
TableSpec TableXmlSpec(const Block& block) {
  TableSpec table;
  for (std::size_t r = 0; r < block.cells.size(); ++r) {
    auto& specRow = table.rows.emplace_back();
    for (std::size_t c = 0; c < block.cells[r].size(); ++c) {
      CellSpec cell;
      cell.rawContentXml = ParagraphXml(block.cells[r][c]);
      if (r < block.gridSpans.size() && c < block.gridSpans[r].size()) {
        cell.gridSpan = block.gridSpans[r][c];
      }
      specRow.push_back(cell);
    }
  }
  const auto width = [](const std::vector<CellSpec>& row) {
    return std::accumulate(row.begin(), row.end(), 0, [](int columns, const CellSpec& cell) {
      return columns + cell.gridSpan;
    });
  };
  int columns = 0;
  for (const auto& row : table.rows) columns = std::max(columns, width(row));
  for (auto& row : table.rows) {
    if (!row.empty()) row[0].gridSpan += columns - width(row);
  }
  return table;
}

// "HeadingII" heads a part, "HeadingII8" a section, "HeadingII81" a subsection.
std::string HeadingStyle(const std::string& id) {
  const auto digits =
      std::count_if(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
  return "Heading" + std::to_string(1 + std::min<std::ptrdiff_t>(digits, 2));
}

// A section whose tables have more columns than a portrait page holds legibly (the
// schedule of a long project, the financial tables) stands on landscape pages.
bool NeedsLandscape(const Section& section) {
  return std::any_of(section.body.begin(), section.body.end(), [](const Block& block) {
    return std::any_of(block.cells.begin(), block.cells.end(),
                       [](const auto& row) { return row.size() > 8; });
  });
}

// The columns of the personnel tables, category by category.
enum Field { kPersons, kName, kYear, kDegree, kWeapon, kFunction, kRate, kDays, kAmount };
const std::vector<Field> kStaffColumns[] = {
    {kName, kYear, kDegree, kWeapon, kFunction, kRate, kDays, kAmount},
    {kName, kYear, kDegree, kFunction, kRate, kDays, kAmount},
    {kName, kYear, kFunction, kRate, kDays, kAmount},
    {kFunction, kRate, kDays, kAmount},
    {kPersons, kFunction, kRate, kDays, kAmount},  // category IV with counts of persons
};

// The amounts of a financial table by row and column, both counted from 1.
using Amounts = std::vector<std::vector<double>>;
constexpr int kOverheadRow = 26, kTotalRow = 27;

// The lines of the financial tables, their labels, default amounts and sums.
std::vector<Case> FinancialRows() {
  return ReadTable("data/financial_rows.tsv");
}

// The people of each institution: the plan's, or the default staff for every one.
std::vector<InstitutionStaff> StaffOf(const WorkPlan& plan) {
  if (!plan.personnel.empty()) return plan.personnel;
  return std::vector<InstitutionStaff>(plan.participants + 1,
                                       DefaultStaff(plan.russian, plan.Years()));
}

// The days, or with their rates the amounts, of a list of people.
double Sum(const std::vector<Person>& people, bool amounts) {
  double sum = 0;
  for (const Person& p : people) sum += amounts ? p.rate * p.days : p.days;
  return sum;
}

// The default lines, the CIS travel and the plan's own lines of institution n. The
// grants of categories I to IV (rows 4 to 7, in kind) are those of its personnel, the
// same in each year; the overhead and the bank fees keep within the funding norms.
std::vector<ExpenseLine> InstitutionExpenses(const WorkPlan& plan, std::size_t n) {
  std::vector<ExpenseLine> lines;
  for (const Case& row : FinancialRows()) {
    if (!row[2].empty()) lines.push_back({std::stoi(row[0]), std::stod(row[2])});
  }
  lines[0].singleItem = true;
  const auto staff = StaffOf(plan);
  for (int c = 0; c < 4 && n < staff.size(); ++c) {
    lines.push_back({4 + c, 0, Sum(staff[n].categories[c], true) / plan.Years()});
  }
  lines.push_back(plan.cisTravelInKind ? ExpenseLine{23, 0, 400} : ExpenseLine{23, 400});
  if (n < plan.expenses.size())
    lines.insert(lines.end(), plan.expenses[n].begin(), plan.expenses[n].end());
  return lines;
}

// The cost tables of section 10 in document order, each listing the expense lines from
// row first to row last; the "-1" tables hold what the recipient buys.
struct CostTableForm {
  std::string code;
  int first, last;
  std::string title, boxes;  // the catalogue's title and check boxes of the table's kind
};
const CostTableForm kCostTables[] = {{"2", 10, 11, "@TitleEquipmentSummary", "Equip"},
                                     {"2-1", 10, 11, "@TitleEquipmentSummary", "Equip"},
                                     {"3", 13, 13, "@TitleMaterialsSummary", "Mat"},
                                     {"3-1", 13, 13, "@TitleMaterialsSummary", "Mat"},
                                     {"4", 16, 20, "@TitleOdcSummary", "Odc"},
                                     {"4-1", 16, 20, "@TitleOdcSummary", "Odc"}};

// Each line in the columns of quarters 1 and 2, of each year and of the total. A project
// shorter than a year spends its first year in its own quarters, so quarters 1 and 2
// hold a larger share of it.
void AddExpenses(Amounts& amounts, const std::vector<ExpenseLine>& lines, int quarters) {
  const int years = (quarters + 3) / 4;
  for (const auto& line : lines) {
    auto& row = amounts.at(line.row);
    for (int kind : {0, 1}) {
      const double yearly = kind == 0 ? line.recipient : line.inKind;
      row[2 * years + 6 + kind] += years * yearly;
      if (line.row == kOverheadRow) continue;
      const double firstHalf =
          quarters >= 4 ? line.firstHalf
                        : std::min(1.0, 2 * line.firstHalf * std::min(2, quarters) / quarters);
      row[4 + kind] += firstHalf * yearly;
      for (int p = 1; p <= years; ++p) row[4 + 2 * p + kind] += yearly;
    }
  }
}

// Every subtotal and the total of each column, from the lines they add up.
void AddUpColumns(Amounts& amounts) {
  for (const Case& row : FinancialRows()) {
    std::istringstream lines(row[3]);
    for (int line; lines >> line;) {
      for (std::size_t c = 4; c < amounts[0].size(); ++c)
        amounts[std::stoul(row[0])][c] += amounts[line][c];
    }
  }
}

class PlanWriter {
 public:
  explicit PlanWriter(const WorkPlan& plan) : plan_(plan), texts_(PlanTexts(plan.russian)) {}

  WorkPlanDocument Write() {
    const std::map<std::string, std::function<std::vector<Block>()>> parts = {
        {"title", [&] { return Blocks(Paragraph(T("title") + plan_.projectNumber)); }},
        {"leading", [&] { return Blocks(Table(InstitutionTable(0))); }},
        {"participants", [&] { return ParticipantEntries(); }},
        {"partners", [&] { return Blocks(PartnersContent()); }},
        {"duration", [&] { return Blocks(Paragraph(MonthsText())); }},
        {"schedule", [&] { return Blocks(Table(ScheduleTable())); }},
        {"personnel", [&] { return PersonnelEntries(); }},
        {"financial", [&] { return FinancialTables(); }},
        {"equipment", [&] { return CostTables(0); }},
        {"materials", [&] { return CostTables(2); }},
        {"single items", [&] { return SingleItems(); }},
        {"other direct costs", [&] { return CostTables(4); }}};
    for (const Case& row : ReadTable("data/plan_sections.tsv")) {
      const std::string& body = row[2];
      document_.sections.push_back({row[0], row[1].empty() ? "" : word::PatternToText(T(row[1])),
                                    body.starts_with("=") ? parts.at(body.substr(1))()
                                    : body.empty()        ? std::vector<Block>{}
                                                          : Blocks(Paragraph(T(body)))});
    }
    return std::move(document_);
  }

 private:
  // The plan's own text in its language, by its key in plan_texts.tsv.
  const std::string& T(const std::string& key) const { return texts_.at(key); }
  static std::vector<Block> Blocks(const Block& block) { return {block}; }
  std::string Institute(std::size_t number) const {
    return T("institute") + std::to_string(number);
  }
  std::string MonthsText() const {
    return std::to_string(plan_.months) + (plan_.russian ? RussianMonths(plan_.months) : " months");
  }

  // The institution's name stands in cell (1, 2); 0 is the leading institution.
  CellGrid InstitutionTable(std::size_t number) const {
    return {{T("name"), number == 0 ? T("leading") : Institute(number)}, {T("city"), T("almaty")}};
  }

  std::vector<Block> ParticipantEntries() const {
    if (plan_.participants == 0) return {Paragraph(T("none"))};
    std::vector<Block> body;
    for (int n = 1; n <= plan_.participants; ++n) {
      body.push_back(Paragraph(T("@LblParticipantInstitution") + std::to_string(n)));
      body.push_back(Table(InstitutionTable(n)));
    }
    return body;
  }

  Block PartnersContent() const {
    if (!plan_.partnersTable) return Paragraph(T("none"));
    return Table({{T("partner"), T("country")}, {T("collaborators"), "Norway"}});
  }

  // A heading row, for each task its task row, its subtask rows and its person-days row,
  // then the totals row.
  CellGrid ScheduleTable() const {
    const int quarters = plan_.Quarters();
    double personnelDays = 0;
    for (const auto& institution : StaffOf(plan_)) {
      for (const auto& people : institution.categories) personnelDays += Sum(people, false);
    }
    const auto tasks =
        plan_.schedule.empty() ? DefaultSchedule(quarters, personnelDays) : plan_.schedule;
    CellGrid grid{{T("task column")}};
    for (int q = 1; q <= quarters; ++q) grid[0].push_back(T("quarter") + std::to_string(q));
    grid[0].push_back(T("total"));
    std::vector<double> totals(quarters, 0);
    for (size_t t = 0; t < tasks.size(); ++t) {
      const std::string number = std::to_string(t + 1);
      grid.push_back(std::vector<std::string>(quarters + 2));
      grid.back()[0] = T("@LblTask") + number;
      for (size_t s = 0; s < tasks[t].subtasks.size(); ++s) {
        grid.push_back(
            DaysRow(T("@LblSubtask") + number + "." + std::to_string(s + 1), tasks[t].subtasks[s]));
      }
      const auto days = TaskDays(tasks[t], quarters);
      grid.push_back(DaysRow(T("@LblPersonDays"), days));
      for (int q = 0; q < quarters; ++q) totals[q] += days.at(q);
    }
    grid.push_back(DaysRow(T("@LblTotal"), totals));
    return grid;
  }

  // Per institution its label line, then per category its caption and its table.
  std::vector<Block> PersonnelEntries() const {
    const auto staff = StaffOf(plan_);
    std::vector<Block> body;
    for (std::size_t n = 0; n < staff.size(); ++n) {
      body.push_back(Paragraph(n == 0 ? T("@LblLeadingInstitution") + ": " + T("leading")
                                      : T("@LblParticipantInstitution") + std::to_string(n) + ": " +
                                            Institute(n)));
      for (int c = 0; c < 4; ++c) {
        const auto& people = staff[n].categories[c];
        if (people.empty()) continue;
        body.push_back(Paragraph(T("category " + std::to_string(c + 1))));
        body.push_back(Table(StaffTable(c, people)));
      }
    }
    return body;
  }

  // A heading row, a row per person with its amount, and the totals row (label, days,
  // amount).
  CellGrid StaffTable(int category, const std::vector<Person>& people) const {
    const auto& columns = kStaffColumns[category == 3 && people.front().persons > 0 ? 4 : category];
    CellGrid grid(1);
    for (Field field : columns) grid[0].push_back(T("column " + std::to_string(field)));
    double days = 0, amount = 0;
    for (const Person& p : people) {
      const std::string values[] = {std::to_string(p.persons),
                                    p.name,
                                    "1970",
                                    T("degree"),
                                    p.weapon,
                                    p.function,
                                    DaysText(p.rate),
                                    DaysText(p.days),
                                    DaysText(p.rate * p.days)};
      auto& row = grid.emplace_back();
      for (Field field : columns) row.push_back(values[field]);
      days += p.days;
      amount += p.rate * p.days;
    }
    grid.push_back({T("total"), DaysText(days), DaysText(amount)});
    return grid;
  }

  // Table 1 for the whole project and, with participants, one table per institution,
  // each under its number and its header.
  std::vector<Block> FinancialTables() const {
    const int years = plan_.Years();
    const std::size_t institutions = plan_.participants + 1;
    const std::size_t tables = plan_.participants == 0 ? 1 : institutions + 1;
    std::vector<Amounts> amounts(tables,
                                 Amounts(kTotalRow + 1, std::vector<double>(2 * years + 8)));
    for (std::size_t n = 0; n < institutions; ++n) {
      const auto lines = InstitutionExpenses(plan_, n);
      AddExpenses(amounts[0], lines, plan_.Quarters());
      if (tables > 1) AddExpenses(amounts[n + 1], lines, plan_.Quarters());
    }
    std::vector<Block> body;
    for (std::size_t t = 0; t < tables; ++t) {
      const std::string number = t == 0 ? "" : "-" + std::to_string(t);
      const std::string header = t == 0   ? T("@TitleRecipientBudget")
                                 : t == 1 ? T("@TitleLeadingBudget")
                                          : T("@TitleParticipantBudget") + std::to_string(t - 1);
      AddUpColumns(amounts[t]);
      body.push_back(Paragraph(word::PatternToText(T("@TitleTable1")) + number));
      body.push_back(Paragraph(word::PatternToText(header)));
      body.push_back(FinancialGrid(amounts[t], years));
    }
    return body;
  }

  // Three heading rows, the lines 4 to 27 (group captions 9, 15 and 22 without amounts),
  // and the last row with one merged cell per period and one for the whole table.
  Block FinancialGrid(const Amounts& amounts, int years) const {
    const int columns = 2 * years + 7;
    CellGrid grid(3, std::vector<std::string>(columns));
    for (int p = 0; p <= years + 1; ++p) {
      grid[0][3 + 2 * p] = p == 0       ? T("quarters 1-2")
                           : p <= years ? T("year") + std::to_string(p)
                                        : T("total");
      grid[1][3 + 2 * p] = "(1)";
      grid[1][4 + 2 * p] = "(2)";
    }
    for (const Case& row : FinancialRows()) {
      auto& cells = grid.emplace_back(columns);
      if (row[1].empty()) continue;
      cells[1] = T(row[1]);
      for (int c = 4; c <= columns; ++c) cells[c - 1] = DaysText(amounts[std::stoul(row[0])][c]);
    }
    grid.push_back({"", T("@LblTotal"), ""});
    std::vector<std::vector<int>> spans(kTotalRow);
    spans.push_back({1, 1, 1});
    for (int c = 4; c <= columns; c += 2) {
      grid.back().push_back(DaysText(amounts[kTotalRow][c] + amounts[kTotalRow][c + 1]));
      spans.back().push_back(2);
    }
    return Table(grid, spans);
  }

  // The pair of cost tables from kCostTables[first]: each, when it has items, under its
  // caption and followed by a note.
  std::vector<Block> CostTables(int first) {
    std::vector<Block> body;
    for (const auto& form : {kCostTables[first], kCostTables[first + 1]}) {
      CellGrid grid = CostTableRows(form);
      if (grid.size() == 5) continue;
      body.push_back(Paragraph(T("table") + form.code));
      body.push_back(Table(grid));
      body.push_back(Paragraph(T("prices")));
    }
    return body;
  }

  // The title, the project, and the boxes of the table's kind with the one of the table
  // ticked, one line each.
  std::string CaptionBlock(const CostTableForm& form) const {
    const std::string boxes = "@Chk" + form.boxes;
    const bool purchased = form.code.size() > 1;
    return T(form.title) + "\v" + T("@TitleProjectAgreement") + plan_.projectNumber + "\v" +
           T(boxes + (purchased ? "InKindOff" : "InKindOn")) + "\v" +
           T(boxes + (purchased ? "PurchasedOn" : "PurchasedOff"));
  }

  // When an item is bought and for how much: over the whole project, or year by year when
  // the last year is short, so that each year holds what the financial tables give it.
  std::vector<std::pair<std::string, double>> Purchases(double yearly) const {
    const int quarters = plan_.Quarters(), years = plan_.Years();
    const auto span = [](int first, int last) {
      return std::to_string(first) + (first == last ? "" : "-" + std::to_string(last));
    };
    if (quarters <= 4 || quarters % 4 == 0) return {{span(1, quarters), years * yearly}};
    std::vector<std::pair<std::string, double>> purchases;
    for (int p = 1; p <= years; ++p)
      purchases.push_back({span(4 * p - 3, std::min(4 * p, quarters)), yearly});
    return purchases;
  }

  // Five heading rows (the caption block in cell (2,1)), per institution with items its
  // line, the items and the subtotal, then the total; marked items are remembered for 10.3.
  CellGrid CostTableRows(const CostTableForm& form) {
    CellGrid grid = {{""},
                     {CaptionBlock(form)},
                     {T("number"), "x", T("description"), T("quarters"), T("quantity"),
                      T("unit price"), T("total")},
                     {"(1)", "(2)", "(3)", "(4)", "(5)", "(6)", "(7)"},
                     std::vector<std::string>(7)};
    double total = 0;
    int itemNo = 0;
    for (int n = 0; n <= plan_.participants; ++n) {
      double subtotal = 0;
      for (const auto& line : InstitutionExpenses(plan_, n)) {
        const double yearly = form.code.size() > 1 ? line.recipient : line.inKind;
        if (yearly == 0 || line.row < form.first || line.row > form.last) continue;
        if (subtotal == 0) {
          grid.push_back(
              {n == 0 ? T("@LblLeadingInstitution")
                      : T("@LblParticipantInstitution") + std::to_string(n) + ": " + Institute(n),
               "", "", "", "", "", ""});
        }
        for (const auto& [quarterList, amount] : Purchases(yearly)) {
          const std::string number = std::to_string(++itemNo);
          const bool odc = form.code[0] == '4';
          if (line.singleItem && !odc) singleItems_.push_back(form.code + " / " + number);
          // Non-capital equipment comes four pieces at a time.
          const double pieces = line.row == 11 && amount > 2500 ? 4 : 1;
          grid.push_back({number,
                          odc               ? "5." + std::to_string(line.row - 15)
                          : line.singleItem ? "x"
                                            : "",
                          T("item of line") + std::to_string(line.row), quarterList,
                          DaysText(pieces), DaysText(amount / pieces), DaysText(amount)});
          subtotal += amount;
        }
      }
      if (subtotal == 0) continue;
      grid.push_back({T("@LblSubtotal"), DaysText(subtotal), "", "", "", "", ""});
      total += subtotal;
    }
    if (grid.size() > 5)
      grid.push_back({T("@LblEstimatedTotalCost"), DaysText(total), "", "", "", "", ""});
    return grid;
  }

  // One titled table for each item marked in Tables 2 to 3-1.
  std::vector<Block> SingleItems() const {
    if (singleItems_.empty()) return {Paragraph(T("none"))};
    std::vector<Block> body;
    for (const auto& item : singleItems_) {
      body.push_back(Paragraph(T("@TitleSingleItem")));
      body.push_back(Table({{T("table / item"), item}}));
    }
    return body;
  }

  const WorkPlan& plan_;
  const std::map<std::string, std::string> texts_;
  WorkPlanDocument document_;
  std::vector<std::string> singleItems_;  // "table / item" of the marked items
};

}  // namespace

std::size_t WorkPlanDocument::IndexOf(const std::string& id) const {
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (sections[i].id == id) return i;
  }
  throw std::out_of_range("no section " + id);
}

Section& WorkPlanDocument::operator[](const std::string& id) {
  return sections[IndexOf(id)];
}

CellGrid& WorkPlanDocument::TableOf(const std::string& id, std::size_t nth) {
  for (auto& block : Body(id)) {
    if (block.IsTable() && nth-- == 0) return block.cells;
  }
  throw std::out_of_range("no such table in section " + id);
}

std::string& WorkPlanDocument::Cell(const std::string& id, int row, int column, std::size_t nth) {
  return TableOf(id, nth).at(row - 1).at(column - 1);
}

int WorkPlanDocument::TableNumber(const std::string& id) const {
  int number = 1;
  for (std::size_t i = 0; i < IndexOf(id); ++i) {
    for (const auto& block : sections[i].body) number += block.IsTable() ? 1 : 0;
  }
  return number;
}

void WorkPlanDocument::Remove(const std::string& id) {
  sections.erase(sections.begin() + IndexOf(id));
}

void WorkPlanDocument::EndAfter(const std::string& id) {
  sections.resize(IndexOf(id) + 1);
}

void WorkPlanDocument::Save(const std::string& path,
                            const std::function<void(DocxBuilder&)>& finish) const {
  DocxBuilder docx;
  for (const auto& section : sections) {
    docx.Section(NeedsLandscape(section));
    if (!section.heading.empty()) {
      docx.RawParagraph(ParagraphXml(section.heading, HeadingStyle(section.id)));
    }
    for (const auto& block : section.body) {
      if (!block.IsTable()) {
        docx.RawParagraph(ParagraphXml(block.text, section.id == "Title" ? "Title" : ""));
        continue;
      }
      TableSpec table = TableXmlSpec(block);
      if (section.id == "HeadingII9") table.headerRows = 3;  // its three heading rows
      docx.Table(table);
    }
  }
  if (finish) finish(docx);
  docx.Save(path);
}

// Every category filled, as tests/data/default_staff.tsv gives them.
InstitutionStaff DefaultStaff(bool ru, int years) {
  InstitutionStaff staff;
  for (const Case& row : ReadTable("data/default_staff.tsv")) {
    staff.categories.at(std::stoul(row[0]) - 1)
        .push_back({row[ru ? 2 : 1], row[ru ? 4 : 3], row[5], std::stod(row[6]),
                    std::stod(row[7]) * years});
  }
  return staff;
}

WorkPlanDocument BuildWorkPlan(const WorkPlan& plan) {
  return PlanWriter(plan).Write();
}

WorkPlanDocument PlanWithPersonnelMistakes(const std::string& projectNumber) {
  WorkPlan plan{.projectNumber = projectNumber};
  plan.personnel.assign(3, DefaultStaff(false, plan.Years()));
  plan.personnel[1].categories[1][1].rate = 36;
  auto doc = BuildWorkPlan(plan);
  doc.TableOf("HeadingII81", 1)[1][6] = "1012.51";
  doc.TableOf("HeadingII81", 4)[1][3] = "6.1";
  doc.TableOf("HeadingII81", 11)[1][0] = "None";
  return doc;
}

WorkPlanDocument PlanWithCostMistakes() {
  auto doc = BuildWorkPlan();
  doc.Cell("HeadingII101", 8, 4) = "1-9";
  doc.Cell("HeadingII104", 7, 4) = "1-3";
  return doc;
}

}  // namespace kv::testing
