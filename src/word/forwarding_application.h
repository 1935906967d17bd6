// A word processor that passes every operation on to another one. A wrapper derives from
// it and overrides only the operations it adds to: the .doc conversion around the .docx
// engine, or a test's failing or watching operation.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "word/word_application.h"

namespace kv::word {

class ForwardingApplication : public WordApplication {
 public:
  explicit ForwardingApplication(std::unique_ptr<WordApplication> inner)
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
  TableId Tables1() const override { return inner_->Tables1(); }

  bool FindExecute(const std::string& findText, const FindOptions& options) override {
    return inner_->FindExecute(findText, options);
  }

  int RowsCount(TableId table) const override { return inner_->RowsCount(table); }
  int ColumnsCount(TableId table) const override { return inner_->ColumnsCount(table); }
  std::string CellRangeText(TableId table, int row, int column) const override {
    return inner_->CellRangeText(table, row, column);
  }
  void CellSelect(TableId table, int row, int column) override {
    inner_->CellSelect(table, row, column);
  }
  void RowsSelect(TableId table, int index) override { inner_->RowsSelect(table, index); }

  void SetCellsShadingTexture(int texture) override { inner_->SetCellsShadingTexture(texture); }
  void SetCellsShadingBackgroundPatternColorIndex(int colorIndex) override {
    inner_->SetCellsShadingBackgroundPatternColorIndex(colorIndex);
  }

  void SetLanguageID(int languageId) override { inner_->SetLanguageID(languageId); }
  void SetStyle(int style) override { inner_->SetStyle(style); }
  void TypeText(const std::string& text) override { inner_->TypeText(text); }
  void TypeParagraph() override { inner_->TypeParagraph(); }

 private:
  std::unique_ptr<WordApplication> inner_;
};

}  // namespace kv::word
