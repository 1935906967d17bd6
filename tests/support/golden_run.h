// Whole runs of kv as data: every tests/FOLDER/NAME (tests/runs; tests/runs-doc, which need
// LibreOffice) says how the folder is made and how kv is started; tests/golden/NAME holds
// what the run left: status, output, every kv.log, the typed findings and shaded cells of
// each new copy, the files. KV_UPDATE_GOLDEN=1 rewrites the golden files instead.
//
// A case is lines "KEY WORDS" ('#' starts a comment): "plan FILE SPEC" writes a plan,
// "before"/"last"/"after" are shell lines run before the files are recorded (exit 77
// skips the case), in kv's own shell, and after the comparison; "env NAME=VALUE",
// "args ...", "stdin TEXT", "stdout REDIRECTION"; "signal NAME STAGE N SECONDS" stops kv
// at a conversion stage; "mask REPLACEMENT REGEX" and "omit REGEX" (whole lines) hide what
// varies from run to run. <dir> and <tmp> stand for the run's folders.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv::testing {

// Writes the plan a case's "plan" line describes (after its file name) at `path`.
void SavePlan(const std::string& spec, const std::string& path);

// The cases of tests/FOLDER as "FOLDER/NAME", a test's name for one, and one run and
// compared with its golden file.
std::vector<std::string> CaseNames(const std::string& folder);
std::string CaseTestName(const ::testing::TestParamInfo<std::string>& info);
void CheckGoldenRun(const std::string& name);

}  // namespace kv::testing
