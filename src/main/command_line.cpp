#include "main/command_line.h"

#include <CLI/CLI.hpp>
#include <istream>

#include "ui/scripted_frontend.h"
#include "ui/terminal_frontend.h"

namespace kv::run {
namespace {

// The dialogs of one front end with the grant question answered by another.
class RunFrontend : public ui::Frontend {
 public:
  // asker null: the dialogs ask the question themselves.
  RunFrontend(std::unique_ptr<ui::Frontend> dialogs, std::unique_ptr<ui::Frontend> asker)
      : dialogs_(std::move(dialogs)), asker_(std::move(asker)) {}

  std::string ChooseOpenFile(const std::string& initialFolder, const std::string& initialFile,
                             const std::string& filter, const std::string& defaultExtension,
                             const std::string& title) override {
    return dialogs_->ChooseOpenFile(initialFolder, initialFile, filter, defaultExtension, title);
  }
  void MessageBox(const std::string& text, const std::string& title, ui::Icon icon) override {
    dialogs_->MessageBox(text, title, icon);
  }
  bool AskYesNo(const std::string& prompt, const std::string& title) override {
    return (asker_ ? *asker_ : *dialogs_).AskYesNo(prompt, title);
  }

 private:
  std::unique_ptr<ui::Frontend> dialogs_;
  std::unique_ptr<ui::Frontend> asker_;
};

std::unique_ptr<ui::Frontend> FixedAnswer(bool answer) {
  return std::make_unique<ui::ScriptedFrontend>("", answer);
}

}  // namespace

std::variant<CommandLine, int> ParseCommandLine(int argc, const char* const* argv,
                                                std::ostream& out, std::ostream& err) {
  CommandLine options;
  std::string grant;
  CLI::App app{
      "kv: checks a project work plan (.doc or .docx) and lists its findings in a "
      "-validated copy and kv.log"};
  app.set_version_flag("--version", std::string("kv ") + KV_VERSION);
  app.add_flag("--json", options.json, "print one JSON object per document on stdout, one a line");
  app.add_option("--pdg", grant, "answer to \"Is this a Project Development Grant?\"")
      ->check(CLI::IsMember({"yes", "no"}));
  app.add_flag("--quiet", options.quiet, "print nothing but kv's own failures on stderr");
  app.add_option("--jobs", options.jobs, "validate N documents at once")->check(CLI::Range(1, 64));
  app.add_option("FILE", options.documents,
                 "work plans, or folders of them; without one a file chooser asks");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : kUsageExitStatus;
  }
  if (!grant.empty()) options.grantAnswer = grant == "yes";
  return options;
}

std::unique_ptr<ui::Frontend> ChooseFrontend(const CommandLine& options,
                                             const Surroundings& surroundings, std::istream& in,
                                             std::ostream& err) {
  std::unique_ptr<ui::Frontend> asker;
  if (options.grantAnswer) asker = FixedAnswer(*options.grantAnswer);

  if (!options.file.empty()) {
    if (!asker && surroundings.interactiveInput)
      asker = std::make_unique<ui::TerminalFrontend>(in, err);
    if (!asker) asker = FixedAnswer(false);
    return std::make_unique<RunFrontend>(
        std::make_unique<ui::ScriptedFrontend>(options.file, false, &err), std::move(asker));
  }
  if (surroundings.display && surroundings.desktopDialogs) {
    if (auto dialogs = surroundings.desktopDialogs())
      return std::make_unique<RunFrontend>(std::move(dialogs), std::move(asker));
  }
  if (!asker && !surroundings.interactiveInput) asker = FixedAnswer(false);
  return std::make_unique<RunFrontend>(std::make_unique<ui::TerminalFrontend>(in, err),
                                       std::move(asker));
}

}  // namespace kv::run
