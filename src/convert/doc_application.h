// Word 97-2003 documents around the .docx engine: a .doc is converted by LibreOffice into a
// private .docx that the engine opens, and written back the same way when it is saved as
// .doc after a change.
#pragma once

#include <memory>
#include <string>

#include "convert/converter.h"
#include "word/word_application.h"

namespace kv::word {

// True for a Word 97-2003 document (".doc" in any letter case): it goes through LibreOffice.
bool IsDocPath(const std::string& path);

// `docxEngine` opens and saves .docx packages; the result also opens and saves .doc files
// through `converter`.
std::unique_ptr<WordApplication> WithDocConversion(std::unique_ptr<WordApplication> docxEngine,
                                                   std::shared_ptr<DocumentConverter> converter);

}  // namespace kv::word
