#include "docx/find.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "docx/xml.h"

namespace kv::word::docx {
namespace {

bool IsWhite(char32_t c) {
  return c == U' ' || c == U'\t' || c == U'\u00A0' || c == U'\u202F' || c == U'\u2009' ||
         c == U'\u2007';
}

// The non-breaking hyphens read as the hyphen they show.
char32_t AsShown(char32_t c) {
  return c == U'\x1E' || c == U'\u2011' ? U'-' : c;
}

// Full case folding; ASCII letters fold to their lower case without asking ICU.
char32_t Folded(char32_t c) {
  if (c < 0x80) return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

}  // namespace

FindPattern::FindPattern(std::string_view pattern, bool matchCase) : matchCase_(matchCase) {
  const std::u32string decoded = DecodeUtf8(pattern);
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] == U'^' && i + 1 < decoded.size() && (decoded[i + 1] == U'w')) {
      tokens_.push_back(kWhiteRun);
      ++i;
    } else if (decoded[i] == U'^' && i + 1 < decoded.size() && decoded[i + 1] == U'^') {
      tokens_.push_back(U'^');
      ++i;
    } else {
      tokens_.push_back(matchCase ? decoded[i] : Folded(decoded[i]));
    }
  }
}

// Length of the match of tokens [token, end) at `at`, or -1. A white run takes as many
// blanks as it can and gives back what the rest of the pattern needs.
int FindPattern::MatchAt(const std::u32string& text, std::size_t at, std::size_t token) const {
  if (token == tokens_.size()) return 0;
  if (tokens_[token] == kWhiteRun) {
    std::size_t end = at;
    while (end < text.size() && IsWhite(text[end])) ++end;
    for (std::size_t stop = end; stop > at; --stop) {
      const int rest = MatchAt(text, stop, token + 1);
      if (rest >= 0) return static_cast<int>(stop - at) + rest;
    }
    return -1;
  }
  if (at >= text.size() || text[at] != tokens_[token]) return -1;
  const int rest = MatchAt(text, at + 1, token + 1);
  return rest < 0 ? -1 : rest + 1;
}

std::optional<FindPattern::Match> FindPattern::Search(std::string_view line, int from) const {
  if (tokens_.empty()) return std::nullopt;
  std::u32string text = DecodeUtf8(line);
  for (char32_t& c : text) c = matchCase_ ? AsShown(c) : Folded(AsShown(c));
  for (std::size_t at = static_cast<std::size_t>(std::max(from, 0)); at < text.size(); ++at) {
    const int length = MatchAt(text, at, 0);
    if (length > 0) return Match{static_cast<int>(at), length};
  }
  return std::nullopt;
}

}  // namespace kv::word::docx
