// One validation phase on a work plan: a run context set up as the run driver sets it
// up (message lists, catalogue, scripted answers, a run log in a private folder), the
// plan saved and opened, and the findings read back as plain lists.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "report/run_log.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"
#include "ui/scripted_frontend.h"
#include "validate/run_context.h"

namespace kv::testing {

using Strings = std::vector<std::string>;
// A shaded cell: table, row, column, colour index; the colours.
using Mark = std::tuple<int, int, int, int>;
using Marks = std::vector<Mark>;
constexpr int kRed = 6, kYellow = 7, kGreen = 11;

// The messages of a list in order.
Strings MessageLines(const report::msg_handler& list);

class PhaseRun {
 public:
  explicit PhaseRun(bool russian = false, bool grantAnswer = false);
  ~PhaseRun();
  PhaseRun(const PhaseRun&) = delete;
  PhaseRun& operator=(const PhaseRun&) = delete;

  // Saves the plan in the private folder and opens it.
  bool Open(const WorkPlanDocument& plan);

  std::vector<std::string> Errors() const { return MessageLines(ctx.Messages.ErrorList); }
  std::vector<std::string> Warnings() const { return MessageLines(ctx.Messages.WarningList); }
  std::vector<std::string> Info() const { return MessageLines(ctx.Messages.InfoList); }
  // The marked cells in order as (table, row, column, colour), the table's number in the
  // document less tableOffset.
  Marks MarkedCells(int tableOffset = 0) const;
  std::string LogText() const { return ReadFileBytes(dir / "kv.log"); }

  TempDir dir;
  report::RunLog log;
  ui::ScriptedFrontend frontend;
  validate::RunContext ctx;
};

// What the structure check found in the plan (project number, participants, duration)
// as a run that goes on to a later phase knows it.
void SetPlanFacts(validate::RunContext& ctx, const WorkPlan& plan);

// Every entry of a package by name, unpacked.
std::map<std::string, std::string> PackageEntries(const std::string& path);

// The background fill ("FF0000", "" for none) of cell (row, column) of the table-th
// table of a saved .docx, all counted from 1.
std::string CellFill(const std::string& docxPath, int table, int row, int column);

}  // namespace kv::testing
