// The heading sequence of a work plan: Part I and Part II with their numbered sections,
// found by forward searches only, and the three facts read on the way (the participant
// count, the project duration, the kind of project).
#include "validate/structure.h"

#include <cmath>
#include <exception>
#include <optional>

#include "word/text_rules.h"

namespace kv::validate {
namespace {

const std::string kGrantQuestion = "Is this a Project Development Grant?";
const std::string kGrantQuestionTitle = "Duration<9 months";

// The word processor of the session; without one every operation fails.
word::WordApplication& App(RunContext& ctx) {
  if (!ctx.Document.WordApp) throw word::WordError("no document is open");
  return *ctx.Document.WordApp;
}

// A forward search from the end of the current selection: every heading must follow the
// one found before it. A failed search leaves the selection where it was.
bool SearchHeading(RunContext& ctx, const std::string& pattern) {
  return word::FindText(ctx.Document, false, pattern);
}

void ShowBox(RunContext& ctx, const std::string& text) {
  ctx.Frontend.MessageBox(text, "", ui::Icon::Exclamation);
}

// Moves the insertion point to the start of the next line; false on the last line of
// the document, where the word processor does not move.
bool MoveToNextLine(RunContext& ctx) {
  auto& app = App(ctx);
  app.Collapse(word::wdCollapseStart);
  const long before = app.Start();
  app.GoToNext(word::wdGoToLine);
  return app.Start() != before;
}

bool InTable(RunContext& ctx) {
  return App(ctx).Information(word::wdWithInTable) != 0;
}

// Letter case does not matter in participant labels, Cyrillic letters included.
bool SameLabel(const std::string& line, const std::string& label) {
  return word::EqualIgnoringCase(line, label);
}

// A heading line that holds more than its heading: one box, then four errors.
void ReportIncorrectHeading(RunContext& ctx, const std::string& line, const std::string& expected) {
  const auto& cat = ctx.TextCatalogue;
  ShowBox(ctx, cat.MsgIncorrectHeading + "\n" + line + "\n" + cat.MsgExpected + "\n" + expected);
  ctx.AddError(cat.MsgIncorrectHeading);
  ctx.AddError(line);
  ctx.AddError(cat.MsgExpected);
  ctx.AddError(expected);
}

class HeadingSequence {
 public:
  explicit HeadingSequence(RunContext& ctx) : ctx_(ctx), cat_(ctx.TextCatalogue) {}

  bool Check() {
    if (!word::FindText(ctx_.Document, true, cat_.HeadingI)) {
      return AbandonForMissingPart(cat_.HeadingI);
    }
    for (const auto* heading :
         {&cat_.HeadingI1, &cat_.HeadingI2, &cat_.HeadingI3, &cat_.HeadingI31}) {
      RequireSection(*heading);
    }
    CountParticipants();
    App(ctx_).Collapse(word::wdCollapseStart);
    RequireSection(cat_.HeadingI4);
    CheckPartners();
    App(ctx_).Collapse(word::wdCollapseStart);
    if (RequireSection(cat_.HeadingI5)) ReadProjectDuration();
    RequireSection(cat_.HeadingI6);
    if (!SearchHeading(ctx_, cat_.HeadingII) && !SearchHeading(ctx_, cat_.HeadingIIAlt)) {
      return AbandonForMissingPart(cat_.HeadingII);
    }
    for (const auto* heading : {&cat_.HeadingII1, &cat_.HeadingII2, &cat_.HeadingII4,
                                &cat_.HeadingII5, &cat_.HeadingII6}) {
      RequireSection(*heading);
    }
    if (failed_) ctx_.AddError(cat_.MsgIncorrectSequence);
    return !failed_;
  }

 private:
  bool AbandonForMissingPart(const std::string& heading) {
    ctx_.AddError(cat_.MsgMissingPart + word::PatternToText(heading));
    ctx_.AddError(cat_.MsgIncorrectSequence);
    return false;
  }

  bool RequireSection(const std::string& heading) {
    if (SearchHeading(ctx_, heading)) return true;
    failed_ = true;
    ctx_.AddError(cat_.MsgSectionMissing + word::PatternToText(heading));
    return false;
  }

  void FailSection(const std::string& heading) {
    failed_ = true;
    ctx_.AddError(cat_.MsgErrorInSection + word::PatternToText(heading));
  }

  // Section 3.2 lists "Participant Institution n", each followed by its table.
  void CountParticipants() {
    if (!SearchHeading(ctx_, cat_.HeadingI32)) {
      ctx_.SetParticipantCount(0);
      return;
    }
    App(ctx_).GoToNext(word::wdGoToLine);
    std::int16_t before = 0;
    do {
      before = ctx_.ParticipantCount;
      if (!ParticipantEntry(ctx_)) {
        FailSection(cat_.HeadingI32);
        return;
      }
    } while (ctx_.ParticipantCount > before);
  }

  // Section 4.2 is optional.
  void CheckPartners() {
    if (SearchHeading(ctx_, cat_.HeadingI42) && !PartnersCheck(ctx_)) {
      FailSection(cat_.HeadingI42);
    }
  }

  // The first non-empty line after the heading "5. Project Duration" starts with the
  // number of months, at most two characters before the first space.
  void ReadProjectDuration() {
    const std::string expected = word::PatternToText(cat_.HeadingI5);
    const std::string heading = word::CurrentLineText(ctx_.Document);
    if (heading != expected) {
      ReportIncorrectHeading(ctx_, heading, expected);
      return;
    }
    const auto line = DurationLine();
    if (!line) {
      failed_ = true;
      ctx_.AddError(cat_.MsgDurationNotFound);
      return;
    }
    const std::u32string chars = word::ToUtf32(*line);
    const auto space = chars.find(U' ');
    if (space == std::u32string::npos || space > 2) {
      failed_ = true;
      ctx_.AddError(cat_.MsgDurationIncorrect + *line);
      return;
    }
    const std::string number = word::ToUtf8(chars.substr(0, space));
    // A negative count of months is no duration; the quarters and years would be too.
    const auto months = word::ReadNumeric(number);
    if (!months || *months < 0) {
      failed_ = true;
      ctx_.AddError(cat_.MsgDurationIncorrect + number);
      return;
    }
    SetProjectDuration(static_cast<std::int16_t>(std::nearbyint(*months)));
  }

  // The line below the heading, passing over empty lines; nothing at the end of the
  // document or when a table comes first.
  std::optional<std::string> DurationLine() {
    if (!MoveToNextLine(ctx_)) return std::nullopt;
    std::string line = word::CurrentLineText(ctx_.Document);
    while (line.empty()) {
      if (!MoveToNextLine(ctx_) || InTable(ctx_)) return std::nullopt;
      line = word::CurrentLineText(ctx_.Document);
    }
    return line;
  }

  void SetProjectDuration(std::int16_t months) {
    ctx_.ProjectDurationMonths = months;
    ctx_.ProjectDurationQuarters = static_cast<std::int16_t>(std::floor((months + 2) / 3.0));
    ctx_.ProjectDurationYears =
        static_cast<std::int16_t>(std::floor((ctx_.ProjectDurationQuarters + 3) / 4.0));
    if (months <= 9 && !ctx_.SpecialSeries &&
        ctx_.Frontend.AskYesNo(kGrantQuestion, kGrantQuestionTitle)) {
      ctx_.ProjectType = "2";
    }
  }

  RunContext& ctx_;
  const text::TextCatalogue& cat_;
  bool failed_ = false;
};

bool CheckParticipantEntry(RunContext& ctx) {
  const auto& cat = ctx.TextCatalogue;
  const std::string label =
      cat.LblParticipantInstitution + std::to_string(ctx.ParticipantCount + 1);
  std::string line = word::CurrentLineText(ctx.Document);
  while (line.empty()) {
    if (!MoveToNextLine(ctx)) return true;  // the list ends with the document
    if (InTable(ctx)) {
      ShowBox(ctx, cat.MsgTableWithoutHeader + label);
      ctx.AddError(cat.MsgTableWithoutHeader + label);
      return false;
    }
    line = word::CurrentLineText(ctx.Document);
  }
  if (!SameLabel(line, label)) return true;  // the list has ended

  // The entry's table follows its label, with nothing but empty lines between.
  while (MoveToNextLine(ctx)) {
    if (InTable(ctx)) {
      auto& app = App(ctx);
      app.Expand(word::wdTable);
      ctx.Document.CurrentTable = app.Tables1();
      word::LeaveTable(ctx.Document);
      ctx.SetParticipantCount(ctx.ParticipantCount + 1);
      return true;
    }
    const std::string text = word::CurrentLineText(ctx.Document);
    if (!text.empty()) {
      ShowBox(ctx, cat.MsgTextInsteadOfTable + text + "\n" + label);
      ctx.AddError(cat.MsgTextInsteadOfTable + text);
      ctx.AddError(label);
      return false;
    }
  }
  return false;  // the document ended before the table
}

bool CheckPartnersSection(RunContext& ctx) {
  const std::string expected = word::PatternToText(ctx.TextCatalogue.HeadingI42);
  const std::string heading = word::CurrentLineText(ctx.Document);
  if (heading != expected) {
    ReportIncorrectHeading(ctx, heading, expected);
    return false;
  }
  // The first non-empty line below the heading; the end of the document counts as text.
  bool tableFollows = false;
  while (MoveToNextLine(ctx)) {
    if (!word::CurrentLineText(ctx.Document).empty()) {
      tableFollows = InTable(ctx);
      break;
    }
  }
  if (tableFollows) {
    ctx.ProjectType = "4";
  } else if (ctx.ProjectType != "2" && ctx.ProjectType != "s") {
    ctx.ProjectType = "";
  }
  return true;
}

}  // namespace

bool StructureCheck(RunContext& ctx) {
  try {
    return HeadingSequence(ctx).Check();
  } catch (const std::exception&) {
    ctx.AddError(ctx.TextCatalogue.MsgIncorrectSequence);
    return false;
  }
}

bool ParticipantEntry(RunContext& ctx) {
  try {
    return CheckParticipantEntry(ctx);
  } catch (const std::exception&) {
    return false;
  }
}

bool PartnersCheck(RunContext& ctx) {
  try {
    return CheckPartnersSection(ctx);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace kv::validate
