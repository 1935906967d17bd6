#include "support/phase_run.h"

#include <zip.h>

#include <map>
#include <memory>
#include <pugixml.hpp>
#include <stdexcept>

#include "docx/application.h"
#include "text/catalogue.h"

namespace kv::testing {
namespace {

pugi::xml_node Nth(pugi::xml_node parent, const char* name, int n) {
  for (auto child : parent.children(name)) {
    if (--n == 0) return child;
  }
  return {};
}

}  // namespace

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

std::vector<std::string> PhaseRun::Errors() const {
  return MessageLines(ctx.Messages.ErrorList);
}
std::vector<std::string> PhaseRun::Warnings() const {
  return MessageLines(ctx.Messages.WarningList);
}
std::vector<std::string> PhaseRun::Info() const {
  return MessageLines(ctx.Messages.InfoList);
}
Marks PhaseRun::MarkedCells(int tableOffset) const {
  Marks marks;
  for (const auto& m : ctx.Document.MarkedCells) {
    marks.emplace_back(m.table - tableOffset, m.row, m.column, m.colour);
  }
  return marks;
}
std::string PhaseRun::LogText() const {
  return ReadFileBytes(dir / "kv.log");
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
  auto tables = xml.select_nodes("//w:tbl");
  if (table < 1 || static_cast<size_t>(table) > tables.size()) return "";
  auto cell = Nth(Nth(tables[table - 1].node(), "w:tr", row), "w:tc", column);
  return cell.child("w:tcPr").child("w:shd").attribute("w:fill").value();
}

}  // namespace kv::testing
