// The bilingual catalogue: every text the checks compare with the document or compose
// findings from, held once as (name, English, Russian) so the languages cannot drift.
// Search patterns use "^w" for any run of white space.
#pragma once

#include <string>

namespace kv::report {
class RunLog;
}

namespace kv::text {

// clang-format off
#define KV_TEXT_CATALOGUE(X) \
  X(BoxErrorTitle, "Error", "Ошибка") \
  X(BoxCannotOpen, "File cannot be opened", "Невозможно открыть файл") \
  X(BoxNoErrors, "No errors", "Ошибок не обнаружено") \
  X(BoxNoWarnings, "No warnings", "Предупреждений нет") \
  X(BoxValidationCompleted, "Validation completed", "Проверка завершена") \
  X(BoxErrorsListedIn, "Errors listed in file ", "Список ошибок в файле ") \
  X(BoxWarningsListedIn, "Warnings listed in file ", "Список предупреждений в файле ") \
  X(BoxCannotProcess, "File cannot be processed", "Сбой в работе") \
  X(BoxUnknownError, "Unknown Error", "Неизвестная ошибка") \
  X(SummaryErrorsHeading, "Errors: ", "Ошибки: ") \
  X(SummaryWarningsHeading, "Warnings:", "Предупреждения:") \
  X(SummaryInfoHeading, "Information:", "Примите к сведению:") \
  X(HeadingI, "I.^wSummary^wProject^wInformation", "I.^wСводная^wИнформация^wпо^wПроекту") \
  X(HeadingI1, "1.^wProject^wTitle", "1.^wНазвание^wпроекта") \
  X(HeadingI2, "2.^wProject Manager", "2.^wРуководитель^wпроекта") \
  X(HeadingI3, "3.^wParticipating^wInstitutions", "3.^wИнституты-Участники") \
  X(HeadingI31, "3.1.^wLeading^wInstitution", "3.1.^wГоловной^wИнститут") \
  X(HeadingI32, "3.2.^wOther^wParticipating^wInstitutions", "3.2.^wДругие^wИнституты-Участники") \
  X(HeadingI4, "4.^wForeign^wCollaborators/Partners", "4.^wЗарубежные^wКоллабораторы/Партнеры") \
  X(HeadingI42, "4.2.^wPartners", "4.2.^wПартнеры") \
  X(HeadingI5, "5.^wProject^wDuration", "5.^wПродолжительность^wпроекта") \
  X(HeadingI6, "6.^wProject^wLocation^wand^wEquipment", "6.^wМесто осуществления^wпроекта^wи^wоборудование") \
  X(HeadingII, "II.^wSpecific^wInformation", "II.^wПодробная^wИнформация^wпо^wПроекту") \
  X(HeadingIIAlt, "II.^wDetailed^wProject^wInformation", "II.^wПодробная^wИнформация^wпо^wПроекту") \
  X(HeadingII1, "1.^wIntroduction^wand^wOverview", "1.^wВведение^wи^wобзор") \
  X(HeadingII2, "2.^wExpected^wResults^wand^wTheir^wApplication", "2.^wОжидаемые^wрезультаты^wи^wих^wприменение") \
  X(HeadingII4, "4.^wScope^wof^wActivities", "4.^wОбъем^wдеятельности") \
  X(HeadingII5, "5.^wRole^wof^wForeign^wCollaborators/Partners", "5.^wРоль^wзарубежных^wКоллабораторов/Партнеров") \
  X(HeadingII6, "6.^wTechnical^wApproach^wand^wMethodology", "6.^wТехнический^wподход^wи^wметодология") \
  X(HeadingII7, "7.^wTechnical^wSchedule", "7.^wТехнический^wкалендарный^wплан") \
  X(HeadingII8, "8.^wPersonnel^wCommitments", "8.^wУчастие^wперсонала") \
  X(HeadingII81, "8.1.^wIndividual^wparticipants", "8.1.^wИндивидуальные^wучастники") \
  X(HeadingII9, "9.^wFinancial^wInformation", "9.^wФинансовая^wинформация") \
  X(HeadingII10, "10.^wEquipment^wand^wMaterials^wSummary", "10.^wМатериалы^wи^wоборудование") \
  X(HeadingII101, "10.1.^wEquipment^wSummary", "10.1.^wПотребности^wв^wоборудовании") \
  X(HeadingII102, "10.2.^wMaterials^wSummary", "10.2.^wПотребности^wв^wматериалах") \
  X(HeadingII103, "10.3.^wSingle^wEquipment/Materials^wItems", "10.3.^wОборудование^wи^wматериалы,^wтребующие^wособого^wрассмотрения") \
  X(HeadingII104, "10.4.^wOther^wDirect^wCosts^wSummary", "10.4.^wПрочие^wпрямые^wрасходы") \
  X(TitleTable1, "TABLE^w1", "ТАБЛИЦА^w1") \
  X(TitleRecipientBudget, "Estimated^wAggregated^wExpenditures^wby^wRecipient", "Полная^wсметная^wстоимость^wпроекта") \
  X(TitleLeadingBudget, "Estimated^wAggregated^wExpenditures^wby^wLeading^wInstitution", "Смета^wплановых^wзатрат^wГоловного^wИнститута") \
  X(TitleParticipantBudget, "Estimated^wAggregated^wExpenditures^wby^wParticipant^wInstitution^w", "Смета^wплановых^wзатрат^wИнститута-Участника^w") \
  X(TitleTable2, "TABLE 2", "ТАБЛИЦА 2") \
  X(TitleTable21, "TABLE 2-1", "ТАБЛИЦА 2-1") \
  X(TitleEquipmentSummary, "EQUIPMENT SUMMARY", "СПИСОК ОБОРУДОВАНИЯ") \
  X(TitleTable3, "TABLE 3", "ТАБЛИЦА 3") \
  X(TitleTable31, "TABLE 3-1", "ТАБЛИЦА 3-1") \
  X(TitleMaterialSummary, "MATERIAL SUMMARY", "СПИСОК МАТЕРИАЛОВ") \
  X(TitleMaterialsSummary, "MATERIALS SUMMARY", "СПИСОК МАТЕРИАЛОВ") \
  X(TitleProjectAgreement, "for Project Agreement #", "Проект #") \
  X(TitleSingleItem, "DATA FOR A SINGLE EQUIPMENT/MATERIALS ITEM", "ДАННЫЕ ОБ ЕДИНИЦЕ ЗАКУПАЕМОГО ОБОРУДОВАНИЯ/МАТЕРИАЛОВ") \
  X(TitleTable4, "TABLE 4", "ТАБЛИЦА 4") \
  X(TitleTable41, "TABLE 4-1", "ТАБЛИЦА 4-1") \
  X(TitleOdcSummary, "OTHER DIRECT COSTS SUMMARY", "ПРОЧИЕ ПРЯМЫЕ РАСХОДЫ") \
  X(LblLeadingInstitution, "Leading Institution", "Головной Институт") \
  X(LblParticipantInstitution, "Participant Institution ", "Институт-Участник ") \
  X(LblRecipient, "Recipient", "Все институты") \
  X(LblTask, "Task ", "Задача ") \
  X(LblSubtask, "Subtask ", "Подзадача ") \
  X(LblPersonDays, "Person*days", "Трудозатраты (чел.*дн.)") \
  X(LblTotal, "TOTAL", "ИТОГО") \
  X(LblCategoryI, "category i (weapon scientific and technical personnel)", "категория i (оружейные ученые и специалисты)") \
  X(LblCategoryII, "category ii (other scientific and technical personnel)", "категория ii (другие ученые и специалисты)") \
  X(LblCategoryIII, "category iii (participant personnel)", "категория iii (вспомогательный персонал)") \
  X(LblCategoryIIIAlt, "category iii (supporting personnel)", "категория iii (вспомогательный персонал)") \
  X(LblCategoryIV, "category iv (personnel, who will spend less than 22 days per year on the project)", "категория iv (персонал с долей участия менее 10%)") \
  X(LblCategoryIVAlt, "category iv (personnel, who will work less than 10% of project duration)", "категория iv (персонал, затрачивающий менее 22 дней в год на работы по проекту)") \
  X(LblEstimatedTotalCost, "Estimated TOTAL COST:", "Общая оценочная стоимость:") \
  X(LblSubtotal, "Subtotal:", "Оценочная стоимость:") \
  X(ChkEquipInKindOn, "To be provided in kind [ X ]", "Оборудование, предоставляемое Центром натурой [ X ]") \
  X(ChkEquipPurchasedOff, "To be purchased by recipient [ ]", "Оборудование, закупаемое Исполнителем [ ]") \
  X(ChkEquipInKindOff, "To be provided in kind [ ]", "Оборудование, предоставляемое Центром натурой [ ]") \
  X(ChkEquipPurchasedOn, "To be purchased by recipient [ X ]", "Оборудование, закупаемое Исполнителем [ X ]") \
  X(ChkMatInKindOn, "To be provided in kind [ X ]", "Материалы, предоставляемые Центром натурой [ X ]") \
  X(ChkMatPurchasedOff, "To be purchased by recipient [ ]", "Материалы, закупаемые Исполнителем [ ]") \
  X(ChkMatInKindOff, "To be provided in kind [ ]", "Материалы, предоставляемые Центром натурой [ ]") \
  X(ChkMatPurchasedOn, "To be purchased by recipient [ X ]", "Материалы, закупаемые Исполнителем [ X ]") \
  X(ChkOdcInKindOn, "To be provided in kind [ X ]", "Оплачивается Центром [ X ]") \
  X(ChkOdcPurchasedOff, "To be purchased by recipient [ ]", "Оплачивается Исполнителем [ ]") \
  X(ChkOdcInKindOff, "To be provided in kind [ ]", "Оплачивается Центром [ ]") \
  X(ChkOdcPurchasedOn, "To be purchased by recipient [ X ]", "Оплачивается Исполнителем [ X ]") \
  X(CatGrantsI, "Category I grants", "гранты по категории I") \
  X(CatGrantsII, "Category II grants", "гранты по категории II") \
  X(CatGrantsIII, "Category III grants", "гранты по категории III") \
  X(CatGrantsIV, "Category IV grants", "гранты по категории IV") \
  X(CatCapitalEquipment, "Capital equipment", "Основное оборудование") \
  X(CatNonCapitalEquipment, "Non-capital equipment", "Неосновное оборудование") \
  X(CatMaterials, "Materials", "Материалы") \
  X(CatBankFees, "Bank fees", "Банковские сборы") \
  X(CatTechnologicalEnergy, "Technological energy", "Технологическая энергия") \
  X(CatCommunications, "Communications", "Услуги связи") \
  X(CatSubcontracts, "Subcontracts", "Субконтракты/Семинары") \
  X(CatLogistics, "Logistics", "Логистика/таможенные расходы") \
  X(CatOtherDirectCosts, "Other direct costs", "Прочие прямые расходы - Прочие") \
  X(CatCisTravel, "CIS travel", "Внутренние командировки") \
  X(CatNonCisTravel, "Non-CIS travel", "Командировки за пределами СНГ") \
  X(MsgErrorInSection, "Error in Section ", "Ошибка в секции ") \
  X(MsgIncorrectSequence, "Incorrect section sequence. No further validation done.", "Неправильная последовательность разделов. Проверка прервана.") \
  X(MsgMissingPart, "Missing Part ", "Отсутствует часть ") \
  X(MsgSectionMissing, "Section missing : ", "Отсутствует раздел: ") \
  X(MsgDurationNotFound, "Project duration not found", "Не найдена продолжительность проекта") \
  X(MsgDurationIncorrect, "Project duration incorrect: ", "Неправильная продолжительность проекта: ") \
  X(MsgTableWithoutHeader, "Table without header: ", "Таблица без заголовка: ") \
  X(MsgTextInsteadOfTable, "Unexpected text instead of table: ", "Текст вместо таблицы: ") \
  X(MsgIncorrectHeading, "Incorrect heading:", "Неправильное название раздела:") \
  X(MsgExpected, "Expected:", "Ожидается:") \
  X(MsgUnknownErrorPrefix, "Unknown error: ", "Неизвестная ошибка: ") \
  X(MsgSubsectionMissing, "Subsection missing : ", "Отсутствует подраздел: ") \
  X(MsgTableMissing, "Table missing : ", "Не найдена таблица: ") \
  X(MsgNoTablesInSubsection, "No tables in subsection: ", "Подраздел пуст: ") \
  X(MsgTableContainsErrors, "Table contains errors: ", "Ошибки в таблице: ") \
  X(MsgBadTextInCells, "Unrecognizable or misplaced text in cells", "Некорректный текст в ячейках") \
  X(MsgBadValuesInCells, "Incorrect values in cells", "Неправильные значения в ячейках") \
  X(MsgBadColumnCount, "Invalid number of columns: ", "Неправильное число колонок: ") \
  X(MsgBadRowCount, "Invalid number of rows: ", "Неправильное число строк: ") \
  X(MsgLastRowNotTotals, ": The last row is not totals.", ": Последняя строка не ИТОГО.") \
  X(MsgNoPersonnelTables, "No personnel tables for ", "Не найдена таблица персонала: ") \
  X(MsgCategoryInfix, ", category ", ", категория ") \
  X(MsgTableNumberMissing, "Table number missing : ", "Отсутстует номер таблицы: ") \
  X(MsgTableHeaderMissing, "Table header missing : ", "Отсутствует заголовок таблицы: ") \
  X(MsgQuartersExceedYear, "1+2 quarters greater than year 1 values: ", "Сумма 1+2 кварталов больше, чем значение за 1 год: ") \
  X(MsgErrorsInTableHeader, "Errors in table header: ", "Ошибки в заголовке таблицы: ") \
  X(MsgBadRowFormat, "Unrecognizable format in row ", "Неправильный формат строки ") \
  X(MsgBadInstituteReference, "Illegal inst reference in row ", "Некорректное указание института в строке ") \
  X(MsgRowWithoutInstitute, "Data row for no institute: ", "Строка данных для неизвестного института: ") \
  X(MsgTotalNotDivisible, "Total expenses cannot be distributed over quarters indicated for item ", "Полная сумма расходов не делится на число кварталов, строка ") \
  X(MsgTotalBeforeEnd, "Total before the end of the table: ", "Общая оценочная стоимость указана раньше конца таблицы: ") \
  X(MsgTooFewSingleItemTables, "Too few single item tables", "Не хватает таблиц оборудования/материалов, требующих особого рассмотрения") \
  X(MsgTooManySingleItemTables, "Too many single item tables", "Лишние таблицы оборудования/материалов, требующих особого рассмотрения") \
  X(MsgNoCategory, "No category ", "Отсутствует категория ") \
  X(MsgPersonnelInfix, " personnel: ", " в списке персонала: ") \
  X(MsgNoEquipmentSubsection, "No equipment subsection (possibly misspelled subsection header)", "Нет спецификации оборудования (возможно ошибка в заголовке подраздела)") \
  X(MsgNoEquipmentInKind, "No equipment provided in kind (possibly misspelled table name)", "Нет оборудования, предоставляемого натурой (возможно ошибка в заголовке таблицы)") \
  X(MsgNoEquipmentPurchased, "No equipment purchased by recipient (possibly misspelled table name)", "Нет оборудования, закупаемого Исполнителем (возможно ошибка в заголовке таблицы)") \
  X(MsgNoMaterialsSubsection, "No materials subsection (possibly incorrect misspelled header)", "Нет спецификации материалов (возможно ошибка в заголовке подраздела)") \
  X(MsgNoMaterialsInKind, "No materials provided in kind (possibly misspelled table name)", "Нет материалов, предоставляемых натурой (возможно ошибка в заголовке таблицы)") \
  X(MsgNoMaterialsPurchased, "No materials purchased by recipient (possibly misspelled table name)", "Нет материалов, закупаемых Исполнителем (возможно ошибка в заголовке таблицы)") \
  X(MsgNoOdcSubsection, "No ODC subsection (possibly misspelled subsection header)", "Нет спецификации прочих прямых расходов (возможно ошибка в заголовке таблицы)") \
  X(MsgNoOdcInKind, "No ODC provided in kind (possibly misspelled table name)", "Нет прочих прямых расходов КЕЛМ (возможно ошибка в заголовке подраздела)") \
  X(MsgNoOdcPurchased, "No ODC purchased by recipient (possibly misspelled table name)", "Нет прочих прямых расходов Исполнителя (возможно ошибка в заголовке таблицы)") \
  X(MsgSubtotalWithoutDays, "Technical schedule: subtotal row without total person-days: ", "Технический календарный план: нет полного числа человеко-дней для подзадачи, строка ") \
  X(MsgInstituteNameExpected, " - institute name expected", " - ожидалось название института") \
  X(MsgManDaysDiffer, "Total man-days in Personnel Commitments different from the total in Technical Schedule", "Полные трудозатраты в списке персонала отличаются от указанных в Техническом календарном плане") \
  X(MsgGrantsCategoryPrefix, "Category ", "Гранты по категории ") \
  X(MsgGrantsForInfix, " grants for ", ", ") \
  X(MsgInTable1, " in Table 1", " - значение в Таблице 1") \
  X(MsgDifferFromPersonnel, " differ from the value in Personnel Commitments", " не совпадает с данными в списке персонала") \
  X(MsgInstituteSumDiffers, "Sum over institutes differs from the value in Table 1 - Year ", "Сумма по институтам отличается от значения в Таблице 1 - год ") \
  X(MsgExpendituresDiffer, " expenditures differ from the value in Table 1", " отличаются от данных Таблицы 1") \
  X(MsgCapitalEquipmentDiffers, " capital equipment sum differs from the value in Table 1", " - расходы на капитальное оборудование отличаются от данных Таблицы 1") \
  X(MsgQuarters12, ": quarters 1&2", ": кварталы 1&2") \
  X(MsgYearInfix, ": year ", ": год ") \
  X(MsgEquipmentSuffix, " equipment", " - расходы на оборудование") \
  X(MsgMaterialsSuffix, " materials", " - расходы на материалы") \
  X(MsgOdcSuffix, " - 5.", " - прочие прямые расходы по категории 5.") \
  X(MsgMisspelledHeader104, " (possibly misspelled table header in subsection 10.4)", " (возможно неправильный заголовок таблицы в подразделе 10.4)") \
  X(MsgOverheadPrefix, "Total overhead value ", "Таблица 1") \
  X(MsgOverheadBelow3, "is below the 3% limit", " - накладные расходы меньше 3%") \
  X(MsgOverheadAbove10, "exceeds 10%", " - накладные расходыe больше 10%") \
  X(MsgOverheadForPrefix, "Overhead value for ", "")
// clang-format on

struct TextCatalogue {
#define KV_DECLARE_ENTRY(name, english, russian) std::string name;
  KV_TEXT_CATALOGUE(KV_DECLARE_ENTRY)
#undef KV_DECLARE_ENTRY
};

// Logs "Initializing constants..." and fills every entry in the document's language.
void InitTextCatalogue(TextCatalogue& catalogue, bool russian, report::RunLog& log);

// The few texts kept in both languages, indexed by DocLanguage (0 English, 1 Russian).
struct DialogTexts {
  std::string KeywordNone[2];
};
void InitDialogTexts(DialogTexts& texts);

}  // namespace kv::text
