#include "docx/xml.h"

#include <algorithm>

#include "word/word_application.h"

namespace kv::word::docx {
namespace {

constexpr std::string_view kWordNamespaces[] = {
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    "http://purl.oclc.org/ooxml/wordprocessingml/main"};
constexpr std::string_view kCompatNamespace =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";

// The prefix (with its colon) that the root binds to one of `uris`; "w:"-style default.
std::string PrefixFor(pugi::xml_node root, std::initializer_list<std::string_view> uris,
                      const std::string& fallback) {
  for (pugi::xml_attribute attribute : root.attributes()) {
    std::string_view name = attribute.name();
    if (std::find(uris.begin(), uris.end(), std::string_view(attribute.value())) == uris.end()) {
      continue;
    }
    if (name == "xmlns") return "";
    if (name.starts_with("xmlns:")) return std::string(name.substr(6)) + ":";
  }
  return fallback;
}

int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

// Decodes one code point at `i`; advances `i`. An invalid byte decodes as U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const int length = SequenceLength(lead);
  if (length == 1) return text[i++];
  if (length == 0 || i + length > text.size()) {
    ++i;
    return U'\uFFFD';
  }
  char32_t code = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return U'\uFFFD';
    }
    code = (code << 6) | (next & 0x3F);
  }
  i += length;
  return code;
}

}  // namespace

WordNames::WordNames(pugi::xml_node root)
    : word_(PrefixFor(root, {kWordNamespaces[0], kWordNamespaces[1]}, "w:")),
      compat_(PrefixFor(root, {kCompatNamespace}, "mc:")) {}

std::string_view WordNames::LocalUnder(pugi::xml_node node, const std::string& prefix) {
  std::string_view name = node.name();
  if (node.type() != pugi::node_element || !name.starts_with(prefix)) return {};
  name.remove_prefix(prefix.size());
  return name.find(':') == std::string_view::npos ? name : std::string_view{};
}

pugi::xml_node WordNames::Child(pugi::xml_node parent, std::string_view local) const {
  for (pugi::xml_node child : parent.children()) {
    if (Local(child) == local) return child;
  }
  return {};
}

pugi::xml_attribute WordNames::Attribute(pugi::xml_node node, std::string_view local) const {
  return node.attribute(Qualified(local).c_str());
}

pugi::xml_node ChildInOrder(const WordNames& names, pugi::xml_node parent, std::string_view local,
                            std::span<const std::string_view> order) {
  if (pugi::xml_node existing = names.Child(parent, local)) return existing;
  const auto rank = [&](std::string_view name) {
    return std::find(order.begin(), order.end(), name) - order.begin();
  };
  const auto wanted = rank(local);
  for (pugi::xml_node child : parent.children()) {
    if (child.type() == pugi::node_element && rank(names.Local(child)) > wanted) {
      return parent.insert_child_before(names.Qualified(local).c_str(), child);
    }
  }
  return parent.append_child(names.Qualified(local).c_str());
}

pugi::xml_node FirstChildProperties(const WordNames& names, pugi::xml_node parent,
                                    std::string_view local) {
  if (pugi::xml_node existing = names.Child(parent, local)) return existing;
  return parent.prepend_child(names.Qualified(local).c_str());
}

NestingGuard::NestingGuard(int& depth) : depth_(depth) {
  constexpr int kMaxNesting = 256;
  if (++depth_ > kMaxNesting) {
    --depth_;
    throw WordError("the document is nested too deeply");
  }
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size();) decoded.push_back(NextCodePoint(text, i));
  return decoded;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string encoded;
  encoded.reserve(text.size());
  for (char32_t c : text) {
    if (c < 0x80) {
      encoded += static_cast<char>(c);
    } else if (c < 0x800) {
      encoded += static_cast<char>(0xC0 | (c >> 6));
      encoded += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      encoded += static_cast<char>(0xE0 | (c >> 12));
      encoded += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      encoded += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      encoded += static_cast<char>(0xF0 | (c >> 18));
      encoded += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      encoded += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      encoded += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return encoded;
}

int CountCodePoints(std::string_view text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++count) NextCodePoint(text, i);
  return count;
}

std::string_view SubstringByCodePoints(std::string_view text, int from, int count) {
  size_t i = 0;
  for (int k = 0; k < from && i < text.size(); ++k) NextCodePoint(text, i);
  const size_t begin = i;
  for (int k = 0; k < count && i < text.size(); ++k) NextCodePoint(text, i);
  return text.substr(begin, i - begin);
}

}  // namespace kv::word::docx
