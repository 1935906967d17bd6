#include "support/phase_run.h"

#include <zip.h>

#include <map>
#include <memory>
#include <pugixml.hpp>
#include <stdexcept>

#include "docx/application.h"
#include "text/catalogue.h"

namespace kv::testing {
Strings MessageLines(const report::msg_handler& list) {
  Strings lines;
  for (int k = 1; k <= list.Count(); ++k)
    lines.push_back(list.Message(static_cast<std::int16_t>(k)));
  return lines;
}

PhaseRun::PhaseRun(bool russian, bool grantAnswer) : frontend("", grantAnswer), ctx(log, frontend) {
  log.OpenLog(dir / "kv.log");
  ctx.DocLanguage = russian;
  ctx.Messages.InitMessageLists(russian);
  text::InitDialogTexts(ctx.DialogTexts);
  text::InitTextCatalogue(ctx.TextCatalogue, russian, log);
  ctx.Document.CreateWordApp = [] { return word::CreateDocxApplication(); };
}

PhaseRun::~PhaseRun() {
  word::CloseDocumentSession(ctx.Document);
}

bool PhaseRun::Open(const WorkPlanDocument& plan) {
  plan.Save(dir / "plan.docx");
  return word::OpenDocumentSession(ctx.Document, dir / "plan.docx");
}

Marks PhaseRun::MarkedCells(int tableOffset) const {
  Marks marks;
  for (const auto& m : ctx.Document.MarkedCells) {
    marks.emplace_back(m.table - tableOffset, m.row, m.column, m.colour);
  }
  return marks;
}

void SetPlanFacts(validate::RunContext& ctx, const WorkPlan& plan) {
  ctx.ProjectNumber = plan.projectNumber;
  ctx.SetParticipantCount(plan.participants);
  ctx.ProjectDurationMonths = static_cast<std::int16_t>(plan.months);
  ctx.ProjectDurationQuarters = static_cast<std::int16_t>(plan.Quarters());
  ctx.ProjectDurationYears = static_cast<std::int16_t>(plan.Years());
}

std::map<std::string, std::string> PackageEntries(const std::string& path) {
  int error = 0;
  std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(path.c_str(), ZIP_RDONLY, &error),
                                                         &zip_discard);
  if (!archive) throw std::runtime_error("cannot open " + path);
  std::map<std::string, std::string> entries;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive.get(), 0); ++i) {
    zip_stat_t stat;
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive.get(), i, 0),
                                                            &zip_fclose);
    std::string& data = entries[zip_get_name(archive.get(), i, 0)];
    if (zip_stat_index(archive.get(), i, 0, &stat) != 0 || !file)
      throw std::runtime_error("unreadable " + path);
    data.resize(stat.size);
    if (zip_fread(file.get(), data.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
      throw std::runtime_error("cannot read " + path);
    }
  }
  return entries;
}

std::string CellFill(const std::string& docxPath, int table, int row, int column) {
  pugi::xml_document xml;
  const std::string document = PackageEntries(docxPath).at("word/document.xml");
  if (!xml.load_buffer(document.data(), document.size())) {
    throw std::runtime_error("unreadable document.xml");
  }
  const std::string cell = "(//w:tbl)[" + std::to_string(table) + "]/w:tr[" + std::to_string(row) +
                           "]/w:tc[" + std::to_string(column) + "]/w:tcPr/w:shd/@w:fill";
  return xml.select_node(cell.c_str()).attribute().value();
}

}  // namespace kv::testing
