// The Qt dialogs, headless: their texts, icons and buttons, and the answers they give.
#ifdef KV_HAVE_QT

#include "ui/qt/qt_frontend.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "support/temp_dir.h"

namespace kv::ui {
namespace {

const char kFilter[] = "MS Word document|*.doc;*.docx";

class QtFrontendTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }

  // Acts on the next modal dialog as soon as it is shown.
  static void WhenModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(QApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        timer->stop();
        timer->deleteLater();
        act(modal);
      }
    });
    timer->start(10);
  }
  static void WhenModalClick(QMessageBox::StandardButton button) {
    WhenModal(
        [button](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(button)->click(); });
  }

  QtFrontend frontend;
};

TEST_F(QtFrontendTest, MessageBoxesHaveOnlyOkAndTheRunsIcon) {
  const std::pair<Icon, QMessageBox::Icon> cases[] = {{Icon::None, QMessageBox::NoIcon},
                                                      {Icon::Stop, QMessageBox::Critical},
                                                      {Icon::Exclamation, QMessageBox::Warning}};
  for (const auto& [icon, expected] : cases) {
    const auto box = MakeMessageBox("Error\nFile cannot be opened <&>", "DO Ruvaveruz 1.2.4", icon);
    EXPECT_EQ(box->icon(), expected);
    EXPECT_EQ(box->windowTitle(), "DO Ruvaveruz 1.2.4");
    EXPECT_EQ(box->text(), "Error\nFile cannot be opened <&>");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
  }
}

TEST_F(QtFrontendTest, QuestionHasYesAndNoAndAnswersAsClicked) {
  const auto box = MakeQuestionBox("Is this a Project Development Grant?", "Duration<9 months");
  EXPECT_EQ(box->windowTitle(), "Duration<9 months");
  EXPECT_EQ(box->text(), "Is this a Project Development Grant?");
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
  WhenModalClick(QMessageBox::Yes);
  EXPECT_TRUE(frontend.AskYesNo("Is this a Project Development Grant?", "Duration<9 months"));
  WhenModalClick(QMessageBox::No);
  EXPECT_FALSE(frontend.AskYesNo("Is this a Project Development Grant?", "Duration<9 months"));
  QString seen;  // a shown box waits for OK
  WhenModal([&seen](QWidget* modal) {
    auto* shown = qobject_cast<QMessageBox*>(modal);
    seen = shown->text();
    shown->button(QMessageBox::Ok)->click();
  });
  frontend.MessageBox("Validation completed\nNo errors", "DO Ruvaveruz 1.2.4", Icon::None);
  EXPECT_EQ(seen, "Validation completed\nNo errors");
}

TEST_F(QtFrontendTest, ChooserOpensOneExistingWordDocumentOrNothing) {
  testing::TempDir dir;
  const std::string path = dir / "1234-we.docx";
  std::ofstream(path) << "x";
  WhenModal([&](QWidget* modal) {
    auto* chooser = qobject_cast<QFileDialog*>(modal);
    EXPECT_EQ(chooser->windowTitle(), "Validate workplan");
    EXPECT_EQ(chooser->nameFilters(), QStringList{"MS Word document (*.doc *.docx)"});
    EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(chooser->defaultSuffix(), "doc");
    chooser->setDirectory(QString::fromStdString(dir.path().string()));
    chooser->selectFile(QString::fromStdString(path));
    static_cast<QDialog*>(chooser)->accept();  // QFileDialog checks the choice
  });
  EXPECT_EQ(frontend.ChooseOpenFile("", "", kFilter, "doc", "Validate workplan"), path);
  WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(frontend.ChooseOpenFile("", "", kFilter, "doc", "Validate workplan"), "");
}

}  // namespace
}  // namespace kv::ui

#endif  // KV_HAVE_QT
