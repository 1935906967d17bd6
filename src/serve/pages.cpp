#include "serve/pages.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <sstream>

namespace kv::serve {
namespace {

struct PageTexts {
  const char* lang;
  const char* title;
  const char* planLabel;
  const char* grantQuestion;
  const char* yes;
  const char* no;
  const char* submit;
  const char* reportTitle;
  const char* project;
  const char* download;
  const char* noCopy;
  const char* none;
  const char* table;
  const char* notValidated;
  const char* back;
};

constexpr PageTexts kEnglish{"en",
                             "Work plan validation",
                             "Work plan (.doc or .docx):",
                             "Is this a Project Development Grant?",
                             "Yes",
                             "No",
                             "Validate",
                             "Validation report",
                             "Project",
                             "Download the validated copy",
                             "No findings: no validated copy was kept.",
                             "None",
                             "Table",
                             "The work plan was not validated",
                             "Validate another work plan"};

constexpr PageTexts kRussian{"ru",
                             "Проверка рабочего плана",
                             "Рабочий план (.doc или .docx):",
                             "Это грант на развитие проекта (Project Development Grant)?",
                             "Да",
                             "Нет",
                             "Проверить",
                             "Отчёт о проверке",
                             "Проект",
                             "Скачать проверенную копию",
                             "Замечаний нет: проверенная копия не сохранена.",
                             "Нет",
                             "Таблица",
                             "Рабочий план не проверен",
                             "Проверить другой рабочий план"};

const PageTexts& Texts(const std::string& language) {
  return language == "ru" ? kRussian : kEnglish;
}

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:2em;max-width:70em}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "td{border:1px solid #888;padding:2px 6px;vertical-align:top;white-space:pre-wrap}"
    "td:target{outline:3px solid #0055cc}";

std::string Head(const PageTexts& texts, const std::string& title) {
  return std::string("<!DOCTYPE html>\n<html lang=\"") + texts.lang +
         "\"><head><meta charset=\"utf-8\"><title>" + EscapeHtml(title) + "</title><style>" +
         kStyle + "</style></head><body>\n";
}

std::string CellAnchor(int table, int row, int column) {
  return "t" + std::to_string(table) + "-r" + std::to_string(row) + "-c" + std::to_string(column);
}

// The cell a "(row,column)" of a finding stands for: of the marked cells with that row and
// column, the one in the first table not before `from` (the checks go through the tables
// in order), else the first one.
const report::ReportedCell* CellOf(const std::vector<report::ReportedCell>& cells, int row,
                                   int column, int from) {
  const report::ReportedCell* first = nullptr;
  const report::ReportedCell* next = nullptr;
  for (const auto& cell : cells) {
    if (cell.row != row || cell.column != column) continue;
    if (!first || cell.table < first->table) first = &cell;
    if (cell.table >= from && (!next || cell.table < next->table)) next = &cell;
  }
  return next ? next : first;
}

// The finding with each of its cell references linked to its cell.
std::string LinkedFinding(const std::string& text, const std::vector<report::ReportedCell>& cells,
                          int& from) {
  static const std::regex reference(R"(\((\d{1,6}),(\d{1,6})\))");
  std::string html;
  auto done = text.cbegin();
  for (std::sregex_iterator match(text.begin(), text.end(), reference), end; match != end;
       ++match) {
    html += EscapeHtml(std::string(done, (*match)[0].first));
    done = (*match)[0].second;
    const auto* cell = CellOf(cells, std::stoi((*match)[1]), std::stoi((*match)[2]), from);
    if (!cell) {
      html += EscapeHtml(match->str());
      continue;
    }
    from = cell->table;
    html += "<a href=\"#" + CellAnchor(cell->table, cell->row, cell->column) + "\">" +
            EscapeHtml(match->str()) + "</a>";
  }
  return html + EscapeHtml(std::string(done, text.cend()));
}

void WriteList(std::ostream& html, const std::string& id, const std::string& heading,
               const std::vector<std::string>& findings, const ReportView& view,
               const PageTexts& texts) {
  html << "<h2>" << EscapeHtml(heading) << "</h2>\n";
  if (findings.empty()) {
    html << "<p id=\"" << id << "\">" << texts.none << "</p>\n";
    return;
  }
  int from = 0;
  html << "<ol id=\"" << id << "\">\n";
  for (const auto& finding : findings)
    html << "<li>" << LinkedFinding(finding, view.report.markedCells, from) << "</li>\n";
  html << "</ol>\n";
}

std::string Fill(const std::string& colour) {
  if (colour == "red") return "#FF0000";
  if (colour == "green") return "#008000";
  if (colour == "yellow") return "#FFFF00";
  return "";
}

void WriteTable(std::ostream& html, const ShadedTable& table, const ReportView& view,
                const PageTexts& texts) {
  html << "<h2 id=\"table-" << table.number << "\">" << texts.table << " " << table.number
       << "</h2>\n<table>\n";
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    html << "<tr>";
    for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
      const int row = static_cast<int>(r) + 1, column = static_cast<int>(c) + 1;
      const auto marked = std::find_if(
          view.report.markedCells.begin(), view.report.markedCells.end(), [&](const auto& cell) {
            return cell.table == table.number && cell.row == row && cell.column == column;
          });
      html << "<td id=\"" << CellAnchor(table.number, row, column) << "\"";
      if (marked != view.report.markedCells.end())
        html << " class=\"shaded " << marked->colour
             << "\" style=\"background-color:" << Fill(marked->colour)
             << (marked->colour == "green" ? ";color:#FFFFFF" : "") << "\"";
      html << ">" << EscapeHtml(table.rows[r][c]) << "</td>";
    }
    html << "</tr>\n";
  }
  html << "</table>\n";
}

// The q value of one Accept-Language entry ("ru-RU;q=0.8"), 1 when it gives none.
double Quality(const std::string& entry) {
  const auto q = entry.find(";q=");
  if (q == std::string::npos) return 1;
  try {
    return std::stod(entry.substr(q + 3));
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string PreferredLanguage(const std::string& acceptLanguage) {
  double english = 0, russian = 0;
  std::istringstream entries(acceptLanguage);
  for (std::string entry; std::getline(entries, entry, ',');) {
    entry.erase(std::remove(entry.begin(), entry.end(), ' '), entry.end());
    std::string tag = entry.substr(0, entry.find_first_of("-;"));
    std::transform(tag.begin(), tag.end(), tag.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (tag == "en") english = std::max(english, Quality(entry));
    if (tag == "ru") russian = std::max(russian, Quality(entry));
  }
  return russian > english ? "ru" : "en";
}

std::string UploadPage(const std::string& language) {
  const auto& texts = Texts(language);
  std::ostringstream html;
  html << Head(texts, texts.title) << "<h1>" << texts.title << "</h1>\n"
       << "<form method=\"post\" action=\"/validate\" enctype=\"multipart/form-data\">\n"
       << "<p><label>" << texts.planLabel
       << " <input type=\"file\" name=\"plan\" accept=\".doc,.docx\" required></label></p>\n"
       << "<fieldset><legend>" << texts.grantQuestion << "</legend>\n"
       << "<label><input type=\"radio\" name=\"pdg\" value=\"no\" checked> " << texts.no
       << "</label>\n<label><input type=\"radio\" name=\"pdg\" value=\"yes\"> " << texts.yes
       << "</label></fieldset>\n<p><button type=\"submit\">" << texts.submit
       << "</button></p>\n</form>\n</body></html>\n";
  return html.str();
}

std::string ReportPage(const ReportView& view, const std::string& copyUrl) {
  const auto& report = view.report;
  const auto& texts = Texts(report.language);
  std::ostringstream html;
  html << Head(texts, texts.reportTitle) << "<h1>" << texts.reportTitle << "</h1>\n<p>"
       << texts.project << " " << EscapeHtml(report.projectNumber.value_or("")) << ": "
       << EscapeHtml(report.file.value_or("")) << "</p>\n<p>";
  if (copyUrl.empty())
    html << texts.noCopy;
  else
    html << "<a id=\"copy\" href=\"" << EscapeHtml(copyUrl) << "\">" << texts.download << " ("
         << EscapeHtml(report.validatedCopy.value_or("")) << ")</a>";
  html << "</p>\n";
  WriteList(html, "errors", view.errorsHeading, report.errors, view, texts);
  WriteList(html, "warnings", view.warningsHeading, report.warnings, view, texts);
  WriteList(html, "info", view.infoHeading, report.info, view, texts);
  for (const auto& table : view.tables) WriteTable(html, table, view, texts);
  html << "</body></html>\n";
  return html.str();
}

std::string FailurePage(const std::string& language, const std::string& reason) {
  const auto& texts = Texts(language);
  return Head(texts, texts.notValidated) + "<h1>" + texts.notValidated +
         "</h1>\n<p id=\"reason\">" + EscapeHtml(reason) + "</p>\n<p><a href=\"/\">" + texts.back +
         "</a></p>\n</body></html>\n";
}

}  // namespace kv::serve
