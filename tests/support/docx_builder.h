// Writes real .docx packages for tests: paragraphs and tables, with the awkward parts
// of real documents (runs split mid-word, tabs, merged cells, tracked changes, fields)
// available where a test needs them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kv::testing {

struct CellSpec {
  std::vector<std::string> paragraphs{""};  // one paragraph per entry, plain text
  int gridSpan = 1;                         // horizontal merge
  enum class VMerge { None, Restart, Continue } vmerge = VMerge::None;
  std::string rawContentXml;  // when not empty: the cell's block content verbatim
  std::string fill;           // existing shading (hex colour), "" for none
};

struct TableSpec {
  std::vector<std::vector<CellSpec>> rows;
  int headerRows = 1;  // repeated at the top of every page the table runs onto
};

// A table of plain one-paragraph cells.
TableSpec SimpleTable(const std::vector<std::vector<std::string>>& cells);

class DocxBuilder {
 public:
  // A paragraph of plain text in one run.
  DocxBuilder& Paragraph(const std::string& text);
  // A paragraph given as raw WordprocessingML (<w:p>...</w:p>), for tabs, breaks,
  // symbols, fields, tracked changes and content controls.
  DocxBuilder& RawParagraph(const std::string& paragraphXml);
  // Bordered, its columns sharing the text width of the section it stands in.
  DocxBuilder& Table(const TableSpec& table);
  // Ends the current section where its orientation changes: the blocks that follow stand
  // on landscape or portrait A4 pages.
  DocxBuilder& Section(bool landscape);

  // A w:style element added to the styles part.
  DocxBuilder& Style(const std::string& styleXml);
  // A numbering part of these w:abstractNum and w:num elements.
  DocxBuilder& Numbering(const std::string& definitions);
  // Changes the document's XML when it is written: for what plain text cannot say (run
  // properties, a row's tracked deletion).
  DocxBuilder& Edit(std::function<void(std::string&)> edit);

  std::string DocumentXml() const;
  // Writes a complete package: content types, relationships, document, styles (Normal,
  // Title, Heading1 to Heading3), settings.
  void Save(const std::string& path) const;

 private:
  std::vector<std::string> blocks_;  // body blocks as XML, in order
  std::string styles_, numbering_;
  std::vector<std::function<void(std::string&)>> edits_;
  bool landscape_ = false;
};

// XML-escapes text for w:t content.
std::string XmlEscape(const std::string& text);

}  // namespace kv::testing
