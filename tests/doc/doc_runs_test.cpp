// The golden runs on .doc documents and with LibreOffice around (tests/runs-doc).
#include "support/golden_run.h"

namespace kv::testing {
namespace {

class GoldenRun : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRun, MatchesItsGoldenFile) {
  CheckGoldenRun(GetParam());
}

INSTANTIATE_TEST_SUITE_P(DocRuns, GoldenRun, ::testing::ValuesIn(CaseNames("runs-doc")),
                         CaseTestName);

}  // namespace
}  // namespace kv::testing
