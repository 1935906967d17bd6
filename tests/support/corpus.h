// The real documents of other word processors in the shared corpus, for robustness tests.
#pragma once

#include <filesystem>
#include <string>

#include "word/word_processor.h"

namespace kv::testing {

// The corpus folder, or "" when it is not there.
std::filesystem::path CorpusFolder();

// Opens every corpus file with the given extension (".docx", ".doc"): it must either
// open, and then every line and every cell can be read, or fail with a reason. Returns
// how many opened.
int OpenEveryCorpusFile(const std::string& extension, const word::EngineOptions& options = {});

}  // namespace kv::testing
