#include "text/catalogue.h"

#include "report/run_log.h"

namespace kv::text {

void InitTextCatalogue(TextCatalogue& catalogue, bool russian, report::RunLog& log) {
  log.WriteLog("Initializing constants...");
#define KV_ASSIGN_ENTRY(name, english, russianText) \
  catalogue.name = russian ? russianText : english;
  KV_TEXT_CATALOGUE(KV_ASSIGN_ENTRY)
#undef KV_ASSIGN_ENTRY
}

void InitDialogTexts(DialogTexts& texts) {
  texts.KeywordNone[0] = "none";
  texts.KeywordNone[1] = "нет";
}

}  // namespace kv::text
