#include "report/json_report.h"

#include <nlohmann/json.hpp>

namespace kv::report {
namespace {

nlohmann::ordered_json OrNull(const std::optional<std::string>& text) {
  return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string ToJson(const RunReport& report) {
  nlohmann::ordered_json cells = nlohmann::ordered_json::array();
  for (const auto& cell : report.markedCells) {
    cells.push_back({{"table", cell.table},
                     {"row", cell.row},
                     {"column", cell.column},
                     {"colour", cell.colour}});
  }
  const nlohmann::ordered_json object = {
      {"file", OrNull(report.file)}, {"validated_copy", OrNull(report.validatedCopy)},
      {"language", report.language}, {"project_number", OrNull(report.projectNumber)},
      {"outcome", report.outcome},   {"reason", OrNull(report.reason)},
      {"errors", report.errors},     {"warnings", report.warnings},
      {"info", report.info},         {"marked_cells", cells}};
  // Texts come from documents: invalid UTF-8 is replaced rather than ending the run.
  return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace kv::report
