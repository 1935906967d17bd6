// Word 97-2003 documents of other word processors, converted through LibreOffice.
#include <gtest/gtest.h>

#include "support/corpus.h"

namespace kv::word {
namespace {

TEST(DocCorpus, RealDocDocumentsOpenOrFailCleanly) {
  if (testing::CorpusFolder().empty()) GTEST_SKIP() << "no corpus";
  EXPECT_GT(testing::OpenEveryCorpusFile(".doc", {.ConversionTimeLimit = std::chrono::seconds(60)}),
            0);
}

}  // namespace
}  // namespace kv::word
