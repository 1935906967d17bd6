// Writes work plans for tests: a compact description whose defaults give a clean plan
// (English or Russian), laid out as a list of sections that a test can change one
// thing in (drop or move a heading, rewrite a line, change a cell) before saving.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "support/docx_builder.h"

namespace kv::testing {

// Cell texts row by row; row 0 is the table's first row.
using CellGrid = std::vector<std::vector<std::string>>;

// One paragraph, or one table of plain one-paragraph cells; a cell may span several
// grid columns (gridSpans[row][cell], rows or cells not given span one).
struct Block {
  std::string text;
  CellGrid cells;
  std::vector<std::vector<int>> gridSpans{};
  bool IsTable() const { return !cells.empty(); }
};
inline Block Paragraph(const std::string& text) {
  return {text, {}};
}
inline Block Table(const CellGrid& cells, const std::vector<std::vector<int>>& gridSpans = {}) {
  return {"", cells, gridSpans};
}

// A heading line and what stands below it up to the next section. Sections are known
// by the catalogue name of their heading ("HeadingI32", "HeadingII7"); the sections
// the checks never look for use the same scheme ("HeadingI41", "HeadingII3").
struct Section {
  std::string id;
  std::string heading;  // written as one paragraph; "" writes no heading line
  std::vector<Block> body;
};

// A task of the technical schedule: either subtasks, each with its days per quarter,
// or, for a task without subtasks, its own days per quarter. The task's person-days
// row and the totals row are derived, so a clean schedule adds up.
struct ScheduleTask {
  std::vector<std::vector<double>> subtasks;
  std::vector<double> days;
};

// A person of the personnel commitments. Category IV rows have no name; a count of
// persons in the first row of a category IV table makes it the five-column one.
struct Person {
  std::string name, function, weapon;  // weapon: the expertise codes, category I only
  double rate = 0, days = 0;
  int persons = 0;
};

// The people of one institution in categories I to IV; a category without people has
// neither caption nor table.
struct InstitutionStaff {
  std::array<std::vector<Person>, 4> categories;
};
// The default staff of a project of so many years: the days are per year.
InstitutionStaff DefaultStaff(bool russian, int years = 1);

// An expense line of an institution's financial table: what the recipient spends and
// what is provided in kind in each project year, of which quarters 1 and 2 hold the
// share firstHalf of year 1. The overhead (row 26) stands in the totals column only.
// Equipment (rows 10, 11), materials (13) and other direct costs (16 to 20) are also
// items of the cost tables of section 10, bought over all quarters; an item marked as a
// single item has its own table in 10.3.
struct ExpenseLine {
  int row;
  double recipient = 0;
  double inKind = 0;
  double firstHalf = 0.5;
  bool singleItem = false;
};

struct WorkPlan {
  bool russian = false;
  std::string projectNumber = "1234";
  int participants = 2;                  // entries of section 3.2, each with its table
  int months = 24;                       // the duration line and the schedule's quarters
  bool partnersTable = false;            // section 4.2 holds a table rather than text
  std::vector<ScheduleTask> schedule{};  // empty: a default of three tasks
  // Institutions 0 (leading) to size - 1 of section 8.1; empty: the default staff for
  // every institution.
  std::vector<InstitutionStaff> personnel{};
  // Lines added to the default expense lines of the financial tables, by institution (0
  // the leading one). Table 1 is their sum.
  std::vector<std::vector<ExpenseLine>> expenses{};
  bool cisTravelInKind = false;  // the special series' way when a project has no personnel

  int Quarters() const { return (months + 2) / 3; }
  int Years() const { return (Quarters() + 3) / 4; }
};

// The plan as sections in document order, ready to be changed and saved.
class WorkPlanDocument {
 public:
  std::vector<Section> sections;

  Section& operator[](const std::string& id);
  std::vector<Block>& Body(const std::string& id) { return (*this)[id].body; }
  // The nth table of a section (0 the first); cell (row, column) from 1 as the checks
  // count them; the number of the section's first table in the document, from 1.
  CellGrid& TableOf(const std::string& id, std::size_t nth = 0);
  std::string& Cell(const std::string& id, int row, int column, std::size_t nth = 0);
  int TableNumber(const std::string& id) const;

  void Remove(const std::string& id);
  void EndAfter(const std::string& id);  // drops the sections after it
  // `finish` may add to the package (styles, numbering, XML replacements) before it is
  // written.
  void Save(const std::string& path,
            const std::function<void(DocxBuilder&)>& finish = nullptr) const;

 private:
  std::size_t IndexOf(const std::string& id) const;
};

WorkPlanDocument BuildWorkPlan(const WorkPlan& plan = {});

// The default plan with personnel mistakes of each colour: an amount that does not
// agree (leading institution, category II, row 2), an unknown weapon expertise code
// (participant 1, category I), a daily rate above the norm (participant 1, category II,
// row 3) and the keyword inside a table (participant 2, category IV).
WorkPlanDocument PlanWithPersonnelMistakes(const std::string& projectNumber = "1234");

// The default plan with cost-table mistakes: in Table 2-1 the leading institution's
// second item is bought in a quarter after the project (row 8), so its subtotal
// disagrees; in Table 4-1 the first item cannot be spread evenly over quarters 1 to 3.
WorkPlanDocument PlanWithCostMistakes();

}  // namespace kv::testing
