// The package reader and the document model under libFuzzer: bytes → package → document
// → every line and cell → shading → the package written back to memory and read again.
// An input that starts like a zip file is the package itself; anything else is taken as
// the main document's XML, wrapped in a package here so the XML path is reached past the
// zip checksums. A document that cannot be read must fail with WordError; anything else
// (a crash, another exception, a leak, a sanitizer report) is a finding.
#include <zip.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "docx/document.h"
#include "docx/editing.h"
#include "word/word_application.h"

namespace {

using namespace kv::word;

// Smaller caps than a run's keep every input fast.
constexpr docx::PackageLimits kLimits{256, 8u << 20, 2u << 20};

std::string PackageOf(std::string_view documentXml) {
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
  zip_file_add(archive, "word/document.xml",
               zip_source_buffer(archive, documentXml.data(), documentXml.size(), 0), 0);
  zip_close(archive);
  zip_stat_t stat;
  zip_source_stat(buffer, &stat);
  std::string bytes(stat.size, '\0');
  zip_source_open(buffer);
  zip_source_read(buffer, bytes.data(), bytes.size());
  zip_source_close(buffer);
  zip_source_free(buffer);
  return bytes;
}

void Exercise(std::string_view bytes) {
  docx::Document document(docx::Package::FromBytes(bytes, kLimits), kLimits);
  const docx::Story& story = document.story();
  std::size_t characters = 0;
  for (const docx::Line& line : story.lines()) characters += line.text.size();
  for (int id = 1; id <= story.tableCount(); ++id) {
    for (const docx::RowModel& row : story.table(id).rows) {
      for (const docx::CellModel& cell : row.cells) {
        if (!docx::IsMergeContinuation(document.names(), cell.node)) {
          docx::ShadeCell(document.names(), cell.node, "FF0000");
        }
      }
    }
  }
  if (pugi::xml_node settings = document.Settings()) {
    docx::SetZoomSetting(document.settingsNames(), settings, 65);
  }
  // What the engine wrote it must read back, with the same lines.
  const docx::Document again(docx::Package::FromBytes(document.Bytes(), kLimits), kLimits);
  std::size_t charactersAgain = 0;
  for (const docx::Line& line : again.story().lines()) charactersAgain += line.text.size();
  if (again.story().lines().size() != story.lines().size() || charactersAgain != characters) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    Exercise(bytes.starts_with("PK") ? bytes : PackageOf(bytes));
  } catch (const WordError&) {
  }
  return 0;
}
