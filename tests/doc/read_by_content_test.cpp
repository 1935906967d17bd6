// A file is read as what its content is: a Word 97-2003 or RTF plan named .docx goes
// through LibreOffice as a .doc does, and its copy is a real .docx.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "convert/soffice.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(ReadByContent, AWord97OrRtfPlanNamedDocxIsReadAsWhatItIs) {
  for (const auto& [format, kind] :
       {std::pair<std::string, std::string>{"doc", "a Word 97-2003 document"},
        {"rtf", "an RTF document"}}) {
    SCOPED_TRACE(format);
    TempDir dir, scratch;
    BuildWorkPlan({.months = 5}).Save(scratch / "plan.docx");
    const auto converted =
        word::ConvertDocument(scratch / "plan.docx", format, scratch.path().string(), 180s);
    ASSERT_TRUE(converted.ok) << converted.reason;
    const std::string path = dir / "1234-we.docx";
    fs::copy_file(converted.output, path);
    const std::string before = ReadFileBytes(path);

    const KvRun run = RunKv({.workingFolder = dir.path().string(), .arguments = {path}});
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string note =
        "kv: " + path + ": " + kind + ", not a .docx package: read through LibreOffice\n";
    const auto at = run.err.find(note);
    EXPECT_NE(at, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("LibreOffice", at + note.size()), std::string::npos) << "one note";
    const std::string copy = dir / "1234-we-validated.docx";
    EXPECT_EQ(ReadFileBytes(copy).substr(0, 4), "PK\x03\x04") << "a real .docx";
    EXPECT_EQ(BodyParagraphs(copy).at(3), "Project duration below 6 months");
  }
}

}  // namespace
}  // namespace kv::testing
