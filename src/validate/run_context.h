// The state of one run: every fact, figure and list the phases share, under the names
// the checks use. The phases receive it by reference; nothing else is shared.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "report/run_log.h"
#include "text/catalogue.h"
#include "text/reporting.h"
#include "ui/frontend.h"
#include "word/document_access.h"

namespace kv::validate {

struct RunContext {
  RunContext(report::RunLog& log, ui::Frontend& frontend);
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  report::RunLog& RunLog;
  ui::Frontend& Frontend;

  // Facts of the file name.
  bool DocLanguage = false;  // true for Russian
  std::string ProjectNumber;
  std::string ProjectType;
  bool SpecialSeries = false;
  bool RequireCategoryOne = true;
  bool ApplyGrantNorms = true;

  text::TextCatalogue TextCatalogue;
  text::DialogTexts DialogTexts;
  text::Reporter Messages;  // ErrorList, WarningList, InfoList
  word::DocumentAccess Document;

  // Facts of the heading sequence.
  std::int16_t ParticipantCount = 0;
  std::int16_t ProjectDurationMonths = 0;
  std::int16_t ProjectDurationQuarters = 0;
  std::int16_t ProjectDurationYears = 0;

  // Results of the table parsers, indices 1 to 10.
  std::array<bool, 11> ParseResults{};

  // Figures recorded by the parsers for the cross-checks.
  double ScheduleTotalDays = 0;

  // Convenience for the phases.
  void WriteLog(const std::string& text) { RunLog.WriteLog(text); }
  void AddError(const std::string& message) { Messages.AddError(message); }
};

}  // namespace kv::validate
