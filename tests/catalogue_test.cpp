#include "text/catalogue.h"

#include <gtest/gtest.h>

#include "report/run_log.h"

namespace kv::text {
namespace {

TextCatalogue Filled(bool russian) {
  report::RunLog closedLog;
  TextCatalogue catalogue;
  InitTextCatalogue(catalogue, russian, closedLog);
  return catalogue;
}

// Entries whose texts look wrong but are the ones documents and users know.
TEST(TextCatalogue, FillsTheLanguageOfTheDocumentWithTheTextsAsTheyStand) {
  const struct {
    std::string TextCatalogue::*entry;
    std::string english, russian;
  } cases[] = {
      {&TextCatalogue::HeadingIIAlt, "II.^wDetailed^wProject^wInformation",
       "II.^wПодробная^wИнформация^wпо^wПроекту"},
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
  const TextCatalogue english = Filled(false), russian = Filled(true);
  for (const auto& c : cases) {
    EXPECT_EQ(english.*c.entry, c.english);
    EXPECT_EQ(russian.*c.entry, c.russian);
  }
  DialogTexts texts;
  InitDialogTexts(texts);
  EXPECT_EQ(texts.KeywordNone[0], "none");
  EXPECT_EQ(texts.KeywordNone[1], "нет");
}

}  // namespace
}  // namespace kv::text
