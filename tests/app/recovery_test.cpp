// Unsaved work survives the editor: the real program killed while it runs leaves a copy that the
// next editor offers back whole, and editors running side by side never offer each other's copy.
// What the copy does in between is the core keeper's (tests/io/recovery_keeper_test.cpp).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

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
#include "recent_diagrams.h"
#include "recovery_keeper.h"
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
    // A desktop that keeps a list of recently used files, of its own.
    fs::create_directories(root / "data");
    WriteBytes((root / "data" / "recently-used.xbel").string(), "<xbel version=\"1.0\"></xbel>");
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  }
  void TearDown() override {
    for (const pid_t pid : running) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    ::unsetenv("XDG_STATE_HOME");
    ::unsetenv("XDG_DATA_HOME");
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
  // The diagram of the command line went first into the editors' recent list and the desktop's.
  EXPECT_EQ(TRecentDiagrams((root / "state/quorvane/recent-diagrams").string()).Shown(), std::vector{diagram.string()});
  EXPECT_NE(ReadBytes((root / "data" / "recently-used.xbel").string()).find("href=\"file://" + diagram.string()), std::string::npos);
  {
    TRecoveryStore store(folder.string());
    EXPECT_TRUE(store.Orphans().empty()) << "both editors run";
  }
  Kill(first);
  auto window = std::make_unique<TfMain>();
  window->keepRecoveryCopies(folder.string());
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
  EXPECT_TRUE(window->recovery()->Store().HasCopy());
  EXPECT_EQ(Listed(folder, ".info").size(), 2u);
}
}  // namespace
