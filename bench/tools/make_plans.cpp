// Writes the plans the batch benchmarks run on: FOLDER/doc holds 20 .doc plans
// (2201-we.doc ...), FOLDER/docx 200 .docx plans (3001-we.docx ...); every second plan
// has mistakes in its personnel tables, the others are clean.
#include <chrono>
#include <filesystem>
#include <iostream>

#include "support/work_plan_builder.h"
#include "word/soffice.h"

namespace fs = std::filesystem;
using namespace kv::testing;

namespace {

// Copies of the clean plan and of the plan with mistakes, alternating.
void WritePlans(const fs::path& folder, const fs::path& clean, const fs::path& mistaken,
                int firstNumber, int count, const std::string& extension) {
  fs::create_directories(folder);
  for (int k = 0; k < count; ++k) {
    const auto name = std::to_string(firstNumber + k) + "-we." + extension;
    fs::copy_file(k % 2 == 0 ? clean : mistaken, folder / name,
                  fs::copy_options::overwrite_existing);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kv_bench_plans FOLDER\n";
    return 64;
  }
  const fs::path root = argv[1], sources = root / "sources";
  fs::create_directories(sources);
  BuildWorkPlan().Save(sources / "clean.docx");
  PlanWithPersonnelMistakes().Save(sources / "mistaken.docx");
  for (const char* name : {"clean", "mistaken"}) {
    const auto doc = kv::word::ConvertDocument(sources / (std::string(name) + ".docx"), "doc",
                                               sources.string(), std::chrono::seconds(300));
    if (!doc.ok) {
      std::cerr << "kv_bench_plans: " << doc.reason << "\n";
      return 2;
    }
  }
  WritePlans(root / "doc", sources / "clean.doc", sources / "mistaken.doc", 2201, 20, "doc");
  WritePlans(root / "docx", sources / "clean.docx", sources / "mistaken.docx", 3001, 200, "docx");
  fs::remove_all(sources);
  return 0;
}
