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

class QtFrontendTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }

  // Acts on the next modal dialog as soon as it is shown.
  void WhenModal(std::function<void(QWidget*)> act) {
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

  static void Click(QWidget* modal, QMessageBox::StandardButton button) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    box->button(button)->click();
  }

  QtFrontend frontend;
};

TEST(QtDisplay, DisplayThatCannotBeReachedIsToldApartWithoutEndingTheProcess) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  EXPECT_TRUE(QtDisplayReachable());
  const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  setenv("DISPLAY", ":4711", 1);  // no server there
  EXPECT_FALSE(QtDisplayReachable());
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (display.empty()) {
    unsetenv("DISPLAY");
  } else {
    setenv("DISPLAY", display.c_str(), 1);
  }
}

TEST_F(QtFrontendTest, MessageBoxesHaveOnlyOkAndTheRunsIcon) {
  const struct {
    Icon icon;
    QMessageBox::Icon expected;
  } cases[] = {{Icon::None, QMessageBox::NoIcon},
               {Icon::Stop, QMessageBox::Critical},
               {Icon::Exclamation, QMessageBox::Warning}};
  for (const auto& c : cases) {
    const auto box =
        MakeMessageBox("Error\nFile cannot be opened <&>", "DO Ruvaveruz 1.2.4", c.icon);
    EXPECT_EQ(box->icon(), c.expected);
    EXPECT_EQ(box->windowTitle(), "DO Ruvaveruz 1.2.4");
    EXPECT_EQ(box->text(), "Error\nFile cannot be opened <&>");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
  }
}

TEST_F(QtFrontendTest, QuestionHasYesAndNo) {
  const auto box = MakeQuestionBox("Is this a Project Development Grant?", "Duration<9 months");
  EXPECT_EQ(box->windowTitle(), "Duration<9 months");
  EXPECT_EQ(box->text(), "Is this a Project Development Grant?");
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
}

TEST_F(QtFrontendTest, FileDialogOpensOneExistingWordDocument) {
  const auto dialog =
      MakeOpenFileDialog("", "", "MS Word document|*.doc;*.docx", "doc", "Validate workplan");
  EXPECT_EQ(dialog->windowTitle(), "Validate workplan");
  EXPECT_EQ(dialog->nameFilters(), QStringList{"MS Word document (*.doc *.docx)"});
  EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog->defaultSuffix(), "doc");
}

TEST_F(QtFrontendTest, ShownBoxWaitsForOk) {
  QString seen;
  WhenModal([&](QWidget* modal) {
    seen = qobject_cast<QMessageBox*>(modal)->text();
    Click(modal, QMessageBox::Ok);
  });
  frontend.MessageBox("Validation completed\nNo errors\nNo warnings", "DO Ruvaveruz 1.2.4",
                      Icon::None);
  EXPECT_EQ(seen, "Validation completed\nNo errors\nNo warnings");
}

TEST_F(QtFrontendTest, QuestionAnswersAsClicked) {
  WhenModal([](QWidget* modal) { Click(modal, QMessageBox::Yes); });
  EXPECT_TRUE(frontend.AskYesNo("Is this a Project Development Grant?", "Duration<9 months"));
  WhenModal([](QWidget* modal) { Click(modal, QMessageBox::No); });
  EXPECT_FALSE(frontend.AskYesNo("Is this a Project Development Grant?", "Duration<9 months"));
}

TEST_F(QtFrontendTest, ChooserGivesTheChosenPathOrNothing) {
  testing::TempDir dir;
  const std::string path = dir / "1234-we.docx";
  std::ofstream(path) << "x";
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    dialog->setDirectory(QString::fromStdString(dir.path().string()));
    dialog->selectFile(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog checks the choice
  });
  EXPECT_EQ(
      frontend.ChooseOpenFile("", "", "MS Word document|*.doc;*.docx", "doc", "Validate workplan"),
      path);
  WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(
      frontend.ChooseOpenFile("", "", "MS Word document|*.doc;*.docx", "doc", "Validate workplan"),
      "");
}

}  // namespace
}  // namespace kv::ui

#endif  // KV_HAVE_QT
