// The chooser's filter text: description and pattern pairs separated by "|", as
// "MS Word document|*.doc;*.docx". Patterns of one pair are separated by ";".
#pragma once

#include <string>
#include <vector>

namespace kv::ui {

struct FilterPair {
  std::string description;
  std::vector<std::string> patterns;
};

// The pairs of a filter; blanks around every "|" and ";" are dropped. A filter without
// "|" is one description with no pattern.
std::vector<FilterPair> ParseFilter(const std::string& filter);

// The pair in the form dialogs show: "MS Word document (*.doc *.docx)".
std::string DisplayFilter(const FilterPair& pair);

}  // namespace kv::ui
