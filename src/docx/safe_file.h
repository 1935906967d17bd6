// Files as kv reads and writes them: a document is read only when it is a regular file,
// and every file kv writes appears complete or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kv::word {

// The bytes of a regular file (a link to one is followed). A FIFO, device or folder is
// refused before it is opened, so reading never hangs; throws WordError with a one-line
// reason, also for a file larger than maxBytes.
std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes);

// Writes the bytes to a new file beside `path`, flushes it to disk and renames it over
// `path`: whatever stood there (a link included) is replaced, never written through, and
// a write that fails leaves no partial file. Throws WordError.
void ReplaceFile(const std::string& path, std::string_view bytes);

// A new file of this process in `folder`, never an existing one nor through a link, under a
// short name whatever the length of the names beside it: ".kvPID-N" and `extension`
// (".tmp"). Gives its name and sets fd, -1 with errno set when it cannot be created.
std::string CreateTemporaryIn(const std::string& folder, const std::string& extension, int& fd);

// A new private folder "PREFIXPID-XXXXXX" in the temporary folder; "" (errno set) when it
// cannot be made.
std::string MakeTemporaryFolder(const std::string& prefix);

// Removes what kv processes that are gone left in `folder`: the entries named PREFIX, a
// process id and "-", when no process of that id is alive.
void RemoveLeftovers(const std::string& folder, const std::string& prefix);

}  // namespace kv::word
