// The Qt platform's dialogs as the diagram uses them: what they show, and what they answer however
// they are closed.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "desktop_recent_files.h"
#include "qt_platform.h"
#include "ui_robot.h"

namespace {
TEST(QtPlatformTest, FileFiltersMatchBothLetterCasesAndSuffixesDropWildcards) {
  const std::vector<std::pair<std::string, QString>> filters = {
      {"ER Diagram File|*.ERD", "ER Diagram File (*.ERD *.erd)"},
      {"Pictures|*.bmp;*.Png", "Pictures (*.bmp *.BMP *.Png *.png *.PNG)"},
      {"Diagrams|*.ERD|All Files|*.*", "Diagrams (*.ERD *.erd);;All Files (*.*)"},
      {"Dangling description", ""},
  };
  for (const auto& [filter, expected] : filters) EXPECT_EQ(qtFileFilter(filter), expected) << filter;
  const std::vector<std::pair<std::string, QString>> suffixes = {{"*.ERD", "ERD"}, {".bmp", "bmp"}, {"*.*", ""}};
  for (const auto& [ext, expected] : suffixes) EXPECT_EQ(qtDefaultSuffix(ext), expected) << ext;
}

TEST(QtPlatformTest, InputBoxAnswersTheTypedTextOrItsProposalWhenCancelled) {
  for (const bool accept : {true, false}) {
    QtPlatform platform;
    QStringList shown;
    UiRobot robot;
    robot.onModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QInputDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      shown << dialog->windowTitle() << dialog->labelText() << dialog->textValue();
      dialog->findChild<QLineEdit*>()->setText("Orders");
      accept ? dialog->accept() : dialog->reject();
    });
    EXPECT_EQ(platform.InputBox("Create New Page", "Input New Page's Name :", "NewPage1"),
              accept ? "Orders" : "NewPage1");
    EXPECT_TRUE(robot.clean());
    EXPECT_EQ(shown, QStringList({"Create New Page", "Input New Page's Name :", "NewPage1"}));
  }
}

TEST(QtPlatformTest, YesNoBoxIsYesOnlyForYesAndShowsTextAsWritten) {
  const std::vector<std::pair<std::function<void(QMessageBox*)>, bool>> answers = {
      {[](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, true},
      {[](QMessageBox* box) { box->button(QMessageBox::No)->click(); }, false},
      {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, false},
  };
  for (const auto& [answer, expected] : answers) {
    QtPlatform platform;
    QStringList shown;
    UiRobot robot;
    robot.onModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->textFormat(), Qt::PlainText);
      shown << box->text() << box->windowTitle();
      answer(box);
    });
    // A name the user typed may look like markup.
    EXPECT_EQ(platform.AskYesNo("Set \"<b>Bold</b>\"'s EntityType = Form", "Pick"), expected);
    EXPECT_TRUE(robot.clean());
    EXPECT_EQ(shown, QStringList({"Set \"<b>Bold</b>\"'s EntityType = Form", "Pick"}));
  }
}

ChoiceDialog pageChoice(int itemIndex) {
  ChoiceDialog dialog;
  dialog.Caption = "Select DisPlay Page";
  dialog.Width = 420;
  dialog.Height = 115;
  dialog.Label = "New DisPlay Page";
  dialog.LabelLeft = 22;
  dialog.LabelTop = 16;
  dialog.ListLeft = 142;
  dialog.ListTop = 12;
  dialog.ListWidth = 240;
  dialog.Items = {" ", "orders", "Billing"};  // in the caller's order, which the list keeps
  dialog.ItemIndex = itemIndex;
  dialog.CloseLeft = 180;
  dialog.CloseTop = 64;
  return dialog;
}

TEST(QtPlatformTest, ChoiceDialogIsLaidOutAsGiven) {
  QtPlatform platform;
  UiRobot robot;
  robot.onModal([](QWidget* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Select DisPlay Page");
    EXPECT_EQ(dialog->size(), QSize(420, 115));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    auto* label = dialog->findChild<QLabel*>();
    auto* list = dialog->findChild<QComboBox*>();
    auto* close = dialog->findChild<QPushButton*>();
    ASSERT_TRUE(label && list && close);
    EXPECT_EQ(label->text(), "New DisPlay Page");
    EXPECT_EQ(label->pos(), QPoint(22, 16));
    EXPECT_FALSE(list->isEditable());
    EXPECT_EQ(list->geometry().topLeft(), QPoint(142, 12));
    EXPECT_EQ(list->width(), 240);
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    EXPECT_EQ(items, QStringList({" ", "orders", "Billing"}));
    EXPECT_EQ(close->text(), "Close");
    EXPECT_EQ(close->pos(), QPoint(180, 64));
    close->click();
  });
  EXPECT_EQ(platform.Choose(pageChoice(2)), "Billing");
  EXPECT_TRUE(robot.clean());
}

TEST(QtPlatformTest, ChoiceDialogAnswersTheListsTextHoweverItCloses) {
  const auto button = [](QWidget* dialog) { dialog->findChild<QPushButton*>()->click(); };
  const auto escape = [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); };
  const auto titleBar = [](QWidget* dialog) { dialog->close(); };
  struct Case {
    int itemIndex;
    int pick;  // -1: leave the preselection
    std::function<void(QWidget*)> close;
    std::string expected;
    bool onlyByButton = false;  // a choice that destroys: nothing unless the button closes it
  };
  const std::vector<Case> cases = {
      {1, -1, button, "orders"}, {1, 2, escape, "Billing"}, {0, 1, titleBar, "orders"},
      {-1, -1, button, ""},      {7, -1, escape, ""},  // a preselection out of range selects nothing
      {1, -1, button, "orders", true}, {1, 2, escape, "", true}, {1, -1, titleBar, "", true},
  };
  for (const Case& c : cases) {
    QtPlatform platform;
    ChoiceDialog choice = pageChoice(c.itemIndex);
    choice.AnswerOnlyByButton = c.onlyByButton;
    UiRobot robot;
    robot.onModal([&](QWidget* dialog) {
      if (c.pick >= 0) dialog->findChild<QComboBox*>()->setCurrentIndex(c.pick);
      c.close(dialog);
    });
    EXPECT_EQ(platform.Choose(choice), c.expected) << c.itemIndex << " " << c.pick;
    EXPECT_TRUE(robot.clean());
  }
}

// The form shows its worked-out line for what its fields show as they change; only OK answers, with
// what they show then.
TEST(QtPlatformTest, FormShowsItsLineAsItsFieldsChangeAndAnswersOnlyByOk) {
  TFormDialog form;
  form.Caption = "Property Data Type";
  form.Items = {"Varchar", "Integer", "Double"};
  form.ItemIndex = 1;
  form.Numbers = {{"Size", 4, 0, 1000000}, {"Scale", 0, 0, 1000000}};
  form.Result = [](int item, const std::vector<int>& n) {
    return std::to_string(item == 2 ? n[0] + n[1] + 1 : n[0]);
  };
  form.Checks = {{"Primary Key", false}, {"Not Null", true}};
  const auto button = [](QDialogButtonBox::StandardButton which) {
    return [which](QWidget* d) { d->findChild<QDialogButtonBox*>()->button(which)->click(); };
  };
  struct Case {
    std::function<void(QWidget*)> close;
    std::optional<TFormAnswer> answer;
  } cases[] = {{button(QDialogButtonBox::Ok), TFormAnswer{2, {10, 1000000}, {true, true}}},
               {button(QDialogButtonBox::Cancel), std::nullopt},
               {[](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); }, std::nullopt},
               {[](QWidget* d) { d->close(); }, std::nullopt}};
  for (const Case& c : cases) {
    QtPlatform platform;
    QStringList lines;
    UiRobot robot;
    robot.onModal([&](QWidget* dialog) {
      EXPECT_EQ(dialog->windowTitle(), "Property Data Type");
      const auto* result = dialog->findChild<QLabel*>("FormResult");
      lines << result->text();
      dialog->findChild<QComboBox*>("FormList")->setCurrentIndex(2);
      lines << result->text();
      auto* size = dialog->findChild<QSpinBox*>("FormNumber1");
      size->selectAll();
      QTest::keyClicks(size, "10");
      auto* scale = dialog->findChild<QSpinBox*>("FormNumber2");
      EXPECT_EQ(scale->maximum(), 1000000) << "a field takes no number out of its range";
      scale->setValue(1000000);
      lines << result->text();
      auto* key = dialog->findChild<QCheckBox*>("FormCheck1");
      EXPECT_EQ(key->text(), "Primary Key");
      EXPECT_TRUE(dialog->findChild<QCheckBox*>("FormCheck2")->isChecked());
      key->click();
      c.close(dialog);
    });
    EXPECT_EQ(platform.AskForm(form), c.answer);
    EXPECT_EQ(lines, QStringList({"4", "5", "1000011"}));
    EXPECT_TRUE(robot.clean());
  }
}

// A box shows its caption whole in the title bar: it is wider than the caption in a bold title
// font by room for the title bar's buttons; and it shows its prompt whole.
TEST(QtPlatformTest, QuestionsAreWideEnoughForTheirCaptionsAndPrompts) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const QFontMetrics title(font);
  ChoiceDialog addPage = pageChoice(-1);
  addPage.Caption = "Add New DisPlay Page [ A customer of many orders and invoices ]";
  addPage.Width = 320;
  const std::vector<std::pair<QString, std::function<void(QtPlatform&)>>> questions = {
      {"Create New Data Entity", [](QtPlatform& p) { p.InputBox("Create New Data Entity", "Input New Data Entity's Name :", "NewEntity1"); }},
      {"Continue New Property ??", [](QtPlatform& p) { p.AskYesNo("Create New Property", "Continue New Property ??"); }},
      {QString::fromStdString(addPage.Caption), [&](QtPlatform& p) { p.Choose(addPage); }},
  };
  for (const auto& [caption, ask] : questions) {
    QtPlatform platform;
    int width = 0;
    QStringList cut;
    UiRobot robot;
    robot.onModal([&](QWidget* modal) {
      width = modal->width();
      for (const QLabel* label : modal->findChildren<QLabel*>())
        if (!label->text().isEmpty() && label->width() < label->sizeHint().width()) cut << label->text();
      QTest::keyClick(modal, Qt::Key_Escape);
    });
    ask(platform);
    EXPECT_TRUE(robot.clean()) << caption.toStdString();
    EXPECT_GE(width, title.horizontalAdvance(caption) + 100) << caption.toStdString();
    EXPECT_TRUE(cut.isEmpty()) << cut.join(", ").toStdString();
  }
}

TEST(QtPlatformTest, FileDialogsProposeTheFileAndAnswerNothingWhenCancelled) {
  QTemporaryDir folder;
  QFile existing(folder.filePath("plan.erd"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  const std::string base = folder.path().toStdString();
  struct Case {
    bool save;
    std::string fileName;
    bool accept;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {true, base + "/Sales", true, base + "/Sales.ERD"},        // the default suffix is added
      {true, base + "/plan.erd", true, base + "/plan.erd"},      // no question before overwriting
      {true, base + "/Sales", false, std::nullopt},
      {false, base + "/plan.erd", true, base + "/plan.erd"},
      {false, base + "/plan.erd", false, std::nullopt},
  };
  for (const Case& c : cases) {
    QtPlatform platform;
    const FileDialogOptions options{"ER Diagram File|*.ERD", "*.ERD", c.fileName, ""};
    UiRobot robot;
    robot.onModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->nameFilters(), QStringList({"ER Diagram File (*.ERD *.erd)"}));
      EXPECT_EQ(dialog->defaultSuffix(), "ERD");
      EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
      EXPECT_EQ(dialog->acceptMode(), c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      QDialog* asDialog = dialog;  // QFileDialog hides accept(); QDialog's is the public way in
      c.accept ? asDialog->accept() : asDialog->reject();
    });
    const auto answer = c.save ? platform.SaveFileDialog(options) : platform.OpenFileDialog(options);
    EXPECT_TRUE(robot.clean());
    EXPECT_EQ(answer, c.expected) << c.fileName << (c.save ? " saved" : " opened");
  }
  // A dialog of formats: the filter chosen gives a name without one of their extensions its own.
  const std::vector<std::tuple<std::string, int, std::string>> formats = {
      {"page", 2, "page.pdf"}, {"page", 1, "page.svg"}, {"page.BMP", 0, "page.BMP"}};
  for (const auto& [typed, filter, expected] : formats) {
    QtPlatform platform;
    FileDialogOptions options{"PNG Picture|*.png|SVG Drawing|*.svg|PDF Document|*.pdf|Windows BitMap File|*.bmp", "",
                              base + "/" + typed, ""};
    options.SuffixFromFilter = true;
    UiRobot robot;
    robot.onModal([&, filter = filter, typed = typed](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      // The filter first (choosing one gives the name typed so far its extension), then the name typed.
      dialog->selectNameFilter(dialog->nameFilters().value(filter));
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(typed));
      static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(platform.SaveFileDialog(options), base + "/" + expected) << typed << " through filter " << filter;
    EXPECT_TRUE(robot.clean());
  }
}
TEST(DesktopRecentFilesTest, TheDiagramIsAddedOrCountedAndEverythingElseKept) {
  QTemporaryDir dir;
  const QString xbel = dir.filePath(QStringLiteral("recently-used.xbel"));
  const auto write = [&xbel](const QByteArray& bytes) {
    QFile file(xbel);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };
  const auto read = [&xbel] {
    QFile file(xbel);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
  };
  const DesktopRecentFiles desktop(xbel);
  const QString diagram = dir.filePath(QStringLiteral("a b.ERD"));
  EXPECT_FALSE(desktop.tell(diagram)) << "no list of the desktop's: none is made";
  EXPECT_EQ(read(), "(none)");
  for (const QByteArray& damaged : {QByteArray("<xbel><bookmark href='x'>"), QByteArray("<other/>"), QByteArray("&bad;<xbel/>")}) {
    write(damaged);
    EXPECT_FALSE(desktop.tell(diagram)) << damaged.constData();
    EXPECT_EQ(read(), damaged);
  }
  write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" xmlns:bookmark=\""
        "http://www.freedesktop.org/standards/desktop-bookmarks\" xmlns:x=\"urn:x\">\n"
        "<!-- kept --><bookmark href=\"file:///other.txt\" added=\"A\"><x:own>&lt;kept&gt;</x:own></bookmark>\n</xbel>");
  const QDateTime at = QDateTime::fromSecsSinceEpoch(86400, Qt::UTC);
  ASSERT_TRUE(desktop.tell(diagram, at));
  ASSERT_TRUE(desktop.tell(diagram, at.addSecs(60)));
  const QString after = QString::fromUtf8(read());
  for (const char* kept : {"<!-- kept -->", "<x:own>&lt;kept&gt;</x:own>", "href=\"file:///other.txt\" added=\"A\""})
    EXPECT_TRUE(after.contains(QLatin1String(kept))) << kept << "\n" << after.toStdString();
  EXPECT_EQ(after.count(QStringLiteral("a%20b.ERD")), 1) << after.toStdString();
  for (const char* told : {"added=\"1970-01-02T00:00:00.000Z\" modified=\"1970-01-02T00:01:00.000Z\"",
                           "type=\"application/x-quorvane-diagram\"", "<bookmark:application name=\"quorvane\"",
                           "modified=\"1970-01-02T00:01:00.000Z\" count=\"2\""})
    EXPECT_TRUE(after.contains(QLatin1String(told))) << told << "\n" << after.toStdString();
}

}  // namespace
