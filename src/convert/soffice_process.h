// What both converters share: the checks before a conversion, the private folder of a
// LibreOffice, starting it in a process group of its own and ending that whole group, and
// the reasons a conversion failed, worded alike whichever converter ran it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "convert/soffice.h"

namespace kv::word::soffice {

namespace fs = std::filesystem;

ConversionResult Failure(std::string reason);

struct PlannedConversion {
  fs::path source, target;  // absolute
  std::string reason;       // why it cannot be made, empty when it can
};
// The document `input` becomes in `outputFolder`, once the input is known to be a file.
PlannedConversion PlanConversion(const std::string& input, const std::string& targetExtension,
                                 const std::string& outputFolder);

std::optional<fs::path> FindOnPath(const std::string& program);
std::string NotFoundReason();
std::string TimedOutReason(std::chrono::seconds timeLimit);
std::string InterruptedReason();
std::string NoOutputReason(const std::string& targetExtension, const std::string& detail);
// What LibreOffice says of a file it cannot load.
std::string UnloadableDetail();

// file:// URL of a local path.
std::string FileUrl(const fs::path& path);
// LibreOffice's export filter for "docx" and "doc"; empty for other formats.
std::string ExportFilter(const std::string& extension);

// A private folder for one LibreOffice: its profile and its console output. Removed with
// everything in it, whatever happened.
class WorkFolder {
 public:
  WorkFolder();
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const fs::path& path() const { return path_; }
  fs::path LogFile() const { return path_ / "soffice.log"; }
  fs::path Profile() const { return path_ / "profile"; }
  // -env:UserInstallation for a profile inside this folder.
  std::string ProfileArgument() const;

 private:
  fs::path path_;
};

// Starts soffice with `options` in a process group of its own, its console output in the
// work folder's log and its temporary files in that folder; -1 (errno set) when it cannot.
pid_t Spawn(const fs::path& soffice, const std::vector<std::string>& options,
            const WorkFolder& work);
// True once the process has ended (it stays unreaped, so its group id is not reused).
bool HasExited(pid_t pid);
// Kills whatever is left of the group led by `pid` and reaps the leader and the group;
// gives the leader's wait status.
int EndGroup(pid_t pid);
// The last non-empty line LibreOffice printed, which names the problem when there is one.
std::string LastLine(const fs::path& logFile);

}  // namespace kv::word::soffice
