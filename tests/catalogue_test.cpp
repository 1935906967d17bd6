#include "text/catalogue.h"

#include <gtest/gtest.h>

#include "report/run_log.h"
#include "support/temp_dir.h"

namespace kv::text {
namespace {

TextCatalogue Filled(bool russian) {
  report::RunLog closedLog;
  TextCatalogue catalogue;
  InitTextCatalogue(catalogue, russian, closedLog);
  return catalogue;
}

TEST(TextCatalogue, FillsTheLanguageOfTheDocument) {
  struct Case {
    std::string TextCatalogue::*entry;
    std::string english;
    std::string russian;
  };
  const Case cases[] = {
      {&TextCatalogue::BoxErrorsListedIn, "Errors listed in file ", "Список ошибок в файле "},
      {&TextCatalogue::HeadingI2, "2.^wProject Manager", "2.^wРуководитель^wпроекта"},
      {&TextCatalogue::HeadingII, "II.^wSpecific^wInformation",
       "II.^wПодробная^wИнформация^wпо^wПроекту"},
      {&TextCatalogue::HeadingIIAlt, "II.^wDetailed^wProject^wInformation",
       "II.^wПодробная^wИнформация^wпо^wПроекту"},
      {&TextCatalogue::TitleParticipantBudget,
       "Estimated^wAggregated^wExpenditures^wby^wParticipant^wInstitution^w",
       "Смета^wплановых^wзатрат^wИнститута-Участника^w"},
      {&TextCatalogue::LblCategoryIII, "category iii (participant personnel)",
       "категория iii (вспомогательный персонал)"},
      {&TextCatalogue::LblCategoryIIIAlt, "category iii (supporting personnel)",
       "категория iii (вспомогательный персонал)"},
      {&TextCatalogue::LblCategoryIV,
       "category iv (personnel, who will spend less than 22 days per year on the project)",
       "категория iv (персонал с долей участия менее 10%)"},
      {&TextCatalogue::LblCategoryIVAlt,
       "category iv (personnel, who will work less than 10% of project duration)",
       "категория iv (персонал, затрачивающий менее 22 дней в год на работы по проекту)"},
      {&TextCatalogue::MsgTableNumberMissing,
       "Table number missing : ", "Отсутстует номер таблицы: "},
      {&TextCatalogue::MsgNoMaterialsSubsection,
       "No materials subsection (possibly incorrect misspelled header)",
       "Нет спецификации материалов (возможно ошибка в заголовке подраздела)"},
      {&TextCatalogue::MsgOverheadPrefix, "Total overhead value ", "Таблица 1"},
      {&TextCatalogue::MsgOverheadAbove10, "exceeds 10%", " - накладные расходыe больше 10%"},
      {&TextCatalogue::MsgOverheadForPrefix, "Overhead value for ", ""},
  };
  const TextCatalogue english = Filled(false);
  const TextCatalogue russian = Filled(true);
  for (const auto& c : cases) {
    EXPECT_EQ(english.*c.entry, c.english);
    EXPECT_EQ(russian.*c.entry, c.russian);
  }
}

TEST(TextCatalogue, LogsItsInitialisation) {
  testing::TempDir dir;
  report::RunLog log;
  ASSERT_TRUE(log.OpenLog(dir / "kv.log"));
  TextCatalogue catalogue;
  InitTextCatalogue(catalogue, true, log);
  log.CloseLog();
  EXPECT_EQ(testing::ReadFileBytes(dir / "kv.log"), "Initializing constants...\r\n");
}

TEST(DialogTexts, KeepBothLanguagesOfTheNoneKeyword) {
  DialogTexts texts;
  InitDialogTexts(texts);
  EXPECT_EQ(texts.KeywordNone[0], "none");
  EXPECT_EQ(texts.KeywordNone[1], "нет");
}

}  // namespace
}  // namespace kv::text
