#include "serve/store.h"

#include <sys/random.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace kv::serve {
namespace {

namespace fs = std::filesystem;

constexpr char kReportName[] = "report.html";

std::string RandomId() {
  std::array<unsigned char, 16> bytes{};
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got < 0 && errno != EINTR)
      throw std::system_error(errno, std::generic_category(), "getrandom");
    if (got > 0) filled += static_cast<std::size_t>(got);
  }
  std::string id;
  for (unsigned char byte : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    id += hex;
  }
  return id;
}

bool IsId(const std::string& id) {
  return id.size() == 32 && id.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Written to a temporary name beside it and renamed when complete.
void WriteWhole(const fs::path& path, const std::string& bytes) {
  const fs::path partial = path.string() + ".part";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + partial.string());
  }
  fs::rename(partial, path);
}

}  // namespace

Store::Store(Clock::duration keep) : keep_(keep) {
  std::error_code noTemp;
  fs::path temp = fs::temp_directory_path(noTemp);
  if (noTemp) temp = "/tmp";
  std::string pattern = (temp / "kv-serve-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr)
    throw std::system_error(errno, std::generic_category(),
                            "cannot create the store in " + temp.string());
  root_ = name.data();
}

Store::~Store() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string Store::Open() {
  for (;;) {
    std::string id = RandomId();
    if (mkdir(Folder(id).c_str(), 0700) == 0) return id;
    if (errno != EEXIST)
      throw std::system_error(errno, std::generic_category(),
                              "cannot create a folder in the store");
  }
}

void Store::Publish(const std::string& id, const std::string& copyName, const std::string& report) {
  WriteWhole(Folder(id) / kReportName, report);
  std::lock_guard lock(mutex_);
  entries_[id] = {Clock::now(), copyName};
}

void Store::Discard(const std::string& id) {
  std::error_code ignored;
  fs::remove_all(Folder(id), ignored);
}

std::optional<Store::Entry> Store::Find(const std::string& id) {
  if (!IsId(id)) return std::nullopt;
  std::lock_guard lock(mutex_);
  const auto entry = entries_.find(id);
  if (entry == entries_.end() || Clock::now() - entry->second.published >= keep_)
    return std::nullopt;
  return entry->second;
}

std::string Store::CopyPath(const std::string& id) {
  const auto entry = Find(id);
  return entry && !entry->copyName.empty() ? (Folder(id) / entry->copyName).string() : "";
}

std::string Store::ReportPath(const std::string& id) {
  return Find(id) ? (Folder(id) / kReportName).string() : "";
}

void Store::Expire() {
  std::vector<std::string> expired;
  {
    std::lock_guard lock(mutex_);
    for (auto entry = entries_.begin(); entry != entries_.end();) {
      if (Clock::now() - entry->second.published < keep_) {
        ++entry;
        continue;
      }
      expired.push_back(entry->first);
      entry = entries_.erase(entry);
    }
  }
  for (const auto& id : expired) Discard(id);
}

}  // namespace kv::serve
