#include "word/soffice.h"

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
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace kv::word {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

ConversionResult Failure(std::string reason) {
  return {false, "", std::move(reason)};
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

// file:// URL of a local folder, for LibreOffice's -env:UserInstallation.
std::string FileUrl(const fs::path& folder) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : folder.string()) {
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

// The export filter LibreOffice needs for our formats; others by extension alone.
std::string ConvertTarget(const std::string& extension) {
  if (extension == "docx") return "docx:MS Word 2007 XML";
  if (extension == "doc") return "doc:MS Word 97";
  return extension;
}

// A private folder for one run: LibreOffice's profile and its console output. Removed
// with everything in it, whatever happened.
class WorkFolder {
 public:
  WorkFolder() {
    std::string pattern = (fs::temp_directory_path() / "kv-soffice-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~WorkFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

struct ChildOutcome {
  enum class Kind { Exited, Signalled, TimedOut, Interrupted } kind = Kind::Exited;
  int code = 0;
};

// The environment of this process with TMPDIR set to `temporary`.
std::vector<std::string> EnvironmentWithTemp(const fs::path& temporary) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!std::string_view(*entry).starts_with("TMPDIR=")) environment.emplace_back(*entry);
  }
  environment.push_back("TMPDIR=" + temporary.string());
  return environment;
}

// Starts the program in a process group of its own with standard output and error in
// `logFile` and its temporary files in `temporary`; gives -1 when it cannot be started.
// As the subreaper of its processes, this process inherits LibreOffice's worker when its
// launcher ends, so the whole group can be reaped.
pid_t Spawn(std::vector<std::string> argv, const fs::path& logFile, const fs::path& temporary) {
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
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

// Waits for the child up to the time limit or an interruption, then ends whatever is left
// of its group (LibreOffice's own worker process included) and reaps the child.
ChildOutcome WaitAndEndGroup(pid_t pid, std::chrono::seconds timeLimit,
                             const std::function<bool()>& interrupted) {
  const auto deadline = Clock::now() + timeLimit;
  bool exited = false, stopped = false;
  while (!exited && !stopped && Clock::now() < deadline) {
    stopped = interrupted && interrupted();
    siginfo_t info{};
    // WNOWAIT keeps the child unreaped, so its group id cannot be reused before killpg.
    const int result = waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT);
    if (result == 0 && info.si_pid == pid) {
      exited = true;
    } else if (result == -1 && errno == ECHILD) {
      return {ChildOutcome::Kind::Exited, 0};  // reaped elsewhere; its output tells
    } else if (result == 0 && !stopped) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  killpg(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
  }
  while (waitpid(-pid, nullptr, 0) > 0 || errno == EINTR) {
  }
  if (!exited) return {stopped ? ChildOutcome::Kind::Interrupted : ChildOutcome::Kind::TimedOut, 0};
  if (WIFSIGNALED(status)) return {ChildOutcome::Kind::Signalled, WTERMSIG(status)};
  return {ChildOutcome::Kind::Exited, WEXITSTATUS(status)};
}

// The last non-empty line LibreOffice printed, which names the problem when there is one.
std::string LastLine(const fs::path& logFile) {
  std::ifstream in(logFile);
  std::string last;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') line.pop_back();
    if (!line.empty()) last = line;
  }
  return last;
}

std::string WithDetail(std::string reason, const std::string& detail) {
  return detail.empty() ? reason : reason + ": " + detail;
}

}  // namespace

ConversionResult ConvertDocument(const std::string& input, const std::string& targetExtension,
                                 const std::string& outputFolder, std::chrono::seconds timeLimit,
                                 const std::function<bool()>& interrupted) {
  std::error_code error;
  const fs::path source = fs::absolute(input, error);
  if (error || !fs::is_regular_file(source, error)) {
    return Failure("cannot convert " + input + ": no such file");
  }
  const fs::path folder = fs::absolute(outputFolder, error);
  const fs::path target = folder / (source.stem().string() + "." + targetExtension);
  if (fs::equivalent(source, target, error)) {
    return Failure("cannot convert " + input + " onto itself");
  }
  const std::optional<fs::path> soffice = FindOnPath("soffice");
  if (!soffice) return Failure("LibreOffice (soffice) was not found on the PATH");

  WorkFolder work;
  if (!work.ok()) {
    return Failure(std::string("cannot create a folder for LibreOffice: ") + std::strerror(errno));
  }
  fs::remove(target, error);  // a stale file must not pass for this run's output
  const fs::path logFile = work.path() / "soffice.log";
  fs::create_directory(work.path() / "tmp", error);
  const pid_t pid = Spawn(
      {soffice->string(), "--headless", "--norestore", "--nologo", "--nolockcheck", "--nodefault",
       "-env:UserInstallation=" + FileUrl(work.path() / "profile"), "--convert-to",
       ConvertTarget(targetExtension), "--outdir", folder.string(), source.string()},
      logFile, work.path() / "tmp");
  if (pid == -1) {
    return Failure(std::string("LibreOffice could not be started: ") + std::strerror(errno));
  }

  const ChildOutcome outcome = WaitAndEndGroup(pid, timeLimit, interrupted);
  const std::string detail = LastLine(logFile);
  switch (outcome.kind) {
    case ChildOutcome::Kind::Interrupted:
      fs::remove(target, error);
      return Failure("the conversion was interrupted");
    case ChildOutcome::Kind::TimedOut:
      return Failure("LibreOffice did not finish within " + std::to_string(timeLimit.count()) +
                     " s and was stopped");
    case ChildOutcome::Kind::Signalled:
      return Failure(
          WithDetail("LibreOffice was ended by signal " + std::to_string(outcome.code), detail));
    case ChildOutcome::Kind::Exited:
      if (outcome.code != 0) {
        return Failure(WithDetail(
            "LibreOffice failed with exit status " + std::to_string(outcome.code), detail));
      }
  }
  if (!fs::is_regular_file(target, error) || fs::file_size(target, error) == 0) {
    return Failure(WithDetail("LibreOffice wrote no " + targetExtension + " file", detail));
  }
  return {true, target.string(), ""};
}

}  // namespace kv::word
