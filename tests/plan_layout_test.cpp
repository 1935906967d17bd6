// The samples and the plans the tests build read like real work plans in a word
// processor: headings in heading styles, bordered tables that fit their pages.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "docx/package.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

struct Layout {
  std::vector<std::string> headings;  // texts of the paragraphs in heading styles, in order
  std::vector<std::string> faults;    // tables too wide, without borders or header row
};

Layout ReadLayout(const std::string& path) {
  const auto package = word::docx::Package::Read(path);
  pugi::xml_document xml;
  EXPECT_TRUE(xml.load_string(package.Find("word/document.xml")->data.c_str()));
  Layout layout;
  std::vector<pugi::xml_node> tables;  // of the section being read
  int number = 0;                      // of the table in the document
  const auto endSection = [&](pugi::xml_node section) {
    const auto margins = section.child("w:pgMar");
    const int text = section.child("w:pgSz").attribute("w:w").as_int() -
                     margins.attribute("w:left").as_int() - margins.attribute("w:right").as_int();
    for (pugi::xml_node table : tables) {
      const std::string name = "table " + std::to_string(++number);
      int width = 0;
      for (auto column : table.child("w:tblGrid").children("w:gridCol")) {
        width += column.attribute("w:w").as_int();
      }
      if (width > text) layout.faults.push_back(name + " wider than " + std::to_string(text));
      int borders = 0;
      for (auto border : table.child("w:tblPr").child("w:tblBorders").children()) {
        borders += border.attribute("w:val").value() == std::string("single");
      }
      if (borders != 6) layout.faults.push_back(name + " without single borders all round");
      if (!table.child("w:tr").child("w:trPr").child("w:tblHeader")) {
        layout.faults.push_back(name + " without header row");
      }
    }
    tables.clear();
  };
  for (pugi::xml_node block : xml.child("w:document").child("w:body").children()) {
    if (block.name() == std::string("w:tbl")) tables.push_back(block);
    if (block.name() == std::string("w:sectPr")) endSection(block);
    const auto properties = block.child("w:pPr");
    if (properties.child("w:sectPr")) endSection(properties.child("w:sectPr"));
    if (std::string(properties.child("w:pStyle").attribute("w:val").value())
            .starts_with("Heading")) {
      std::string text;
      for (auto t : block.select_nodes(".//w:t")) text += t.node().text().get();
      layout.headings.push_back(text);
    }
  }
  return layout;
}

TEST(PlanLayoutTest, SamplesAndBuiltPlansHaveHeadingStylesAndBorderedTablesThatFit) {
  TempDir dir;
  std::vector<std::pair<std::string, WorkPlanDocument>> plans = {
      {"english", BuildWorkPlan()},
      {"russian", BuildWorkPlan({.russian = true})},
      {"short", BuildWorkPlan({.participants = 0, .months = 3})},
      {"long", BuildWorkPlan({.participants = 16, .months = 60, .partnersTable = true})},
      {"personnel", PlanWithPersonnelMistakes()}};
  for (const auto& [name, plan] : plans) plan.Save(dir / (name + ".docx"));
  const std::string examples = std::string(KV_SOURCE_DIR) + "/examples/";
  for (const auto& [path, russian] : {std::pair{examples + "1234-we.docx", false},
                                      {examples + "1234-wr.docx", true},
                                      {examples + "1235-we.docx", false}}) {
    plans.emplace_back(path, BuildWorkPlan({.russian = russian}));
  }
  for (const auto& [name, plan] : plans) {
    const Layout layout = ReadLayout(name.starts_with("/") ? name : dir / (name + ".docx"));
    std::vector<std::string> headings;
    for (const auto& section : plan.sections) {
      if (!section.heading.empty()) headings.push_back(section.heading);
    }
    EXPECT_EQ(layout.headings, headings) << name;
    EXPECT_EQ(layout.faults, std::vector<std::string>{}) << name;
  }
}

}  // namespace
}  // namespace kv::testing
