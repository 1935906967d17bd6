#include "text/reporting.h"

#include <span>

namespace kv::text {

namespace {

constexpr int kYellow = 7;
constexpr std::int16_t kListLimit = 50;

// One row of a code table. The texts are templates: {code}, {H}, {C}, {I}, {text},
// {text1} and {text2} stand for the composed parts of the finding.
struct CodeText {
  int code;
  MessageList list;
  const char* english;
  const char* russian;
  bool whenFirstTextEmpty = false;  // the row applies only when text1 is ""
};

using enum MessageList;

constexpr CodeText kReportCodeTable[] = {
    {-1, Errors, "Unknown error - further validation impossible",
     "Неизвестная ошибка - дальнейшая проверка невозможна"},
    {0, Errors, "Unexpected end of file - further validation impossible",
     "Неожиданный конец файла - дальнейшая проверка невозможна"},
    {30000, Errors, "Project duration above 60 months - automatic validation impossible",
     "Продолжительность проекта превышает 60 месяцев - автоматическая проверка невозможна"},
    {31006, Warnings, "Travel expenditures exceed 15% of the total project cost",
     "Расходы на командировки превышают 15% полной стоимости проекта"},
    {31007, Warnings, "Category IV days exceed 10% of the total project effort",
     "Число дней по IV категории превышает 10% полных трудозатрат"},
    {31008, Warnings, "Category IV grants exceed 10% of the total grants",
     "Гранты по IV категории превышают 10% полной суммы грантов"},
    {31009, Errors, "No categroy I personnel", "Нет персонала I категории"},
};
constexpr CodeText kReportCodeOther = {0, Errors, "Unrecognized exception #{code}",
                                       "Неизвестное прерывание #{code}"};

constexpr CodeText kCellCodeTable[] = {
    {20714, Warnings,
     "Technical Schedule: the number of days must be integer or half-integer in cell{C}",
     "Технический календарный план: Число дней должно быть целым или полуцелым в ячейке{C}"},
    {20804, Warnings, "{H}Daily rate must be integer in cell{C}",
     "{H}Дневная ставка должна быть целой в ячейке{C}"},
    {20805, Warnings, "{H}Daily rate greater than $35 in cell{C}",
     "{H}Дневная ставка больше $35 в ячейке{C}"},
    {20806, Warnings, "{H}Daily rate below $10 in cell{C}",
     "{H}Дневная ставка меньше $10 в ячейке{C}"},
    {20809, Warnings, "{H}More than 220 days per participant per year in cell{C}",
     "{H}Уровень занятости больше 220 в год в ячейке{C}"},
    {20814, Warnings, "{H}The number of days must be integer or half-integer in cell{C}",
     "{H}Число дней должно быть целым или полуцелым в ячейке{C}"},
    {20815, Info, "{H}Empty table should rather be omitted",
     "{H}Рекомендуется убрать пустую таблицу"},
    {20816, Info, "{H}The keyword \"None\" should stand instead of the table rather than inside it",
     "{H}Отсутствие персонала указывается словом \"Нет\" вместо а не внутри таблицы"},
    {20817, Errors, "{H}Name must not be empty in cell{C}",
     "{H}Имя не не должо быть пустым в ячейке{C}"},
    {20818, Errors, "{H}Function in project is missing in cell{C}",
     "{H}Не указана роль в проекте в ячейке{C}"},
    {20819, Errors, "{H}Incorrect weapon expertise code in cell{C}",
     "{H}Неправильный код оружейной деятельности в ячейке{C}"},
    {20820, Errors, "{H}Weapon expertise code is missing in cell{C}",
     "{H}Не указан код оружейной деятельности в ячейке{C}"},
};
constexpr CodeText kCellCodeOther = {0, Errors, "Unrecognized exception #{code} - {H}{C}",
                                     "Неизвестное прерывание #{code} - {H}{C}"};

constexpr CodeText kNumberCodeTable[] = {
    {20821, Info, "{I}: a table caption without a table to follow ({text})",
     "{I}: Заголовок без таблицы ({text})"},
    {21090, Errors, "Missing Subtotal - Table {text}, {I}",
     "Не задана оценочная стоимость - Таблица {text}, {I}"},
    {21092, Errors, "Table {text} - No such institute in the project: {I}",
     "Таблица {text}: Институт отсутствует в проекте: {I}"},
    {31010, Warnings, "No bank fees: {I}", "Нет банковских сборов: {I}"},
    {31011, Warnings, "Bank fees less that 1% of total grants: {I}",
     "Банковские сборы меньше 1% от суммы грантов: {I}"},
};
constexpr CodeText kNumberCodeOther = {0, Errors, "Unrecognized exception #{code} - {I}",
                                       "Неизвестное прерывание #{code} - {I}"};

constexpr CodeText kTextCodeTable[] = {
    {100, Errors, "Heading missing: {text}", "Отсутствует заголовок: {text}"},
    {21091, Errors, "No table row with 'Estimated TOTAL COST' - Table {text}",
     "Нет строки 'Общая оценочная стоимость' - Таблица {text}"},
    {30001, Warnings, "Project duration below {text} months",
     "Продолжительность проекта менее {text} месяцев"},
    {31012, Errors, "Overhead must be zero for PDG ({text} in the KV)",
     "PDG не должны иметь накладных расходов (в КВ {text})"},
    {31013, Errors, "Equipment expenses must be zero for PDG ({text} in the KV)",
     "PDG не должны иметь расходов на оборудование (в КВ {text})"},
    {31014, Errors, "Grants must be over 50% of total expensesfor PDG (currently, {text})",
     "Гранты в PDG не должны быть меньше 50% полных расходов (в КВ: {text})"},
};
constexpr CodeText kTextCodeOther = {0, Errors, "Unrecognized exception #{code} - {text}",
                                     "Неизвестное прерывание #{code} - {text}"};

constexpr CodeText kTextsCodeTable[] = {
    {31000, Warnings, "No grants for project participants",
     "Не предусмотрены гранты для участников проекта", true},
    {31000, Warnings, "Grants below 50% of total expenses (2*{text1} < {text2})",
     "Гранты меньше 50% полных расходов (2*{text1} < {text2})"},
};
constexpr CodeText kTextsCodeOther = {0, Errors, "Unrecognized exception #{code} - ",
                                      "Неизвестное прерывание #{code} - "};

const CodeText& FindCode(std::span<const CodeText> table, const CodeText& other, int code,
                         bool firstTextEmpty = false) {
  for (const CodeText& row : table) {
    if (row.code == code && (!row.whenFirstTextEmpty || firstTextEmpty)) return row;
  }
  return other;
}

struct Part {
  const char* name;
  std::string value;
};

// Replaces each placeholder of the template by its part, in one pass, so that a part
// that happens to contain a placeholder is inserted unchanged.
std::string Compose(const std::string& pattern, std::initializer_list<Part> parts) {
  std::string result;
  std::size_t from = 0;
  while (from < pattern.size()) {
    std::size_t open = pattern.find('{', from);
    std::size_t close = open == std::string::npos ? open : pattern.find('}', open);
    if (close == std::string::npos) break;
    result.append(pattern, from, open - from);
    std::string name = pattern.substr(open + 1, close - open - 1);
    for (const Part& part : parts) {
      if (name == part.name) result += part.value;
    }
    from = close + 1;
  }
  if (from < pattern.size()) result.append(pattern, from);
  return result;
}

// The display form of a heading pattern: each "^w" shown as one space.
std::string HeadingDisplayText(const std::string& pattern) {
  std::string result;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.compare(i, 2, "^w") == 0) {
      result += ' ';
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

// H: the personnel heading, the institution and the category of the reported table.
std::string PersonnelHeader(const TextCatalogue& catalogue, bool russian, int n,
                            const std::string& category) {
  std::string header = HeadingDisplayText(catalogue.HeadingII8);
  if (n >= 0) header += ", " + InstitutionLabel(catalogue, n);
  header += russian ? ", Категория " : ", Category ";
  return header + category + ": ";
}

// Picks the text of the document's language, composes it and adds it to its list.
void Report(Reporter& reporter, const CodeText& row, std::initializer_list<Part> parts) {
  std::string message = Compose(reporter.DocLanguage ? row.russian : row.english, parts);
  switch (row.list) {
    case Errors:
      reporter.AddError(message);
      break;
    case Warnings:
      reporter.AddWarning(message);
      break;
    case Info:
      reporter.AddInfo(message);
      break;
  }
}

}  // namespace

std::string InstitutionLabel(const TextCatalogue& catalogue, int n) {
  if (n == 0) return catalogue.LblLeadingInstitution;
  if (n > 0) return catalogue.LblParticipantInstitution + std::to_string(n);
  return "";
}

Reporter::Reporter(const TextCatalogue& catalogue,
                   std::function<std::string(int row, int column, int colour)> markCell)
    : catalogue_(catalogue), markCell_(std::move(markCell)) {}

void Reporter::InitMessageLists(bool language) {
  DocLanguage = language;
  ErrorList.Init(kListLimit, DocLanguage ? "Превышено максимальное число ошибок"
                                         : "Maximum number of errors exceeded");
  WarningList.Init(kListLimit, DocLanguage ? "Превышено максимальное число предупреждений"
                                           : "Maximum number of warnings exceeded");
  InfoList.Init(kListLimit, DocLanguage ? "Превышено максимальное число информационных сообщений"
                                        : "Maximum number of info messages exceeded");
}

// A failure while composing a finding loses that finding only; the check goes on.
void Reporter::ReportCode(int code) {
  try {
    const CodeText& row = FindCode(kReportCodeTable, kReportCodeOther, code);
    Report(*this, row, {{"code", std::to_string(code)}});
  } catch (...) {
  }
}

std::string Reporter::ReportCellCode(int code, int n, const std::string& category, int row,
                                     int column) {
  try {
    std::string header = PersonnelHeader(catalogue_, DocLanguage, n, category);
    // The cell is shaded for every code, also when the text does not name it.
    std::string cell = markCell_(row, column, kYellow);
    const CodeText& entry = FindCode(kCellCodeTable, kCellCodeOther, code);
    Report(*this, entry, {{"code", std::to_string(code)}, {"H", header}, {"C", cell}});
    return cell;
  } catch (...) {
    return "";
  }
}

void Reporter::ReportCodeWithNumber(int code, int n, const std::string& text) {
  try {
    const CodeText& row = FindCode(kNumberCodeTable, kNumberCodeOther, code);
    Report(
        *this, row,
        {{"code", std::to_string(code)}, {"I", InstitutionLabel(catalogue_, n)}, {"text", text}});
  } catch (...) {
  }
}

void Reporter::ReportCodeWithText(int code, const std::string& text) {
  try {
    const CodeText& row = FindCode(kTextCodeTable, kTextCodeOther, code);
    Report(*this, row, {{"code", std::to_string(code)}, {"text", text}});
  } catch (...) {
  }
}

void Reporter::ReportCodeWithTexts(int code, const std::string& text1, const std::string& text2) {
  try {
    const CodeText& row = FindCode(kTextsCodeTable, kTextsCodeOther, code, text1.empty());
    Report(*this, row, {{"code", std::to_string(code)}, {"text1", text1}, {"text2", text2}});
  } catch (...) {
    ReportCode(-1);
  }
}

void Reporter::AddError(const std::string& message) {
  ErrorList.Add(message);
}
void Reporter::AddWarning(const std::string& message) {
  WarningList.Add(message);
}
void Reporter::AddInfo(const std::string& message) {
  InfoList.Add(message);
}

}  // namespace kv::text
