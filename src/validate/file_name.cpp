#include "validate/file_name.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string_view>

#include "word/text_rules.h"

namespace kv::validate {

namespace {

struct SeriesPrefix {
  std::u32string_view text;
  bool special;     // CI-, TI-, CSP-: special series without category I and grant norms
  bool typeSingle;  // CI-, CSP-: ProjectType "s"
};

// Tested in this order; the first match wins.
constexpr std::array<SeriesPrefix, 9> kSeriesPrefixes = {{
    {U"A-", false, false},
    {U"B-", false, false},
    {U"G-", false, false},
    {U"K-", false, false},
    {U"T-", false, false},
    {U"KR-", false, false},
    {U"CI-", true, true},
    {U"TI-", true, false},
    {U"CSP-", true, true},
}};

constexpr std::u32string_view kFirstSubNumberDigits = U"123456789";
constexpr std::u32string_view kSecondSubNumberDigits = U"0123456789ABCDEF";

// The letters that decide anything here are ASCII: a name with other letters is refused
// by the numeric and sub-number rules whatever their case.
std::u32string AsciiLower(std::u32string text) {
  for (char32_t& c : text) {
    if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
  }
  return text;
}

std::u32string AsciiUpper(std::u32string text) {
  for (char32_t& c : text) {
    if (c >= U'a' && c <= U'z') c -= U'a' - U'A';
  }
  return text;
}

bool EndsWith(const std::u32string& text, std::u32string_view tail) {
  return text.size() >= tail.size() && AsciiLower(text.substr(text.size() - tail.size())) == tail;
}

// The length of ".doc" or ".docx" at the end of the path, 0 for any other extension.
std::size_t ExtensionLength(const std::u32string& path) {
  if (EndsWith(path, U".doc")) return 4;
  if (EndsWith(path, U".docx")) return 5;
  return 0;
}

void ShowRefusal(RunContext& ctx, const std::string& path, const std::string& reason) {
  ctx.Frontend.MessageBox("Incorrect file name:\n" + path + "\n" + reason, "", ui::Icon::Stop);
}

void RefuseName(RunContext& ctx, const std::string& path) {
  ShowRefusal(ctx, path,
              "File name must be N-we.doc or N-wr.doc, where N stands for the project number");
}

const SeriesPrefix* FindSeriesPrefix(const std::u32string& baseName) {
  for (const SeriesPrefix& prefix : kSeriesPrefixes) {
    if (baseName.starts_with(prefix.text)) return &prefix;
  }
  return nullptr;
}

void ApplySeriesFlags(RunContext& ctx, const SeriesPrefix& prefix) {
  if (!prefix.special) return;
  if (prefix.typeSingle) ctx.ProjectType = "s";
  ctx.SpecialSeries = true;
  ctx.RequireCategoryOne = false;
  ctx.ApplyGrantNorms = false;
}

bool IsSubNumber(const std::u32string& subNumber) {
  if (subNumber.empty() || subNumber.size() > 2) return false;
  if (kFirstSubNumberDigits.find(subNumber[0]) == std::u32string_view::npos) return false;
  return subNumber.size() == 1 ||
         kSecondSubNumberDigits.find(subNumber[1]) != std::u32string_view::npos;
}

enum class Verdict { Accepted, RefusedWithMessage, RefusedSilently };

// Steps after the base name is known: prefix, separator, number and sub-number.
Verdict CheckBaseName(RunContext& ctx, const std::u32string& baseName) {
  const SeriesPrefix* prefix = FindSeriesPrefix(baseName);
  if (prefix != nullptr) ApplySeriesFlags(ctx, *prefix);
  std::u32string rest = baseName.substr(prefix != nullptr ? prefix->text.size() : 0);

  std::size_t separator = rest.find(U'.');
  if (separator == std::u32string::npos) separator = rest.find(U'-');
  const bool hasSeparator = separator != std::u32string::npos;
  std::u32string number = rest;
  if (hasSeparator) {
    // The separator follows 4 characters, or 3 or 4 after a series prefix.
    if (separator != 4 && (separator != 3 || prefix == nullptr)) {
      return Verdict::RefusedWithMessage;
    }
    number = rest.substr(0, separator);
  }

  std::optional<double> value = word::ReadNumeric(word::ToUtf8(number));
  if (!value) return Verdict::RefusedWithMessage;
  if (ctx.SpecialSeries && number.size() != 3) return Verdict::RefusedWithMessage;
  if (prefix != nullptr) {
    // A value beyond the 16-bit range cannot be converted: the name is refused silently.
    if (*value > std::numeric_limits<std::int16_t>::max()) return Verdict::RefusedSilently;
    if (*value >= 2000) return Verdict::RefusedWithMessage;
  }

  ctx.ProjectNumber = word::ToUtf8(baseName);
  if (hasSeparator && !IsSubNumber(rest.substr(separator + 1))) {
    return Verdict::RefusedWithMessage;
  }
  return Verdict::Accepted;
}

bool CheckPath(RunContext& ctx, const std::string& path) {
  const std::u32string chars = word::ToUtf32(path);
  const std::size_t n = chars.size();
  const std::size_t extension = ExtensionLength(chars);

  // The shortest acceptable path has 6 characters before ".doc" (one more for ".docx").
  if (n < 6 + std::max<std::size_t>(extension, 4)) {
    RefuseName(ctx, path);
    return false;
  }
  if (extension == 0) {
    ShowRefusal(ctx, path, "File extension must be .doc");
    return false;
  }
  const std::size_t stem = n - extension;  // characters before the extension
  const std::u32string suffix = AsciiLower(chars.substr(stem - 3, 3));
  if (suffix != U"-we" && suffix != U"-wr") {
    RefuseName(ctx, path);
    return false;
  }

  // The base name starts after the last folder separator before the suffix.
  const std::size_t slash = chars.rfind(U'/', stem - 3);
  const std::size_t start = slash == std::u32string::npos ? 0 : slash + 1;
  const std::u32string baseName = AsciiUpper(chars.substr(start, stem - 3 - start));

  switch (CheckBaseName(ctx, baseName)) {
    case Verdict::Accepted:
      ctx.DocLanguage = suffix == U"-wr";
      return true;
    case Verdict::RefusedWithMessage:
      RefuseName(ctx, path);
      return false;
    case Verdict::RefusedSilently:
      return false;
  }
  return false;
}

}  // namespace

bool CheckFileName(RunContext& ctx, const std::string& path) {
  ctx.DocLanguage = false;
  ctx.ProjectType = "";
  ctx.SpecialSeries = false;
  ctx.RequireCategoryOne = true;
  ctx.ApplyGrantNorms = true;
  try {
    return CheckPath(ctx, path);
  } catch (...) {
    return false;  // an unexpected failure refuses the name without a box
  }
}

std::string ValidatedPathFor(const std::string& selectedPath) {
  // Only the file name changes: a folder named like "plans.doc" must stay as it is, and
  // "-validated" goes before the extension whatever its case, so the copy can never be
  // saved over the chosen file.
  const std::size_t slash = selectedPath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = selectedPath.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = selectedPath.size();
  std::string validated = selectedPath;
  validated.insert(dot, "-validated");
  return validated;
}

}  // namespace kv::validate
