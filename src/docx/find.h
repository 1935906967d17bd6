// Find as the checks use it: literal text where "^w" stands for one or more spaces,
// tabs or no-break spaces; letters match whatever their case (full Unicode folding).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::word::docx {

class FindPattern {
 public:
  FindPattern(std::string_view pattern, bool matchCase);

  bool empty() const { return tokens_.empty(); }
  struct Match {
    int offset = 0;  // in code points
    int length = 0;
  };
  // The first match in `line` that starts at or after code point `from`.
  std::optional<Match> Search(std::string_view line, int from) const;

 private:
  static constexpr char32_t kWhiteRun = 0xFFFFFFFF;  // the token for "^w"
  int MatchAt(const std::u32string& text, std::size_t at, std::size_t token) const;
  std::vector<char32_t> tokens_;
  bool matchCase_;
};

}  // namespace kv::word::docx
