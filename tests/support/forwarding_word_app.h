// A word processor that passes every operation on to another one. Tests derive from it
// and override the one operation they want to fail or to watch.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "word/docx_application.h"
#include "word/word_application.h"

namespace kv::testing {

class ForwardingWordApplication : public word::WordApplication {
 public:
  explicit ForwardingWordApplication(std::unique_ptr<word::WordApplication> inner)
      : inner_(std::move(inner)) {}

  void DocumentsOpen(const std::string& path) override { inner_->DocumentsOpen(path); }
  bool HasActiveDocument() const override { return inner_->HasActiveDocument(); }
  void SaveAs(const std::string& path) override { inner_->SaveAs(path); }
  void Save() override { inner_->Save(); }
  void CloseDocument() override { inner_->CloseDocument(); }
  void Quit() override { inner_->Quit(); }
  void SetVisible(bool visible) override { inner_->SetVisible(visible); }

  int SplitSpecial() const override { return inner_->SplitSpecial(); }
  void SetActivePaneViewType(int type) override { inner_->SetActivePaneViewType(type); }
  void SetViewType(int type) override { inner_->SetViewType(type); }
  void SetZoomPercentage(int percent) override { inner_->SetZoomPercentage(percent); }

  void HomeKey(int unit, int extend) override { inner_->HomeKey(unit, extend); }
  void Expand(int unit) override { inner_->Expand(unit); }
  void Collapse(int direction) override { inner_->Collapse(direction); }
  void GoToNext(int what) override { inner_->GoToNext(what); }
  void GoTo(int what) override { inner_->GoTo(what); }
  void WholeStory() override { inner_->WholeStory(); }

  int Information(int type) const override { return inner_->Information(type); }
  long Start() const override { return inner_->Start(); }
  std::string Text() const override { return inner_->Text(); }
  word::TableId Tables1() const override { return inner_->Tables1(); }

  bool FindExecute(const std::string& findText, const word::FindOptions& options) override {
    return inner_->FindExecute(findText, options);
  }

  int RowsCount(word::TableId table) const override { return inner_->RowsCount(table); }
  int ColumnsCount(word::TableId table) const override { return inner_->ColumnsCount(table); }
  std::string CellRangeText(word::TableId table, int row, int column) const override {
    return inner_->CellRangeText(table, row, column);
  }
  void CellSelect(word::TableId table, int row, int column) override {
    inner_->CellSelect(table, row, column);
  }
  void RowsSelect(word::TableId table, int index) override { inner_->RowsSelect(table, index); }

  void SetCellsShadingTexture(int texture) override { inner_->SetCellsShadingTexture(texture); }
  void SetCellsShadingBackgroundPatternColorIndex(int colorIndex) override {
    inner_->SetCellsShadingBackgroundPatternColorIndex(colorIndex);
  }

  void SetLanguageID(int languageId) override { inner_->SetLanguageID(languageId); }
  void SetStyle(int style) override { inner_->SetStyle(style); }
  void TypeText(const std::string& text) override { inner_->TypeText(text); }
  void TypeParagraph() override { inner_->TypeParagraph(); }

 private:
  std::unique_ptr<word::WordApplication> inner_;
};

// What a document session needs to make an App over kv's own word processor.
template <typename App>
std::function<std::unique_ptr<word::WordApplication>()> OverDocxApplication() {
  return [] { return std::make_unique<App>(word::CreateDocxApplication()); };
}

}  // namespace kv::testing
