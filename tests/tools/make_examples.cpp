// Writes the sample work plans of the repository: examples/1234-we.docx (English) and
// examples/1234-wr.docx (Russian), both clean, and examples/1235-we.docx, an English plan
// with a few mistakes that shows what kv reports. Usage: kv_make_examples [FOLDER]
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "support/work_plan_builder.h"

namespace {

// A schedule whose first person-days total disagrees with its quarters and whose
// last person-days row has a quarter of 2.25 days: errors with green cells, and a
// warning with a yellow cell.
kv::testing::WorkPlanDocument FlawedPlan() {
  kv::testing::WorkPlan plan;
  plan.projectNumber = "1235";
  auto document = kv::testing::BuildWorkPlan(plan);
  auto& rows = document.TableOf("HeadingII7");
  std::vector<std::size_t> personDays;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r][0] == "Person*days") personDays.push_back(r);
  }
  const std::size_t total = rows[0].size() - 1;
  rows[personDays.front()][total] = std::to_string(std::stoi(rows[personDays.front()][total]) + 10);
  rows[personDays.back()][1] = "2.25";
  return document;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(KV_SOURCE_DIR) / "examples";
  try {
    std::filesystem::create_directories(folder);
    for (bool russian : {false, true}) {
      kv::testing::WorkPlan plan;
      plan.russian = russian;
      const auto path = folder / (plan.projectNumber + (russian ? "-wr.docx" : "-we.docx"));
      kv::testing::BuildWorkPlan(plan).Save(path.string());
      std::cout << path.string() << "\n";
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
