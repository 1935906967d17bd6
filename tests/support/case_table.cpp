#include "support/case_table.h"

#include <filesystem>
#include <set>
#include <sstream>
#include <stdexcept>

#include "support/temp_dir.h"
#include "text/catalogue.h"

namespace kv::testing {
namespace {

// A character of up to 16 bits in UTF-8.
void AppendUtf8(std::string& out, unsigned long code) {
  const int tail = code < 0x80 ? 0 : code < 0x800 ? 1 : 2;
  constexpr unsigned kLead[] = {0, 0xC0, 0xE0};
  out += static_cast<char>(kLead[tail] | (code >> (6 * tail)));
  for (int k = tail - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
}

// Letters and digits of the first two fields, the rest runs of '_'; the line's number
// where that is empty or taken.
std::string NameOf(const std::vector<std::string>& fields, int line, std::set<std::string>& taken) {
  std::string name;
  const std::string text = fields[0] + (fields.size() > 1 ? " " + fields[1] : "");
  for (unsigned char c : text.substr(0, 60)) {
    if (std::isalnum(c)) {
      name += static_cast<char>(c);
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  if (name.empty() || !taken.insert(name).second) name += "_line" + std::to_string(line);
  return name;
}

}  // namespace

const std::string& Case::operator[](std::size_t field) const {
  static const std::string kNone;
  return field < fields.size() ? fields[field] : kNone;
}

std::ostream& operator<<(std::ostream& out, const Case& c) {
  return out << c.name;
}

std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char c = field[++i];
    const std::size_t digits = c == 'x' ? 2 : c == 'u' ? 4 : 0;
    if (digits > 0) {
      const unsigned long code = std::stoul(field.substr(i + 1, digits), nullptr, 16);
      if (c == 'x') out += static_cast<char>(code);
      if (c == 'u') AppendUtf8(out, code);
      i += digits;
      continue;
    }
    const std::string from = "tnrv0", to("\t\n\r\v\0", 5);
    const auto at = from.find(c);
    out += at == std::string::npos ? c : to[at];
  }
  return out;
}

std::string ReadTestFile(const std::string& path) {
  const std::string full = std::string(KV_SOURCE_DIR) + "/tests/" + path;
  if (!std::filesystem::is_regular_file(full))
    throw std::runtime_error("cannot read tests/" + path);
  return ReadFileBytes(full);
}

std::vector<Case> ReadTable(const std::string& path) {
  std::istringstream in(ReadTestFile(path));
  std::vector<Case> cases;
  std::set<std::string> taken;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (text.empty() || text[0] == '#') continue;
    Case& c = cases.emplace_back();
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = text.find('\t', start);
      c.fields.push_back(Unescape(text.substr(start, end - start)));
    }
    c.name = NameOf(c.fields, line, taken);
  }
  return cases;
}

std::map<std::string, std::string> CatalogueByName(bool russian) {
  std::map<std::string, std::string> texts;
#define KV_BY_NAME(name, english, russianText) texts[#name] = russian ? russianText : english;
  KV_TEXT_CATALOGUE(KV_BY_NAME)
#undef KV_BY_NAME
  return texts;
}

std::vector<Case> ReadCases(const std::string& file) {
  return ReadTable("cases/" + file + ".tsv");
}

}  // namespace kv::testing
