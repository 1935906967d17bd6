// kv's own word processor over .docx packages: the document model, its story and the
// selection, find, shading and typing on it.
#pragma once

#include <memory>

#include "word/word_application.h"

namespace kv::word {

std::unique_ptr<WordApplication> CreateDocxApplication();

}  // namespace kv::word
