#include "main/run_report.h"

#include "word/word_application.h"

namespace kv::run {
namespace {

std::vector<std::string> Messages(const report::msg_handler& list) {
  std::vector<std::string> texts;
  for (std::int16_t k = 1; k <= list.Count(); ++k) texts.push_back(list.Message(k));
  return texts;
}

std::string ColourName(int colour) {
  switch (colour) {
    case word::wdRed:
      return "red";
    case word::wdGreen:
      return "green";
    case word::wdYellow:
      return "yellow";
    default:
      return std::to_string(colour);
  }
}

// A run whose log could not be created ended before it began: abnormally.
std::string OutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Validated:
      return "validated";
    case RunOutcome::NoFile:
      return "no_file";
    case RunOutcome::RefusedName:
      return "refused_name";
    case RunOutcome::CannotOpen:
      return "cannot_open";
    case RunOutcome::LogUnavailable:
    case RunOutcome::AbnormalTermination:
      break;
  }
  return "abnormal_termination";
}

std::optional<std::string> UnlessEmpty(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace

report::RunReport DescribeRun(const RunResult& result, const validate::RunContext& ctx) {
  report::RunReport described;
  described.file = UnlessEmpty(result.SelectedPath);
  if (result.CopyKept) described.validatedCopy = result.ValidatedPath;
  described.language = ctx.DocLanguage ? "ru" : "en";
  described.projectNumber = UnlessEmpty(ctx.ProjectNumber);
  described.outcome = OutcomeName(result.Outcome);
  described.reason = UnlessEmpty(result.Reason);
  described.errors = Messages(ctx.Messages.ErrorList);
  described.warnings = Messages(ctx.Messages.WarningList);
  described.info = Messages(ctx.Messages.InfoList);
  for (const auto& cell : ctx.Document.MarkedCells)
    described.markedCells.push_back({cell.table, cell.row, cell.column, ColourName(cell.colour)});
  return described;
}

}  // namespace kv::run
