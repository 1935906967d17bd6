// What the HTML report of one validated upload shows, taken while its copy is still open.
#pragma once

#include <string>
#include <vector>

#include "report/json_report.h"
#include "validate/run_context.h"

namespace kv::serve {

// A table with at least one shaded cell: its number in reading order and its cells' text,
// row by row (a row may have fewer cells than the widest).
struct ShadedTable {
  int number = 0;
  std::vector<std::vector<std::string>> rows;
};

struct ReportView {
  report::RunReport report;
  std::string errorsHeading = "Errors:";
  std::string warningsHeading = "Warnings:";
  std::string infoHeading = "Information:";
  std::vector<ShadedTable> tables;
};

// The headings and the shaded tables of the open copy in ctx.
void CaptureView(validate::RunContext& ctx, ReportView& view);

}  // namespace kv::serve
