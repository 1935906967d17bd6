#include "docx/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "word/word_application.h"

namespace kv::word {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that an error of the close itself is seen; false on error.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

[[noreturn]] void Fail(const std::string& reason) {
  throw WordError(reason);
}

std::string SystemError() {
  return std::strerror(errno);
}

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A new file of our own beside `path` (never an existing one, never through a link).
std::string CreateBeside(const std::string& path, int& fd) {
  const std::filesystem::path target(path);
  for (int attempt = 0;; ++attempt) {
    const std::string name =
        (target.parent_path() / ("." + target.filename().string() + ".kv" +
                                 std::to_string(getpid()) + "-" + std::to_string(attempt)))
            .string();
    fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST || attempt == 100) return name;
  }
}

}  // namespace

std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) Fail("cannot read the file: " + SystemError());
  if (!S_ISREG(info.st_mode)) Fail("not a regular file but " + KindOf(info.st_mode));
  // Should something else have taken the file's place meanwhile, opening it cannot hang.
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) Fail("cannot read the file: " + SystemError());
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) Fail("not a regular file");
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    Fail("the file is larger than " + std::to_string(maxBytes >> 20) + " MiB");
  }
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t size = 0;
  while (size < bytes.size()) {
    const ssize_t got = read(file.get(), bytes.data() + size, bytes.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("cannot read the file: " + SystemError());
    if (got == 0) break;  // shrunk while being read: what is there is what is read
    size += static_cast<std::size_t>(got);
  }
  bytes.resize(size);
  return bytes;
}

void ReplaceFile(const std::string& path, std::string_view bytes) {
  int fd = -1;
  const std::string temporary = CreateBeside(path, fd);
  if (fd < 0) Fail("cannot write " + path + ": " + SystemError());
  FileDescriptor file(fd);
  if (WriteAll(fd, bytes) && fsync(fd) == 0 && file.Close() &&
      rename(temporary.c_str(), path.c_str()) == 0) {
    return;
  }
  const std::string reason = "cannot write " + path + ": " + SystemError();
  unlink(temporary.c_str());
  Fail(reason);
}

}  // namespace kv::word
