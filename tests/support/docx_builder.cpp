#include "support/docx_builder.h"

#include <zip.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace kv::testing {
namespace {

constexpr const char* kWordNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";

constexpr const char* kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
    "<Override PartName=\"/word/settings.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
    "</Types>";

constexpr const char* kPackageRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "officeDocument\" Target=\"word/document.xml\"/>"
    "</Relationships>";

constexpr const char* kDocumentRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" "
    "Target=\"settings.xml\"/>"
    "</Relationships>";

constexpr const char* kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
    "<w:name w:val=\"Normal\"/><w:qFormat/></w:style>"
    "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\">"
    "<w:name w:val=\"Normal Table\"/></w:style>"
    "</w:styles>";

constexpr const char* kSettings =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:settings xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:defaultTabStop w:val=\"720\"/><w:compat/></w:settings>";

std::string TextRun(const std::string& text) {
  return "<w:r><w:t xml:space=\"preserve\">" + XmlEscape(text) + "</w:t></w:r>";
}

std::string CellXml(const CellSpec& cell) {
  std::string props;
  if (cell.gridSpan > 1) props += "<w:gridSpan w:val=\"" + std::to_string(cell.gridSpan) + "\"/>";
  if (cell.vmerge == CellSpec::VMerge::Restart) props += "<w:vMerge w:val=\"restart\"/>";
  if (cell.vmerge == CellSpec::VMerge::Continue) props += "<w:vMerge/>";
  if (!cell.fill.empty()) {
    props += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + cell.fill + "\"/>";
  }
  std::string content = cell.rawContentXml;
  if (content.empty()) {
    for (const auto& text : cell.paragraphs) content += "<w:p>" + TextRun(text) + "</w:p>";
    if (cell.paragraphs.empty()) content = "<w:p/>";
  }
  return "<w:tc><w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/>" + props + "</w:tcPr>" + content +
         "</w:tc>";
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

std::string TableXml(const TableSpec& table) {
  std::string xml =
      "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/>"
      "</w:tblPr><w:tblGrid>";
  for (int column = 0; column < GridColumns(table); ++column) xml += "<w:gridCol w:w=\"2000\"/>";
  xml += "</w:tblGrid>";
  for (const auto& row : table.rows) {
    xml += "<w:tr>";
    for (const auto& cell : row) xml += CellXml(cell);
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
  return ParagraphRuns({text});
}

DocxBuilder& DocxBuilder::ParagraphRuns(const std::vector<std::string>& runs) {
  std::string xml = "<w:p>";
  for (const auto& run : runs) xml += TextRun(run);
  blocks_.push_back(xml + "</w:p>");
  return *this;
}

DocxBuilder& DocxBuilder::RawParagraph(const std::string& paragraphXml) {
  blocks_.push_back(paragraphXml);
  return *this;
}

DocxBuilder& DocxBuilder::Table(const TableSpec& table) {
  blocks_.push_back(TableXml(table));
  return *this;
}

std::string DocxBuilder::DocumentXml() const {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document ";
  xml += kWordNs;
  xml += "><w:body>";
  for (const auto& block : blocks_) xml += block;
  // The body always ends with a paragraph, as the word processor writes it.
  if (!blocks_.empty() && blocks_.back().starts_with("<w:tbl")) xml += "<w:p/>";
  return xml +
         "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
         "<w:pgMar w:top=\"1134\" w:right=\"850\" w:bottom=\"1134\" w:left=\"1701\" "
         "w:header=\"708\" w:footer=\"708\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
}

void DocxBuilder::Save(const std::string& path) const {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("cannot create " + path);
  const std::string document = DocumentXml();
  try {
    AddEntry(archive, "[Content_Types].xml", kContentTypes);
    AddEntry(archive, "_rels/.rels", kPackageRels);
    AddEntry(archive, "word/document.xml", document);
    AddEntry(archive, "word/_rels/document.xml.rels", kDocumentRels);
    AddEntry(archive, "word/styles.xml", kStyles);
    AddEntry(archive, "word/settings.xml", kSettings);
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
