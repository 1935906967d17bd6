// Faults found by reading the checks against their rules, each pinned by the case
// that showed it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/fake_word.h"
#include "support/forwarding_word_app.h"
#include "word/document_access.h"

namespace kv::testing {
namespace {

// The first Text() fails; every later one is read as usual.
struct FirstTextFails : ForwardingWordApplication {
  using ForwardingWordApplication::ForwardingWordApplication;
  std::string Text() const override {
    if (!failed_) {
      failed_ = true;
      throw word::WordError("the line cannot be read");
    }
    return ForwardingWordApplication::Text();
  }
  mutable bool failed_ = false;
};

// The table that holds the selection cannot be selected as a whole.
struct TableCannotBeExpanded : ForwardingWordApplication {
  using ForwardingWordApplication::ForwardingWordApplication;
  void Expand(int unit) override {
    if (unit == word::wdTable) throw word::WordError("the table cannot be selected");
    ForwardingWordApplication::Expand(unit);
  }
};

// A document session over a fake word processor wrapped in App.
template <typename App>
struct Navigation {
  explicit Navigation(void (*build)(FakeWord&), std::size_t line = 0) {
    auto fake = std::make_unique<FakeWord>();
    build(*fake);
    fake->PlaceAtLine(line);
    doc.WordApp = std::make_unique<App>(std::move(fake));
  }
  word::DocumentAccess doc;
};

TEST(ReviewRegression, NextTextLinePassesOverALineThatCannotBeRead) {
  Navigation<FirstTextFails> nav([](FakeWord& w) { w.Line("Caption").Line("lost").Line("Next"); });
  EXPECT_EQ(word::NextTextLine(nav.doc), "Next");
}

TEST(ReviewRegression, NextLineTextReadsOnWhenALineCannotBeRead) {
  Navigation<FirstTextFails> nav([](FakeWord& w) { w.Line("Caption").Line("lost").Line("Next"); });
  EXPECT_EQ(word::NextLineText(nav.doc), "Next");
  EXPECT_FALSE(nav.doc.NextTextInTable);
}

TEST(ReviewRegression, NextLineTextInATableThatCannotBeLeftReadsWhereItStands) {
  Navigation<TableCannotBeExpanded> nav(
      [](FakeWord& w) {
        w.Line("Caption").Table({{"a", "b"}, {"c", "d"}}).Line("After");
      },
      1);
  nav.doc.NextTextInTable = false;
  EXPECT_EQ(word::NextLineText(nav.doc), "a");
  EXPECT_TRUE(nav.doc.NextTextInTable);
}

}  // namespace
}  // namespace kv::testing
