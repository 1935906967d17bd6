#include "convert/soffice.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <thread>

#include "convert/soffice_process.h"

extern char** environ;

namespace kv::word {

namespace soffice {

namespace {

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The environment of this process with TMPDIR set to `temporary`.
std::vector<std::string> EnvironmentWithTemp(const fs::path& temporary) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!std::string_view(*entry).starts_with("TMPDIR=")) environment.emplace_back(*entry);
  }
  environment.push_back("TMPDIR=" + temporary.string());
  return environment;
}

std::string WithDetail(std::string reason, const std::string& detail) {
  return detail.empty() ? reason : reason + ": " + detail;
}

}  // namespace

ConversionResult Failure(std::string reason) {
  return {false, "", std::move(reason)};
}

PlannedConversion PlanConversion(const std::string& input, const std::string& targetExtension,
                                 const std::string& outputFolder) {
  std::error_code error;
  PlannedConversion planned;
  planned.source = fs::absolute(input, error);
  if (error || !fs::is_regular_file(planned.source, error)) {
    planned.reason = "cannot convert " + input + ": no such file";
    return planned;
  }
  planned.target =
      fs::absolute(outputFolder, error) / (planned.source.stem().string() + "." + targetExtension);
  if (fs::equivalent(planned.source, planned.target, error)) {
    planned.reason = "cannot convert " + input + " onto itself";
  }
  return planned;
}

std::optional<fs::path> FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::istringstream dirs(path);
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / program;
    std::error_code ignored;
    if (fs::is_regular_file(candidate, ignored) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return std::nullopt;
}

std::string NotFoundReason() {
  return "LibreOffice (soffice) was not found on the PATH";
}

std::string TimedOutReason(std::chrono::seconds timeLimit) {
  return "LibreOffice did not finish within " + std::to_string(timeLimit.count()) +
         " s and was stopped";
}

std::string InterruptedReason() {
  return "the conversion was interrupted";
}

std::string NoOutputReason(const std::string& targetExtension, const std::string& detail) {
  return WithDetail("LibreOffice wrote no " + targetExtension + " file", detail);
}

std::string UnloadableDetail() {
  return "Error: source file could not be loaded";
}

std::string FileUrl(const fs::path& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path.string()) {
    if (std::isalnum(c) || std::strchr("/-._~", c) != nullptr) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

std::string ExportFilter(const std::string& extension) {
  if (extension == "docx") return "MS Word 2007 XML";
  if (extension == "doc") return "MS Word 97";
  return "";
}

WorkFolder::WorkFolder() {
  std::string pattern = (fs::temp_directory_path() / "kv-soffice-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

WorkFolder::~WorkFolder() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

std::string WorkFolder::ProfileArgument() const {
  return "-env:UserInstallation=" + FileUrl(Profile());
}

// As the subreaper of its processes, this process inherits LibreOffice's worker when its
// launcher ends, so the whole group can be reaped.
pid_t Spawn(const fs::path& soffice, const std::vector<std::string>& options,
            const WorkFolder& work) {
  const fs::path temporary = work.path() / "tmp";
  std::error_code ignored;
  fs::create_directory(temporary, ignored);
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, work.LogFile().c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&signals, s);
  posix_spawnattr_setsigdefault(&attributes, &signals);

  std::vector<std::string> argv = {soffice.string()};
  argv.insert(argv.end(), options.begin(), options.end());
  std::vector<char*> args = CStrings(argv);
  std::vector<std::string> environment = EnvironmentWithTemp(temporary);
  pid_t pid = -1;
  const int error =
      posix_spawn(&pid, args[0], &actions, &attributes, args.data(), CStrings(environment).data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    errno = error;
    return -1;
  }
  return pid;
}

bool HasExited(pid_t pid) {
  siginfo_t info{};
  // WNOWAIT keeps the child unreaped, so its group id cannot be reused before killpg.
  const int result = waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT);
  return (result == 0 && info.si_pid == pid) || (result == -1 && errno == ECHILD);
}

int EndGroup(pid_t pid) {
  killpg(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
  }
  while (waitpid(-pid, nullptr, 0) > 0 || errno == EINTR) {
  }
  return status;
}

std::string LastLine(const fs::path& logFile) {
  std::ifstream in(logFile);
  std::string last;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') line.pop_back();
    if (!line.empty()) last = line;
  }
  return last;
}

}  // namespace soffice

namespace {

using namespace soffice;
using Clock = std::chrono::steady_clock;

struct ChildOutcome {
  enum class Kind { Exited, Signalled, TimedOut, Interrupted } kind = Kind::Exited;
  int code = 0;
};

// Waits for the child up to the time limit or an interruption, then ends whatever is left
// of its group (LibreOffice's own worker process included) and reaps the child.
ChildOutcome WaitAndEndGroup(pid_t pid, std::chrono::seconds timeLimit,
                             const std::function<bool()>& interrupted) {
  const auto deadline = Clock::now() + timeLimit;
  bool exited = false, stopped = false;
  while (!exited && !stopped && Clock::now() < deadline) {
    stopped = interrupted && interrupted();
    exited = HasExited(pid);
    if (!exited && !stopped) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const int status = EndGroup(pid);
  if (!exited) return {stopped ? ChildOutcome::Kind::Interrupted : ChildOutcome::Kind::TimedOut, 0};
  if (WIFSIGNALED(status)) return {ChildOutcome::Kind::Signalled, WTERMSIG(status)};
  return {ChildOutcome::Kind::Exited, WEXITSTATUS(status)};
}

}  // namespace

ConversionResult ConvertDocument(const std::string& input, const std::string& targetExtension,
                                 const std::string& outputFolder, std::chrono::seconds timeLimit,
                                 const std::function<bool()>& interrupted) {
  const PlannedConversion planned = PlanConversion(input, targetExtension, outputFolder);
  if (!planned.reason.empty()) return Failure(planned.reason);
  const std::optional<fs::path> soffice = FindOnPath("soffice");
  if (!soffice) return Failure(NotFoundReason());

  WorkFolder work;
  if (!work.ok()) {
    return Failure(std::string("cannot create a folder for LibreOffice: ") + std::strerror(errno));
  }
  std::error_code error;
  fs::remove(planned.target, error);  // a stale file must not pass for this run's output
  const std::string filter = ExportFilter(targetExtension);
  const pid_t pid =
      Spawn(*soffice,
            {"--headless", "--norestore", "--nologo", "--nolockcheck", "--nodefault",
             work.ProfileArgument(), "--convert-to",
             filter.empty() ? targetExtension : targetExtension + ":" + filter, "--outdir",
             planned.target.parent_path().string(), planned.source.string()},
            work);
  if (pid == -1) {
    return Failure(std::string("LibreOffice could not be started: ") + std::strerror(errno));
  }

  const ChildOutcome outcome = WaitAndEndGroup(pid, timeLimit, interrupted);
  const std::string detail = LastLine(work.LogFile());
  switch (outcome.kind) {
    case ChildOutcome::Kind::Interrupted:
      fs::remove(planned.target, error);
      return Failure(InterruptedReason());
    case ChildOutcome::Kind::TimedOut:
      return Failure(TimedOutReason(timeLimit));
    case ChildOutcome::Kind::Signalled:
      return Failure(
          WithDetail("LibreOffice was ended by signal " + std::to_string(outcome.code), detail));
    case ChildOutcome::Kind::Exited:
      if (outcome.code != 0) {
        return Failure(WithDetail(
            "LibreOffice failed with exit status " + std::to_string(outcome.code), detail));
      }
  }
  if (!fs::is_regular_file(planned.target, error) || fs::file_size(planned.target, error) == 0) {
    return Failure(NoOutputReason(targetExtension, detail));
  }
  return {true, planned.target.string(), ""};
}

}  // namespace kv::word
