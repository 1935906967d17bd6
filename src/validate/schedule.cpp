// Section 7, the technical schedule: tasks and subtasks with their person-days per
// quarter. The quarters of each task add up to its total, the subtasks to their task,
// and the tasks to the totals row.
#include "validate/schedule.h"

#include <vector>

#include "validate/table_rules.h"
#include "word/text_rules.h"

namespace kv::validate {
namespace {

constexpr int kHalfIntegerCode = 20714;

// A label as typed, without dashes and optional hyphens: "Sub-task 2.1" is a subtask.
std::string RowLabel(const std::string& cellText) {
  return word::RemoveOptionalHyphens(word::ReplaceText(cellText, "-", ""));
}

class ScheduleParser {
 public:
  explicit ScheduleParser(RunContext& ctx)
      : ctx_(ctx),
        cat_(ctx.TextCatalogue),
        heading_(word::PatternToText(cat_.HeadingII7)),
        quarters_(ctx.ProjectDurationQuarters),
        totalColumn_(quarters_ + 2) {}

  // The table's own findings are reported here; a section or table that cannot be
  // found leaves its message pending for the failure end.
  bool Parse(std::string& pending) {
    if (!word::FindText(ctx_.Document, true, cat_.HeadingII7)) {
      pending = cat_.MsgSectionMissing + heading_;
      return false;
    }
    if (!ctx_.Document.WordApp) throw word::WordError("no document is open");
    auto& app = *ctx_.Document.WordApp;
    app.GoTo(word::wdGoToTable);
    if (app.Information(word::wdWithInTable) == 0) {
      pending = cat_.MsgTableMissing + heading_;
      return false;
    }
    app.Expand(word::wdTable);
    ctx_.Document.CurrentTable = app.Tables1();
    if (app.ColumnsCount(*ctx_.Document.CurrentTable) != totalColumn_) {
      ctx_.AddError(cat_.MsgBadColumnCount + heading_);
      return false;
    }
    const int rows = app.RowsCount(*ctx_.Document.CurrentTable);
    if (rows < 3) {
      ctx_.AddError(cat_.MsgBadRowCount + heading_);
      return false;
    }
    sums_.assign(quarters_ + 1, 0.0);
    for (int r = 2; r < rows; ++r) ReadDataRow(r);
    CheckTotalsRow(rows);
    if (tableOk_) return true;
    ReportTableErrors(ctx_, heading_, badTextCells_, badValueCells_);
    return false;
  }

 private:
  double Number(int row, int column) { return word::CellNumber(ctx_.Document, row, column); }

  void MarkBadText(int row, int column) {
    badTextCells_ += word::MarkCell(ctx_.Document, row, column, word::wdRed);
    tableOk_ = false;
  }

  void MarkBadValue(int row, int column) {
    badValueCells_ += word::MarkCell(ctx_.Document, row, column, word::wdGreen);
    tableOk_ = false;
  }

  // Day counts are whole or half days; a warning only, the value still counts.
  void CheckHalfInteger(double days, int row, int column) {
    if (!IsHalfInteger(days)) ctx_.Messages.ReportCellCode(kHalfIntegerCode, -1, "", row, column);
  }

  void ReadDataRow(int row) {
    const std::string label = RowLabel(word::CellText(ctx_.Document, row, 1));
    if (StartsWith(label, cat_.LblTask)) {
      subtaskSum_ = 0;
      subtaskCount_ = 0;
    } else if (label == cat_.LblPersonDays) {
      if (subtaskCount_ < 0) {
        MarkBadText(row, 1);  // person-days before any task
      } else {
        ReadPersonDaysRow(row);
      }
    } else if (StartsWith(label, cat_.LblSubtask)) {
      ReadSubtaskRow(row);
    } else {
      MarkBadText(row, 1);
    }
  }

  void ReadPersonDaysRow(int row) {
    double rowSum = 0;
    for (int q = 1; q <= quarters_; ++q) {
      const double days = Number(row, q + 1);
      if (days == -1) {
        MarkBadText(row, q + 1);
        continue;
      }
      CheckHalfInteger(days, row, q + 1);
      sums_[q] += days;
      rowSum += days;
    }
    const double total = Number(row, totalColumn_);
    if (total == -1) {
      MarkBadText(row, totalColumn_);
    } else if (!Agree(total, rowSum)) {
      MarkBadValue(row, totalColumn_);
    } else if (subtaskCount_ > 0 && !Agree(total, subtaskSum_)) {
      MarkBadValue(row, totalColumn_);
    } else {
      CheckHalfInteger(total, row, totalColumn_);
      sums_[0] += total;
    }
  }

  // Only the total of a subtask row is read; it adds to its task.
  void ReadSubtaskRow(int row) {
    ++subtaskCount_;
    const double total = Number(row, totalColumn_);
    if (total > 0) {
      CheckHalfInteger(total, row, totalColumn_);
      subtaskSum_ += total;
      return;
    }
    ctx_.AddError(cat_.MsgSubtotalWithoutDays + std::to_string(row));
    MarkBadText(row, totalColumn_);
  }

  // The totals row must agree with the task rows, quarter by quarter and overall.
  void CheckTotalsRow(int row) {
    if (word::CellText(ctx_.Document, row, 1) != cat_.LblTotal) {
      ctx_.AddError(heading_ + cat_.MsgLastRowNotTotals);
      MarkBadText(row, 1);
      return;
    }
    double rowSum = 0;
    for (int q = 1; q <= quarters_; ++q) {
      const double days = Number(row, q + 1);
      if (days == -1) {
        MarkBadText(row, q + 1);
      } else if (!Agree(days, sums_[q])) {
        MarkBadValue(row, q + 1);
      } else {
        rowSum += days;
      }
    }
    const double total = Number(row, totalColumn_);
    if (total == -1) {
      MarkBadText(row, totalColumn_);
    } else if (!Agree(total, rowSum) || !Agree(total, sums_[0])) {
      MarkBadValue(row, totalColumn_);
    } else {
      ctx_.ScheduleTotalDays = total;
    }
  }

  RunContext& ctx_;
  const text::TextCatalogue& cat_;
  const std::string heading_;
  const int quarters_;
  const int totalColumn_;

  std::vector<double> sums_;   // [0] the accepted task totals, [q] quarter q of the tasks
  double subtaskSum_ = 0;      // the current task's subtask totals
  int subtaskCount_ = -1;      // -1 before the first task row
  std::string badTextCells_;   // red: unreadable or misplaced
  std::string badValueCells_;  // green: does not add up
  bool tableOk_ = true;
};

}  // namespace

bool ParseTechnicalSchedule(RunContext& ctx) {
  const bool parsed =
      RunTableParser(ctx,
                     {"Validating tech schedule...", "Technical schedule parsed.",
                      "Technical schedule contains errors."},
                     [&](std::string& pending) { return ScheduleParser(ctx).Parse(pending); });
  if (!parsed) ctx.ScheduleTotalDays = -1;
  return parsed;
}

}  // namespace kv::validate
