// WordprocessingML names and small tree edits shared by the engine, plus the UTF-8
// helpers the engine counts characters with (positions are code points).
#pragma once

#include <pugixml.hpp>

#include <span>
#include <string>
#include <string_view>

namespace kv::word::docx {

// The prefixes a part binds to the WordprocessingML and markup-compatibility
// namespaces; names are compared by local name under those prefixes.
class WordNames {
 public:
  explicit WordNames(pugi::xml_node root);
  // Local name of a WordprocessingML element, or "" for any other element.
  std::string_view Local(pugi::xml_node node) const { return LocalUnder(node, word_); }
  // Local name of a markup-compatibility element (AlternateContent, Choice, Fallback).
  std::string_view CompatLocal(pugi::xml_node node) const { return LocalUnder(node, compat_); }
  // Qualified name for a new element or attribute, e.g. Qualified("shd") -> "w:shd".
  std::string Qualified(std::string_view local) const { return word_ + std::string(local); }
  pugi::xml_node Child(pugi::xml_node parent, std::string_view local) const;
  pugi::xml_attribute Attribute(pugi::xml_node node, std::string_view local) const;

 private:
  static std::string_view LocalUnder(pugi::xml_node node, const std::string& prefix);
  std::string word_;    // "w:" as a rule, "" for a default namespace
  std::string compat_;  // "mc:" as a rule
};

// The child `local` of `parent`, created in schema order when missing: `order` lists
// the local names of the parent's children in the order the schema requires.
pugi::xml_node ChildInOrder(const WordNames& names, pugi::xml_node parent, std::string_view local,
                            std::span<const std::string_view> order);

// The properties element (rPr, pPr, tcPr) that must be the first child of `parent`.
pugi::xml_node FirstChildProperties(const WordNames& names, pugi::xml_node parent,
                                    std::string_view local);

// Guards the recursive walks of the tree against documents nested deep enough to
// exhaust the stack; throws WordError past the limit.
class NestingGuard {
 public:
  explicit NestingGuard(int& depth);
  ~NestingGuard() { --depth_; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

 private:
  int& depth_;
};

// UTF-8 helpers. Invalid bytes count as one character each.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
int CountCodePoints(std::string_view text);
// The bytes of code points [from, from + count) of `text`.
std::string_view SubstringByCodePoints(std::string_view text, int from, int count);

}  // namespace kv::word::docx
