// The findings of a run on the terminal, one a line, the way compilers report them.
#pragma once

#include <ostream>
#include <string>

#include "report/json_report.h"

namespace kv::run {

// "FILE: error: TEXT" for every error, then "FILE: warning: TEXT" and "FILE: info: TEXT",
// each list in its order; with colour the file name is bold and the kind coloured.
void PrintFindings(std::ostream& out, const std::string& file, const report::RunReport& report,
                   bool colour);

// Colour only on a terminal, and never when NO_COLOR is set to something.
bool ColourWanted(bool terminal);

}  // namespace kv::run
