// The six cost tables of section 10 share one form: a caption block in cell (2,1), then
// from row 6 institute blocks of item rows, each block closed by its subtotal, and the
// table's total in the last row. This is the reading of one such table; what the amounts
// are added to is the caller's.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "validate/run_context.h"

namespace kv::validate {

enum class CostKind { Equipment, Materials, OtherDirectCosts };

// One item row as read.
struct CostItem {
  std::int16_t ItemNo = 0;
  std::int16_t Mark = 0;  // equipment and materials: -1 for a single item; else the category
  std::array<bool, 21> Quarters{};  // 1 to 20
  double Quantity = 0;
  double UnitPrice = 0;
  double Total = 0;
};

// What one caller does with a table's amounts.
class CostAccumulation {
 public:
  virtual ~CostAccumulation() = default;
  // Whether institute n may open a block; a refusal is reported here.
  virtual bool AcceptInstitute(int n) = 0;
  // The amount of the institute's "Subtotal:" row; 0 while none was read.
  virtual double& Subtotal(int institute) = 0;
  // An item row that was read; then each of its per-quarter amounts for its column.
  virtual void CountItem(const CostItem& item) = 0;
  virtual void Add(int institute, int column, const CostItem& item, double amount) = 0;
};

struct CostTableSpec {
  std::string code;     // "2", "2-1", "3", "3-1", "4" or "4-1"
  std::string caption;  // "TABLE 2", as in the messages
  CostKind kind;
};

struct CostTableResult {
  bool passed = false;
  bool abandoned = false;
};

// The caption block of CurrentTable is the one of the table `code`.
bool CheckCostTableHeader(RunContext& ctx, const std::string& code);

// "i" + institute number, "s" (subtotal), "t" (total), "c" (continuation), the item
// number as written, or "" for a row that is none of these.
std::string ClassifyCostRow(RunContext& ctx, int row);

// Flags the quarters that a list such as "1-4" or "1,3-5" names and counts them; -1 for
// a list that is not valid in a project of ProjectDurationQuarters quarters.
int ParseQuarterList(const RunContext& ctx, std::string text, std::array<bool, 21>& quarters);

// Reads an item row of a table of the given kind into `item`, appending the references
// of the cells it marks; the quarter count when the row is acceptable, else 0.
int ReadCostItemRow(RunContext& ctx, CostKind kind, int row, std::string& badTextCells,
                    std::string& badValueCells, CostItem& item);

// Finds the next table and reads it as the table `spec`, reporting its findings.
CostTableResult ParseCostTable(RunContext& ctx, const CostTableSpec& spec,
                               CostAccumulation& accumulation);

// A table of a subsection: read when the caption line before it names it, and otherwise
// mentioned when Table 1 declares an amount for it.
struct CaptionedCostTable {
  CostTableSpec spec;
  double declared;          // Table 1's amount
  std::string missingInfo;  // the information when the table is not there
  double& failed;           // becomes -1 when the table fails
  CostAccumulation& accumulation;
};

// Finds the subsection under `heading` (from the top or from the current position) and
// reads its tables in order. After a table read to its end the caption of the next one is
// the second line below it; a table given up leaves the caption as it was.
void ParseCostSubsection(RunContext& ctx, const std::string& heading, bool fromTop,
                         const std::string& missingInfo,
                         std::span<const CaptionedCostTable> tables);

}  // namespace kv::validate
