// The golden runs on .doc documents and with LibreOffice around (tests/runs-doc).
#include "support/golden_run.h"

namespace kv::testing {
namespace {

TEST_P(GoldenRun, MatchesItsGoldenFile) {
  Check();
}

INSTANTIATE_TEST_SUITE_P(DocRuns, GoldenRun, ::testing::ValuesIn(CaseNames("runs-doc")),
                         CaseTestName);

}  // namespace
}  // namespace kv::testing
