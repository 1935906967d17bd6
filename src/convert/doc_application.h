// Word 97-2003 documents around the .docx engine: a .doc is converted by LibreOffice into a
// private .docx that the engine opens, and written back the same way when it is saved as
// .doc after a change.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "convert/converter.h"
#include "word/word_application.h"

namespace kv::word {

// True for a Word 97-2003 document (".doc" in any letter case): it goes through LibreOffice.
bool IsDocPath(const std::string& path);

// Receives a one-line note about the document being opened.
using NoteSink = std::function<void(const std::string&)>;

// `docxEngine` opens and saves .docx packages; the result also opens and saves .doc files
// through `converter`. A file is read as what its content is: a Word 97-2003 or RTF
// document under another name goes through `converter` too (and `note` hears of it), an
// empty file is refused.
std::unique_ptr<WordApplication> WithDocConversion(std::unique_ptr<WordApplication> docxEngine,
                                                   std::shared_ptr<DocumentConverter> converter,
                                                   NoteSink note = {});

}  // namespace kv::word
