// Unsaved work survives the editor: the real program killed while it runs leaves a copy that the
// next editor offers back whole, editors running side by side never offer each other's copy, and
// the copy follows saves, closes, answers, an unwritable folder and damage.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTest>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "diagram_file_writer.h"
#include "io_test_support.h"
#include "main_window.h"
#include "ooa_panel.h"
#include "recovery_keeper.h"
#include "recovery_store.h"
#include "schema_import.h"
#include "schema_scrambler.h"
#include "ui_robot.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {
std::vector<std::string> Listed(const fs::path& folder, const std::string& extension) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (it->path().extension() == extension) names.push_back(it->path().filename().string());
  return names;
}

class RecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root / "work");
    folder = root / "state" / "quorvane" / "recovery";
    diagram = root / "work" / "Shop.ERD";
    WriteBytes(diagram, "@ERDIAGRAM\r\n DIAGRAMNAME=Shop\r\n OWNPAGE=Main\r\n ACTIVEPAGE=Main\r\n#ERDIAGRAM\r\n");
    schema = root / "work" / "Orders.SFD";
    WriteBytes(schema, ScrambleSchemaText("S.T.ORDERNO.K,S.T.TOTAL.K,", kSchemaKey) + "\r\n");
    ::setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
  }
  void TearDown() override {
    for (const pid_t pid : running) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    ::unsetenv("XDG_STATE_HOME");
  }

  // The editor as the user starts it (on the tests' offscreen platform), with the schema imported:
  // a diagram no file holds yet, so it keeps a copy.
  pid_t StartEditor() {
    std::string import = "--import-schema=" + schema.string(), file = diagram.string();
    char* argv[] = {const_cast<char*>(QUORVANE_BINARY), import.data(), file.data(), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(::posix_spawn(&pid, QUORVANE_BINARY, nullptr, nullptr, argv, environ), 0);
    running.push_back(pid);
    return pid;
  }
  void Kill(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    std::erase(running, pid);
  }
  // Waits until the folder describes this many copies.
  bool WaitForCopies(size_t count) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      if (Listed(folder, ".info").size() >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // What the killed editor held: the same diagram and import, written by the command line, which
  // keeps no copy of its own.
  std::string ExpectedText() {
    const fs::path out = root / "expected.ERD";
    const std::string command = "XDG_STATE_HOME=" + (root / "export-state").string() + " " + QUORVANE_BINARY +
                                " --export=" + out.string() + " --import-schema=" + schema.string() + " " +
                                diagram.string();
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_FALSE(fs::exists(root / "export-state"));
    return ReadBytes(out);
  }
  // A new editor in this process, keeping its copies in the folder.
  std::unique_ptr<TfMain> NewWindow() {
    auto window = std::make_unique<TfMain>();
    window->keepRecoveryCopies(folder.string());
    return window;
  }

  TTempFolder temp;
  const fs::path root = temp.Path();
  fs::path folder, diagram, schema;
  std::vector<pid_t> running;
};

// Two editors run; neither copy is an orphan. One is killed: a third editor offers that one's copy
// alone, and Yes restores the diagram the killed editor held, unsaved, named and placed as its file.
TEST_F(RecoveryTest, AKilledEditorsCopyIsOfferedAloneAndRestoredWhole) {
  const std::string original = ReadBytes(diagram);
  const pid_t first = StartEditor();
  StartEditor();
  ASSERT_TRUE(WaitForCopies(2));
  {
    TRecoveryStore store(folder.string());
    EXPECT_TRUE(store.Orphans().empty()) << "both editors run";
  }
  Kill(first);
  auto window = NewWindow();
  QStringList asked;
  UiRobot robot;
  robot.onModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    asked << box->windowTitle() << box->text().section(" of ", 0, 0);
    box->button(QMessageBox::Yes)->click();
  });
  window->recovery()->OfferCopies();
  EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString();
  EXPECT_EQ(asked, QStringList({"Recover Diagram", "Restore the unsaved diagram \"Shop\""}));
  TOOAPanel& panel = window->panel();
  EXPECT_EQ(DiagramFileText(panel), ExpectedText());
  EXPECT_EQ(panel.DiagramFolder(), diagram.parent_path().string() + "/");
  EXPECT_FALSE(panel.History().IsClean());
  EXPECT_EQ(ReadBytes(diagram), original) << "the file itself is untouched";
  // The restored diagram is this editor's copy now, still there for the next start.
  EXPECT_TRUE(window->recovery()->store().HasCopy());
  EXPECT_EQ(Listed(folder, ".info").size(), 2u);
}

// The copy follows what the user does: a save removes it, a close with changes keeps it, No
// discards it, a window closed clean leaves none.
TEST_F(RecoveryTest, TheCopyFollowsSavesClosesAndAnswers) {
  const auto edit = [](TOOAPanel& panel, const std::string& desc) {
    panel.EditAll("Create Entity", [&] {
      panel.SetOwnPageList({"Main"});
      panel.SetActivePageName("Main");
      panel.CreateEntity(desc, false);
    });
  };
  const auto copies = [this] { return Listed(folder, ".info").size(); };
  {
    auto window = NewWindow();
    edit(window->panel(), "Customer");
    EXPECT_TRUE(QTest::qWaitFor([&] { return copies() == 1; }, 5000)) << "written within the delay";
    window->panel().SaveDiagramFile((root / "work" / "Saved").string());
    EXPECT_TRUE(QTest::qWaitFor([&] { return copies() == 0; }, 5000)) << "a save removes it";
    edit(window->panel(), "Order");
  }
  EXPECT_EQ(copies(), 1u) << "closed with a change not yet written: written as the window closes";
  {
    auto window = NewWindow();
    UiRobot robot;
    robot.onModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
    window->recovery()->OfferCopies();
    EXPECT_TRUE(robot.clean());
    EXPECT_EQ(copies(), 0u) << "No discards it";
    EXPECT_TRUE(Listed(folder, ".ERD").empty());
  }
  {
    auto window = NewWindow();
    edit(window->panel(), "Clean");
    window->panel().History().MarkClean();
  }
  EXPECT_EQ(copies(), 0u) << "a window closed clean leaves none";
}

// A folder that cannot be made is told of once; a copy that cannot be read is told of, kept aside
// and never offered.
TEST_F(RecoveryTest, FailuresAreToldOnceAndDamagedCopiesAreKeptAside) {
  WriteBytes(root / "state", "a file where the folder should be");
  {
    auto window = NewWindow();
    QStringList shown;
    UiRobot robot;
    robot.onModal([&](QWidget* modal) {
      shown << qobject_cast<QMessageBox*>(modal)->text().section(". ", 0, 0);
      modal->close();
    });
    for (const char* desc : {"One", "Two"}) {
      window->panel().EditAll("Create Entity", [&] {
        window->panel().SetOwnPageList({"Main"});
        window->panel().SetActivePageName("Main");
        window->panel().CreateEntity(desc, false);
      });
      QTest::qWait(RecoveryKeeper::DelayMs + 500);
    }
    EXPECT_EQ(shown, QStringList({"The unsaved diagram cannot be kept for recovery"})) << "once";
    EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString();
  }
  fs::remove(root / "state");
  fs::create_directories(folder);
  const struct {
    const char* info;
    const char* diagram;
  } damaged[] = {
      {"VERSION=1\nNAME=Shop\nFOLDER=/tmp/\nTIME=1\n", "not a diagram at all"},
      {"VERSION=2\nNAME=Shop\nFOLDER=/tmp/\nTIME=2\n", "@ERDIAGRAM\r\n#ERDIAGRAM\r\n"},
      {"VERSION=1\nNAME=Shop\n", "@ERDIAGRAM\r\n#ERDIAGRAM\r\n"},
  };
  for (size_t i = 0; i < std::size(damaged); ++i) {
    WriteBytes(folder / ("old" + std::to_string(i) + ".info"), damaged[i].info);
    WriteBytes(folder / ("old" + std::to_string(i) + ".ERD"), damaged[i].diagram);
  }
  auto window = NewWindow();
  int errors = 0;
  UiRobot robot;
  for (size_t i = 0; i < std::size(damaged); ++i)
    robot.onModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      EXPECT_EQ(box->icon(), QMessageBox::Critical);
      EXPECT_TRUE(box->text().contains("cannot be restored")) << box->text().toStdString();
      ++errors;
      box->close();
    });
  window->recovery()->OfferCopies();
  EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString();
  EXPECT_EQ(errors, 3);
  EXPECT_TRUE(Listed(folder, ".info").empty());
  EXPECT_EQ(Listed(folder, ".damaged").size(), 6u) << "every copy and description kept aside";
}
}  // namespace
