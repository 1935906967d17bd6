// Message codes and the three message lists: a check reports a code with a few
// parameters, and the text of the document's language lands in its list.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "report/msg_handler.h"
#include "text/catalogue.h"

namespace kv::text {

enum class MessageList { Errors, Warnings, Info };

class Reporter {
 public:
  // Composed texts need the catalogue (institution labels, the personnel heading) and
  // cell findings shade their cell through MarkCell(row, column, colour).
  Reporter(const TextCatalogue& catalogue,
           std::function<std::string(int row, int column, int colour)> markCell);

  bool DocLanguage = false;  // true for Russian
  report::msg_handler ErrorList;
  report::msg_handler WarningList;
  report::msg_handler InfoList;

  void InitMessageLists(bool language);

  void ReportCode(int code);
  std::string ReportCellCode(int code, int n, const std::string& category, int row, int column);
  void ReportCodeWithNumber(int code, int n, const std::string& text);
  void ReportCodeWithText(int code, const std::string& text);
  void ReportCodeWithTexts(int code, const std::string& text1, const std::string& text2);

  void AddError(const std::string& message);
  void AddWarning(const std::string& message);
  void AddInfo(const std::string& message);

 private:
  const TextCatalogue& catalogue_;
  std::function<std::string(int, int, int)> markCell_;
};

// The label of institution n: "Leading Institution" for 0, "Participant Institution n"
// after it; "" for a negative n.
std::string InstitutionLabel(const TextCatalogue& catalogue, int n);

}  // namespace kv::text
