// The store of validated copies and reports: one private folder per upload inside one
// private folder of the service, each removed after its time and all on shutdown.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace kv::serve {

class Store {
 public:
  using Clock = std::chrono::steady_clock;

  // A fresh folder (0700) in the system's temporary folder; throws when none can be made.
  explicit Store(Clock::duration keep);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // A new random id (128 bits, hex) and its private folder, not yet published.
  std::string Open();
  std::filesystem::path Folder(const std::string& id) const { return root_ / id; }
  // Publishes the upload id: its copy (a file in its folder, "" when none) and report.
  void Publish(const std::string& id, const std::string& copyName, const std::string& report);
  // Removes the folder of an upload that is not published.
  void Discard(const std::string& id);

  // The copy's path and the report's path of a published upload still kept, "" otherwise.
  std::string CopyPath(const std::string& id);
  std::string ReportPath(const std::string& id);

  // Removes what has been kept longer than its time.
  void Expire();
  const std::filesystem::path& Root() const { return root_; }

 private:
  struct Entry {
    Clock::time_point published;
    std::string copyName;
  };
  std::optional<Entry> Find(const std::string& id);

  const Clock::duration keep_;
  std::filesystem::path root_;
  std::mutex mutex_;
  std::map<std::string, Entry> entries_;
};

}  // namespace kv::serve
