#include "validate/table_rules.h"

#include <exception>

namespace kv::validate {

void ReportTableErrors(RunContext& ctx, const std::string& tableName,
                       const std::string& badTextCells, const std::string& badValueCells) {
  const auto& cat = ctx.TextCatalogue;
  ctx.AddError(cat.MsgTableContainsErrors + tableName);
  if (!badTextCells.empty()) ctx.AddError(cat.MsgBadTextInCells + badTextCells);
  if (!badValueCells.empty()) ctx.AddError(cat.MsgBadValuesInCells + badValueCells);
}

bool RunTableParser(RunContext& ctx, const ParserLogLines& log,
                    const std::function<bool(std::string& pending)>& parse) {
  ctx.WriteLog(log.start);
  std::string pending;
  try {
    if (parse(pending)) {
      ctx.WriteLog(log.parsed);
      return true;
    }
  } catch (const std::exception&) {
    // A failure of the word processor ends the parse; what was found so far stays.
  }
  if (!pending.empty()) ctx.AddError(pending);
  ctx.WriteLog(log.failed);
  return false;
}

}  // namespace kv::validate
