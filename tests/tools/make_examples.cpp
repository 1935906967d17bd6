// Writes the sample work plans of the repository: examples/1234-we and examples/1234-wr
// (English and Russian, clean; .docx, and .doc made through LibreOffice) and
// examples/1235-we.docx, an English plan with typical mistakes that shows what kv reports.
// Usage: kv_make_examples [FOLDER]
#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "support/work_plan_builder.h"
#include "convert/soffice.h"

namespace {

using kv::testing::WorkPlan;

// Typical mistakes of several kinds: a schedule whose first person-days total (task 1,
// row 5) disagrees with its quarters and whose last person-days row (task 3, row 10) has
// a quarter of 2.25 days; a daily rate above the norm (participant 1, category II); an
// equipment item bought in a quarter after the project's end; and the leading
// institution's overhead (line 26) well above a tenth of its direct costs.
kv::testing::WorkPlanDocument FlawedPlan() {
  WorkPlan plan;
  plan.projectNumber = "1235";
  plan.personnel.assign(plan.participants + 1, kv::testing::DefaultStaff(false, plan.Years()));
  plan.personnel[1].categories[1][1].rate = 36;
  plan.expenses = {{{.row = 26, .recipient = 1900}}};
  auto document = kv::testing::BuildWorkPlan(plan);
  std::string& taskOneTotal = document.Cell("HeadingII7", 5, plan.Quarters() + 2);
  taskOneTotal = std::to_string(std::stoi(taskOneTotal) + 10);
  document.Cell("HeadingII7", 10, 2) = "2.25";
  document.Cell("HeadingII101", 8, 4) = "1-" + std::to_string(plan.Quarters() + 1);
  return document;
}

// The .doc twin of a sample, made by LibreOffice beside it.
void SaveDocTwin(const std::filesystem::path& docx) {
  const auto converted = kv::word::ConvertDocument(
      docx.string(), "doc", docx.parent_path().string(), std::chrono::seconds(180));
  if (!converted.ok) throw std::runtime_error(docx.string() + ": " + converted.reason);
  std::cout << converted.output << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(KV_SOURCE_DIR) / "examples";
  try {
    std::filesystem::create_directories(folder);
    for (bool russian : {false, true}) {
      WorkPlan plan;
      plan.russian = russian;
      const auto path = folder / (plan.projectNumber + (russian ? "-wr.docx" : "-we.docx"));
      kv::testing::BuildWorkPlan(plan).Save(path.string());
      std::cout << path.string() << "\n";
      SaveDocTwin(path);
    }
    const auto flawed = folder / "1235-we.docx";
    FlawedPlan().Save(flawed.string());
    std::cout << flawed.string() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "kv_make_examples: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
