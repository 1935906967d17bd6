// Runs the built kv binary in a working folder and captures what it left behind.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kv::testing {

struct KvRun {
  int status = -1;  // exit status
  std::string out;  // standard output
  std::string err;  // standard error
};

struct KvInvocation {
  std::string workingFolder;
  std::vector<std::string> arguments = {};
  std::vector<std::string> environment = {};  // "NAME=value" entries added to the run's
  std::string input = {};                     // standard input
  std::string before = {};                    // shell commands run first in the working folder
  std::string output = {};                    // a redirection of standard output ("" captures it)
};

// A kv process that runs while the test goes on; Finish waits for it.
class StartedKv {
 public:
  explicit StartedKv(const KvInvocation& invocation);
  StartedKv(const StartedKv&) = delete;
  StartedKv& operator=(const StartedKv&) = delete;
  int pid() const { return pid_; }
  KvRun Finish();

 private:
  TempDir capture_;
  int pid_ = -1;
};

// The binary runs without a display, so without FILE it uses the terminal front end.
KvRun RunKv(const KvInvocation& invocation);

// The lines of kv.log in the working folder; fails the test when a line does not end
// with CR LF.
std::vector<std::string> LogLines(const std::string& workingFolder);

// One part of a .docx package ("word/settings.xml"), "" when it has none; throws when
// the package cannot be read.
std::string ZipEntry(const std::string& path, const std::string& name);

// The processes whose command line names `text` (a zombie has none).
std::vector<pid_t> ProcessesMentioning(const std::string& text);

// Body paragraphs of a .docx, in order, as plain text (tables excluded).
std::vector<std::string> BodyParagraphs(const std::string& docxPath);

}  // namespace kv::testing
