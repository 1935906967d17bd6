// The rules for amounts, day counts and row labels that the table parsers share.
#pragma once

#include <cmath>
#include <functional>
#include <string>

#include "validate/run_context.h"

namespace kv::validate {

// Two amounts agree when they differ by at most half a cent.
inline bool Agree(double a, double b) {
  return std::fabs(a - b) <= 0.005;
}

inline bool IsWholeNumber(double x) {
  return std::fabs(std::nearbyint(x) - x) <= 0.005;
}

inline bool IsHalfInteger(double x) {
  return IsWholeNumber(2 * x);
}

inline bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// "Table contains errors: " + the table's name, then the references of its red cells
// (missing, unreadable or misplaced) and of its green ones (amounts that do not add up),
// each list only when it is not empty.
void ReportTableErrors(RunContext& ctx, const std::string& tableName,
                       const std::string& badTextCells, const std::string& badValueCells);

// The log lines of one table parser: before, after a clean parse, after one with errors.
struct ParserLogLines {
  const char* start;
  const char* parsed;
  const char* failed;
};

// Runs one table parser between its log lines. `parse` reports the findings of the
// tables and leaves in `pending` the message of what ended it early; a failure of the
// word processor ends it too, and what was found so far stays. True when the tables had
// no error.
bool RunTableParser(RunContext& ctx, const ParserLogLines& log,
                    const std::function<bool(std::string& pending)>& parse);

}  // namespace kv::validate
