// Test cases kept as data: tests/cases/NAME.tsv holds one case a line, its fields separated
// by tabs; blank lines and lines starting with '#' are left out. Inside a field \t \n \r \v
// \\ \0, \xHH (a byte) and \uHHHH (a character, written in UTF-8) stand for what they name.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace kv::testing {

struct Case {
  std::string name;  // a test name made of the first two fields, unique in its file
  std::vector<std::string> fields;
  // A field not written (a line cut short) reads as "".
  const std::string& operator[](std::size_t field) const;
};
std::ostream& operator<<(std::ostream& out, const Case& c);

std::vector<Case> ReadCases(const std::string& file);
// A file under tests/ (PATH relative to it) as a list of unescaped tab-separated lines.
std::vector<Case> ReadTable(const std::string& path);
std::string Unescape(const std::string& field);
// The bytes of a file under tests/ (PATH relative to it); throws when it cannot be read.
std::string ReadTestFile(const std::string& path);
// The text catalogue's entries by name ("LblTotal") in one language, for data that names them.
std::map<std::string, std::string> CatalogueByName(bool russian);

}  // namespace kv::testing

// Each line of tests/cases/FILE.tsv becomes its own case of the parameterised SUITE.
#define KV_CASES(SUITE, FILE)                                                            \
  INSTANTIATE_TEST_SUITE_P(, SUITE, ::testing::ValuesIn(::kv::testing::ReadCases(FILE)), \
                           [](const auto& info) { return info.param.name; })
