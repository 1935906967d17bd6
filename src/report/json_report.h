// The machine-readable account of one run: one JSON object, printed for every run.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv::report {

struct ReportedCell {
  int table = 0;
  int row = 0;
  int column = 0;
  std::string colour;  // "red", "green" or "yellow"
};

struct RunReport {
  std::optional<std::string> file;           // null when no file was chosen
  std::optional<std::string> validatedCopy;  // null unless a copy is left behind
  std::string language = "en";               // "en" or "ru"
  std::optional<std::string> projectNumber;  // null until the file name gave one
  // "validated", "no_file", "refused_name", "cannot_open" or "abnormal_termination"
  std::string outcome = "validated";
  std::optional<std::string> reason;  // why the run did not validate, one line
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  std::vector<std::string> info;
  std::vector<ReportedCell> markedCells;
};

// One JSON object on one line.
std::string ToJson(const RunReport& report);

}  // namespace kv::report
