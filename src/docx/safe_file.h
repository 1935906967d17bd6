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

}  // namespace kv::word
