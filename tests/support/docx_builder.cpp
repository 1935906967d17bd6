#include "support/docx_builder.h"

#include <zip.h>

#include <pugixml.hpp>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "support/case_table.h"

namespace kv::testing {
namespace {

constexpr const char* kWordNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";

std::string TextRun(const std::string& text) {
  return "<w:r><w:t xml:space=\"preserve\">" + XmlEscape(text) + "</w:t></w:r>";
}

// The section properties of A4 pages, portrait or landscape with margins of its own.
std::string SectionXml(bool landscape) {
  return ReadTestFile(landscape ? "data/page_landscape.xml" : "data/page_portrait.xml");
}

// The page's width less its left and right margins.
int TextWidth(bool landscape) {
  pugi::xml_document xml;
  xml.load_string(SectionXml(landscape).c_str());
  const auto section = xml.child("w:sectPr");
  const auto margins = section.child("w:pgMar");
  return section.child("w:pgSz").attribute("w:w").as_int() - margins.attribute("w:left").as_int() -
         margins.attribute("w:right").as_int();
}

std::string CellContent(const CellSpec& cell) {
  if (!cell.rawContentXml.empty()) return cell.rawContentXml;
  std::string content;
  for (const auto& text : cell.paragraphs) content += "<w:p>" + TextRun(text) + "</w:p>";
  return cell.paragraphs.empty() ? "<w:p/>" : content;
}

std::string CellXml(const CellSpec& cell, int width) {
  std::string props = "<w:tcW w:w=\"" + std::to_string(width) + "\" w:type=\"dxa\"/>";
  if (cell.gridSpan > 1) props += "<w:gridSpan w:val=\"" + std::to_string(cell.gridSpan) + "\"/>";
  if (cell.vmerge == CellSpec::VMerge::Restart) props += "<w:vMerge w:val=\"restart\"/>";
  if (cell.vmerge == CellSpec::VMerge::Continue) props += "<w:vMerge/>";
  if (!cell.fill.empty()) {
    props += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + cell.fill + "\"/>";
  }
  return "<w:tc><w:tcPr>" + props + "</w:tcPr>" + CellContent(cell) + "</w:tc>";
}

int GridColumns(const TableSpec& table) {
  int widest = 0;
  for (const auto& row : table.rows) {
    int columns = 0;
    for (const auto& cell : row) columns += cell.gridSpan;
    widest = std::max(widest, columns);
  }
  return widest;
}

// How much room a cell's text wants: its longest word, or half of a long text (which
// wraps to two lines), counting the characters outside the XML's tags, and two for the
// cell's margins.
int TextWeight(const std::string& xml) {
  constexpr int kLongText = 24;
  int length = 0, word = 0, longestWord = 0;
  bool inTag = false;
  for (unsigned char c : xml) {
    inTag = c == '<' || (inTag && c != '>');
    if (inTag || c == '>' || (c & 0xC0) == 0x80) continue;  // UTF-8 lead bytes only
    ++length;
    word = c == ' ' ? 0 : word + 1;
    longestWord = std::max(longestWord, word);
  }
  return 2 + std::max(longestWord, std::min(length, kLongText) / 2);
}

// The columns share the text width by the room their own cells (spanning ones left out)
// want, so labels get room and columns of figures stay narrow; the sum never exceeds it.
std::vector<int> ColumnWidths(const TableSpec& table, int textWidth) {
  std::vector<int> weights(GridColumns(table), 3);
  for (const auto& row : table.rows) {
    std::size_t column = 0;
    for (const auto& cell : row) {
      if (cell.gridSpan == 1)
        weights[column] = std::max(weights[column], TextWeight(CellContent(cell)));
      column += cell.gridSpan;
    }
  }
  const int total = std::accumulate(weights.begin(), weights.end(), 0);
  for (int& weight : weights) weight = textWidth * weight / total;
  return weights;
}

std::string TableXml(const TableSpec& table, int textWidth) {
  const std::vector<int> widths = ColumnWidths(table, textWidth);
  std::string xml = "<w:tbl><w:tblPr><w:tblW w:w=\"" +
                    std::to_string(std::accumulate(widths.begin(), widths.end(), 0)) +
                    "\" w:type=\"dxa\"/><w:tblBorders>";
  for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
    xml +=
        std::string("<w:") + side + " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>";
  }
  xml += "</w:tblBorders><w:tblLayout w:type=\"fixed\"/></w:tblPr><w:tblGrid>";
  for (int width : widths) xml += "<w:gridCol w:w=\"" + std::to_string(width) + "\"/>";
  xml += "</w:tblGrid>";
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    xml += r < static_cast<std::size_t>(table.headerRows) ? "<w:tr><w:trPr><w:tblHeader/></w:trPr>"
                                                          : "<w:tr>";
    auto column = widths.begin();
    for (const auto& cell : table.rows[r]) {
      const auto end = column + std::min<std::ptrdiff_t>(cell.gridSpan, widths.end() - column);
      xml += CellXml(cell, std::accumulate(column, end, 0));
      column = end;
    }
    xml += "</w:tr>";
  }
  return xml + "</w:tbl>";
}

// libzip reads the data when the archive is closed: every entry must outlive that.
void AddEntry(zip_t* archive, const char* name, std::string_view data) {
  zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
  if (source == nullptr || zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) < 0) {
    zip_source_free(source);
    throw std::runtime_error(std::string("cannot add ") + name + ": " + zip_strerror(archive));
  }
}

}  // namespace

TableSpec SimpleTable(const std::vector<std::vector<std::string>>& cells) {
  TableSpec table;
  for (const auto& row : cells) {
    auto& specRow = table.rows.emplace_back();
    for (const auto& text : row) {
      CellSpec cell;
      cell.paragraphs = {text};
      specRow.push_back(cell);
    }
  }
  return table;
}

DocxBuilder& DocxBuilder::Paragraph(const std::string& text) {
  blocks_.push_back("<w:p>" + TextRun(text) + "</w:p>");
  return *this;
}

DocxBuilder& DocxBuilder::RawParagraph(const std::string& paragraphXml) {
  blocks_.push_back(paragraphXml);
  return *this;
}

DocxBuilder& DocxBuilder::Table(const TableSpec& table) {
  blocks_.push_back(TableXml(table, TextWidth(landscape_)));
  return *this;
}

DocxBuilder& DocxBuilder::Style(const std::string& styleXml) {
  styles_ += styleXml;
  return *this;
}

DocxBuilder& DocxBuilder::Numbering(const std::string& definitions) {
  numbering_ += definitions;
  return *this;
}

DocxBuilder& DocxBuilder::Edit(std::function<void(std::string&)> edit) {
  edits_.push_back(std::move(edit));
  return *this;
}

DocxBuilder& DocxBuilder::Section(bool landscape) {
  if (landscape == landscape_) return *this;
  // The paragraph that closes a section carries its properties.
  if (!blocks_.empty())
    blocks_.push_back("<w:p><w:pPr>" + SectionXml(landscape_) + "</w:pPr></w:p>");
  landscape_ = landscape;
  return *this;
}

std::string DocxBuilder::DocumentXml() const {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document ";
  xml += kWordNs;
  xml += "><w:body>";
  for (const auto& block : blocks_) xml += block;
  // The body always ends with a paragraph, as the word processor writes it.
  if (!blocks_.empty() && blocks_.back().starts_with("<w:tbl")) xml += "<w:p/>";
  xml += SectionXml(landscape_) + "</w:body></w:document>";
  for (const auto& edit : edits_) edit(xml);
  return xml;
}

void DocxBuilder::Save(const std::string& path) const {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("cannot create " + path);
  // The parts other than the document and the numbering stand in tests/data/package;
  // this builder's styles go at the end of the styles part.
  const auto part = [](const std::string& name) { return ReadTestFile("data/package/" + name); };
  std::string rels = part("word/_rels/document.xml.rels"), styles = part("word/styles.xml");
  styles.insert(styles.rfind("</w:styles>"), styles_);
  if (!numbering_.empty()) {
    rels.insert(rels.rfind("</Relationships>"),
                "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/"
                "officeDocument/2006/relationships/numbering\" Target=\"numbering.xml\"/>");
  }
  std::vector<std::pair<std::string, std::string>> parts = {
      {"[Content_Types].xml", part("[Content_Types].xml")},
      {"_rels/.rels", part("_rels/.rels")},
      {"word/document.xml", DocumentXml()},
      {"word/_rels/document.xml.rels", rels},
      {"word/styles.xml", styles}};
  if (!numbering_.empty()) {
    parts.emplace_back("word/numbering.xml", std::string("<w:numbering ") + kWordNs + ">" +
                                                 numbering_ + "</w:numbering>");
  }
  parts.emplace_back("word/settings.xml", part("word/settings.xml"));
  try {
    for (const auto& [name, data] : parts) AddEntry(archive, name.c_str(), data);
  } catch (...) {
    zip_discard(archive);
    throw;
  }
  if (zip_close(archive) < 0) {
    std::string reason = zip_strerror(archive);
    zip_discard(archive);
    throw std::runtime_error("cannot write " + path + ": " + reason);
  }
}

std::string XmlEscape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    escaped += c == '&'   ? "&amp;"
               : c == '<' ? "&lt;"
               : c == '>' ? "&gt;"
               : c == '"' ? "&quot;"
                          : std::string(1, c);
  }
  return escaped;
}

}  // namespace kv::testing
