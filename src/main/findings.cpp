#include "main/findings.h"

#include <cstdlib>
#include <vector>

namespace kv::run {
namespace {

constexpr char kBold[] = "\033[1m", kReset[] = "\033[m";

struct Kind {
  const char* label;
  const char* colour;
  const std::vector<std::string> report::RunReport::*list;
};

constexpr Kind kKinds[] = {{"error", "\033[1;31m", &report::RunReport::errors},
                           {"warning", "\033[1;35m", &report::RunReport::warnings},
                           {"info", "\033[1;36m", &report::RunReport::info}};

}  // namespace

void PrintFindings(std::ostream& out, const std::string& file, const report::RunReport& report,
                   bool colour) {
  for (const Kind& kind : kKinds) {
    for (const std::string& text : report.*kind.list) {
      if (colour) {
        out << kBold << file << ":" << kReset << " " << kind.colour << kind.label << ":" << kReset
            << " " << text << "\n";
      } else {
        out << file << ": " << kind.label << ": " << text << "\n";
      }
    }
  }
  out.flush();
}

bool ColourWanted(bool terminal) {
  const char* noColour = std::getenv("NO_COLOR");
  return terminal && (noColour == nullptr || *noColour == '\0');
}

}  // namespace kv::run
