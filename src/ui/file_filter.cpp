#include "ui/file_filter.h"

#include <string_view>

namespace kv::ui {
namespace {

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (;;) {
    const auto at = text.find(separator);
    parts.push_back(Trimmed(text.substr(0, at)));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

}  // namespace

std::vector<FilterPair> ParseFilter(const std::string& filter) {
  const auto fields = Split(filter, '|');
  std::vector<FilterPair> pairs;
  for (std::size_t k = 0; k < fields.size(); k += 2) {
    FilterPair pair{fields[k], {}};
    if (k + 1 < fields.size()) pair.patterns = Split(fields[k + 1], ';');
    pairs.push_back(std::move(pair));
  }
  return pairs;
}

std::string DisplayFilter(const FilterPair& pair) {
  std::string patterns;
  for (const auto& pattern : pair.patterns) {
    if (!patterns.empty()) patterns += ' ';
    patterns += pattern;
  }
  return patterns.empty() ? pair.description : pair.description + " (" + patterns + ")";
}

}  // namespace kv::ui
