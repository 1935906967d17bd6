// Text and number rules shared by every check. Text is UTF-8 throughout the program;
// these rules count characters (code points), not bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv::word {

// A blank: code 32 or less, the no-break space, or a narrow space (U+202F, U+2009,
// U+2007).
bool IsBlank(char32_t c);
// A dash: the non-breaking hyphen (code 30, or U+2011), the en dash or the em dash.
bool IsDash(char32_t c);
// The optional hyphen: code 31, or the Unicode soft hyphen U+00AD.
bool IsOptionalHyphen(char32_t c);
std::string RemoveOptionalHyphens(const std::string& text);

std::string TrimBlanks(const std::string& text);
std::string NormalizeText(const std::string& text);
std::string StripSeparators(const std::string& text);
std::string PatternToText(const std::string& pattern);
std::string ReplaceText(const std::string& text, const std::string& search,
                        const std::string& replacement);
std::string DecimalSeparator();
// Text from outside (another program's output) fit for one line on a terminal: every
// control character, C0, DEL or C1, becomes "?".
std::string WithoutControlCharacters(const std::string& text);

// The number rules behind the cell readers, from a trimmed cell text ("<error>" for a
// cell that cannot be read): -1 for an unreadable number, 0 for an empty text.
double TextNumber(const std::string& cellText, const std::string& decimalSeparator);
std::int16_t TextInteger(const std::string& cellText);
std::int32_t TextLong(const std::string& cellText);

// A general numeric test, as for a number typed by a person: optional blanks and sign,
// digits with at most one decimal point. Gives the value, or nothing.
std::optional<double> ReadNumeric(const std::string& text);

// Equal when compared without regard to letter case (Unicode case folding, so Cyrillic
// letters too).
bool EqualIgnoringCase(const std::string& a, const std::string& b);

// Upper case by the Unicode rules, so Cyrillic letters too.
std::string ToUpper(const std::string& text);

// UTF-8 <-> UTF-32, for rules that work character by character.
std::u32string ToUtf32(const std::string& text);
std::string ToUtf8(const std::u32string& text);

inline const std::string kErrorText = "<error>";

}  // namespace kv::word
