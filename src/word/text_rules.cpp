#include "word/text_rules.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <charconv>
#include <limits>

namespace kv::word {

namespace {

// The blanks above code 32: the no-break space and the narrow spaces that typography
// groups thousands with (narrow no-break, thin and figure space).
bool IsWideBlank(char32_t c) {
  return c == 0x00A0 || c == 0x202F || c == 0x2009 || c == 0x2007;
}

bool IsGroupingMark(char32_t c) {
  return c == U',' || c == U'.' || c <= 32;
}

// Most cell texts are plain ASCII, whose characters are their bytes: no decoding needed.
bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsAscii(const std::u32string& text) {
  return std::all_of(text.begin(), text.end(), [](char32_t c) { return c < 0x80; });
}

// Plain decimal text: an optional sign, digits and at most one decimal point, at least
// one digit. No-break and narrow spaces in the whole part count as thousands grouping, as
// in the number formats that group with them. Exponents, "inf" and the like are not numbers here.
std::optional<double> ParsePlainDecimal(const std::u32string& text, char32_t decimalPoint) {
  std::string ascii;
  bool seenPoint = false;
  bool seenDigit = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsWideBlank(c) && seenDigit && !seenPoint) continue;
    if ((c == U'-' || c == U'+') && i == 0) {
      if (c == U'-') ascii += '-';
    } else if (c >= U'0' && c <= U'9') {
      ascii += static_cast<char>(c);
      seenDigit = true;
    } else if (c == decimalPoint && !seenPoint) {
      ascii += '.';
      seenPoint = true;
    } else {
      return std::nullopt;
    }
  }
  if (!seenDigit) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

template <typename Integer>
Integer TextToInteger(const std::string& cellText) {
  if (cellText == kErrorText) return -1;
  std::string stripped = StripSeparators(cellText);
  if (stripped.empty()) return 0;
  std::optional<double> value = ParsePlainDecimal(ToUtf32(stripped), U'.');
  // After stripping no point is left, so a readable value is a whole number.
  if (!value || *value < std::numeric_limits<Integer>::min() ||
      *value > std::numeric_limits<Integer>::max()) {
    return -1;
  }
  return static_cast<Integer>(*value);
}

}  // namespace

bool IsBlank(char32_t c) {
  return c <= 32 || IsWideBlank(c);
}

bool IsDash(char32_t c) {
  return c == 0x1E || c == 0x2011 || c == 0x2013 || c == 0x2014;
}

bool IsOptionalHyphen(char32_t c) {
  return c == 0x1F || c == 0x00AD;
}

std::u32string ToUtf32(const std::string& text) {
  if (IsAscii(text)) return std::u32string(text.begin(), text.end());
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
  std::u32string result(static_cast<std::size_t>(unicode.countChar32()), U'\0');
  UErrorCode status = U_ZERO_ERROR;
  unicode.toUTF32(reinterpret_cast<UChar32*>(result.data()), static_cast<int32_t>(result.size()),
                  status);
  return result;
}

std::string ToUtf8(const std::u32string& text) {
  if (IsAscii(text)) {
    std::string ascii(text.size(), '\0');
    std::transform(text.begin(), text.end(), ascii.begin(),
                   [](char32_t c) { return static_cast<char>(c); });
    return ascii;
  }
  std::string result;
  icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(text.data()),
                                static_cast<int32_t>(text.size()))
      .toUTF8String(result);
  return result;
}

std::string TrimBlanks(const std::string& text) {
  std::u32string chars = ToUtf32(text);
  std::size_t first = 0;
  while (first < chars.size() && IsBlank(chars[first])) ++first;
  std::size_t last = chars.size();
  while (last > first && IsBlank(chars[last - 1])) --last;
  return ToUtf8(chars.substr(first, last - first));
}

std::string WithoutControlCharacters(const std::string& text) {
  std::string printable;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    const bool c1 = c == 0xC2 && k + 1 < text.size() &&
                    (static_cast<unsigned char>(text[k + 1]) & 0xE0) == 0x80;
    if (c1) ++k;
    printable += c < 0x20 || c == 0x7F || c1 ? '?' : text[k];
  }
  return printable;
}

std::string NormalizeText(const std::string& text) {
  std::u32string result;
  bool lastWasText = false;
  for (char32_t c : ToUtf32(text)) {
    // The non-breaking hyphen has a code below 32: dashes are tested before blanks.
    if (IsDash(c)) {
      result += U'-';
      lastWasText = true;
    } else if (IsBlank(c)) {
      if (lastWasText) result += U' ';
      lastWasText = false;
    } else {
      result += c;
      lastWasText = true;
    }
  }
  if (!result.empty() && !lastWasText) result.pop_back();
  return ToUtf8(result);
}

std::string StripSeparators(const std::string& text) {
  std::u32string result;
  for (char32_t c : ToUtf32(text)) {
    if (!IsGroupingMark(c)) result += c;
  }
  return ToUtf8(result);
}

std::string RemoveOptionalHyphens(const std::string& text) {
  std::u32string result;
  for (char32_t c : ToUtf32(text)) {
    if (!IsOptionalHyphen(c)) result += c;
  }
  return ToUtf8(result);
}

std::string PatternToText(const std::string& pattern) {
  std::u32string chars = ToUtf32(pattern);
  std::u32string result;
  std::size_t i = 0;  // positions count from 0 here
  while (i < chars.size()) {
    if (i + 1 == chars.size()) {
      result += chars[i];
      break;
    }
    std::size_t caret = chars.find(U'^', i);
    if (caret == std::u32string::npos) {
      result += chars.substr(i);
      break;
    }
    result += chars.substr(i, caret - i);
    result += U' ';
    i = caret + 2;  // the "^" and the code character after it
  }
  return ToUtf8(result);
}

std::string ReplaceText(const std::string& text, const std::string& search,
                        const std::string& replacement) {
  if (search.empty()) return text;
  // Matching whole UTF-8 sequences byte by byte matches whole characters exactly.
  std::string result;
  std::size_t from = 0;
  for (std::size_t at = text.find(search); at != std::string::npos; at = text.find(search, from)) {
    result.append(text, from, at - from);
    result += replacement;
    from = at + search.size();
  }
  result.append(text, from);
  return result;
}

// Numbers are converted independently of the user's locale, with "." as the decimal
// point; the decimal rule of TextNumber inserts this separator, so "." is always right.
std::string DecimalSeparator() {
  return ".";
}

double TextNumber(const std::string& cellText, const std::string& decimalSeparator) {
  if (cellText == kErrorText) return -1;
  if (cellText.empty()) return 0;
  std::u32string chars = ToUtf32(cellText);
  std::u32string separator = ToUtf32(decimalSeparator);
  std::size_t length = chars.size();
  auto isMark = [](char32_t c) { return c == U',' || c == U'.'; };
  // A comma or point before the last one or two characters is the decimal mark.
  std::size_t fraction = 0;
  if (length > 1 && isMark(chars[length - 2])) {
    fraction = 1;
  } else if (length > 2 && isMark(chars[length - 3])) {
    fraction = 2;
  }
  std::u32string number =
      ToUtf32(StripSeparators(ToUtf8(chars.substr(0, length - fraction - (fraction ? 1 : 0)))));
  if (fraction > 0) number += separator + chars.substr(length - fraction);
  if (number.empty() || separator.size() != 1) return -1;
  return ParsePlainDecimal(number, separator[0]).value_or(-1);
}

std::int16_t TextInteger(const std::string& cellText) {
  return TextToInteger<std::int16_t>(cellText);
}

std::int32_t TextLong(const std::string& cellText) {
  return TextToInteger<std::int32_t>(cellText);
}

std::optional<double> ReadNumeric(const std::string& text) {
  return ParsePlainDecimal(ToUtf32(TrimBlanks(text)), U'.');
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return icu::UnicodeString::fromUTF8(a).caseCompare(icu::UnicodeString::fromUTF8(b),
                                                     U_FOLD_CASE_DEFAULT) == 0;
}

std::string ToUpper(const std::string& text) {
  std::string result;
  icu::UnicodeString::fromUTF8(text).toUpper(icu::Locale::getRoot()).toUTF8String(result);
  return result;
}

}  // namespace kv::word
