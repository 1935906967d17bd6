// kv [--json] [--quiet] [--pdg yes|no] [--jobs N] [FILE|FOLDER...]
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "frontend/frontend.h"
#include "main/driver.h"

namespace kv::run {

struct CommandLine {
  bool json = false;
  std::optional<bool> grantAnswer = {};     // --pdg yes|no
  std::string file = {};                    // the document of one run; "" when it is to be chosen
  std::vector<std::string> documents = {};  // FILE|FOLDER arguments as given
  bool quiet = false;                       // nothing on standard error but kv's own failures
  int jobs = 1;                             // documents validated at once
};

inline constexpr int kUsageExitStatus = 64;

// The options, or the exit status when the command line already ends the run (--help,
// --version: 0 after printing to out; wrong usage: 64 after a message on err).
std::variant<CommandLine, int> ParseCommandLine(int argc, const char* const* argv,
                                                std::ostream& out, std::ostream& err);

// What the process has to talk to the user with.
struct Surroundings {
  bool display = false;           // DISPLAY or WAYLAND_DISPLAY is set
  bool interactiveInput = false;  // standard input is a terminal
  // The desktop's dialogs where the program has them and the display takes them, else null.
  std::function<std::unique_ptr<ui::Frontend>()> desktopDialogs = {};
};

// FILE given: boxes are printed on err and the chooser returns FILE. Without FILE: the
// desktop's dialogs on a display, else terminal prompts on in and err. The grant question takes
// --pdg, else is asked where the user can answer, else is No.
std::unique_ptr<ui::Frontend> ChooseFrontend(const CommandLine& options,
                                             const Surroundings& surroundings, std::istream& in,
                                             std::ostream& err);

}  // namespace kv::run
