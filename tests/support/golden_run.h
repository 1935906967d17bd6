// Whole runs of kv as data: every tests/FOLDER/NAME (tests/runs, or tests/runs-doc for the
// runs that need LibreOffice) says how the folder is made and how kv is started;
// tests/golden/NAME holds what the run left: status, output, every kv.log, the typed
// findings and shaded cells of each new copy, the files. KV_UPDATE_GOLDEN=1 rewrites the
// golden files instead of comparing.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/kv_runner.h"
#include "support/temp_dir.h"

namespace kv::testing {

using Files = std::map<std::string, std::string>;              // relative name: bytes
using Case = std::map<std::string, std::vector<std::string>>;  // key: its lines, in order

// Writes the plan a case's "plan" line describes (after its file name) at `path`.
void SavePlan(const std::string& spec, const std::string& path);

// The cases of tests/FOLDER, each as "FOLDER/NAME", and a test's name for one.
std::set<std::string> CaseNames(const std::string& folder);
std::string CaseTestName(const ::testing::TestParamInfo<std::string>& info);

// One case: TEST_P(GoldenRun, MatchesItsGoldenFile) { Check(); } in the test program that
// instantiates it.
class GoldenRun : public ::testing::TestWithParam<std::string> {
 protected:
  void Check();

 private:
  int Prepare();
  KvRun Run();
  std::string Left(const KvRun& run);
  std::string Filled(const std::string& text) const;
  std::string Lines(const std::string& key);
  std::string Watcher();

  Case c;
  TempDir dir, tmp, written;
  Files before;
};

}  // namespace kv::testing
