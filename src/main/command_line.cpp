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

// HOST:PORT, the host a name or address (IPv6 in brackets), the port 0 to 65535.
std::string ParseListen(const std::string& listen, ServeOptions& serve) {
  const auto colon = listen.rfind(':');
  if (colon == std::string::npos || colon == 0) return "expected HOST:PORT, got " + listen;
  std::string host = listen.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  const std::string port = listen.substr(colon + 1);
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != port.npos ||
      std::stoi(port) > 65535)
    return "the port of " + listen + " is not a number from 0 to 65535";
  serve.host = host;
  serve.port = std::stoi(port);
  return "";
}

CLI::App* AddServe(CLI::App& app, ServeOptions& serve) {
  auto* command = app.add_subcommand(
      "serve", "validate uploaded work plans over HTTP, with an upload page and HTML reports");
  command->add_option_function<std::string>(
      "--listen",
      [&serve](const std::string& listen) {
        if (const auto problem = ParseListen(listen, serve); !problem.empty())
          throw CLI::ValidationError("--listen", problem);
      },
      "address and port to listen on (default 127.0.0.1:8080; port 0: any free one)");
  command->add_option("--jobs", serve.jobs, "workers, each with its own LibreOffice")
      ->check(CLI::Range(1, 64));
  command->add_option("--queue", serve.queue, "uploads that may wait for a worker")
      ->check(CLI::Range(1, 4096));
  command->add_option("--max-upload-mb", serve.maxUploadMb, "largest upload in MiB")
      ->check(CLI::Range(1, 1024));
  command->add_option("--keep-minutes", serve.keepMinutes, "how long copies and reports are kept")
      ->check(CLI::Range(0.01, 10080.0));
  return command;
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
  ServeOptions serve;
  const auto* serveCommand = AddServe(app, serve);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : kUsageExitStatus;
  }
  if (!grant.empty()) options.grantAnswer = grant == "yes";
  if (*serveCommand) options.serve = serve;
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
