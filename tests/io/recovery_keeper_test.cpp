// The recovery copy as the core keeps it and offers it back, on a clock the test sets, its writing
// done at once.
#include <gtest/gtest.h>
#include <utime.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>

#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "file_access.h"
#include "io_test_support.h"
#include "recovery_keeper.h"

namespace {
// The clock as the test sets it, the jobs run at once, and renames that fail while failing is set.
class TScriptedRecovery : public TRecoveryClock, public TRecoveryWorker, public TFileSystemCalls {
 public:
  TMoment Now() override { return now; }
  std::string UserTime(TMoment moment) override {
    return "at " + std::to_string(moment.time_since_epoch() / std::chrono::seconds(1));
  }
  void WakeAt(TMoment moment) override { wakeAt = moment; }
  void Run(std::function<std::string()> job) override { ++jobs, keeper->JobDone(job()); }
  void WaitIdle() override {}
  int Rename(const std::string& from, const std::string& to) override {
    const bool fails = failing || (failingInfo && to.ends_with(".info"));
    return fails ? (errno = EIO, -1) : TFileSystemCalls::Rename(from, to);
  }
  TMoment now, wakeAt;
  int jobs = 0;
  bool failing = false;
  bool failingInfo = false;  // only a description fails to be written
  TRecoveryKeeper* keeper = nullptr;
};

class RecoveryKeeperTest : public DiagramTest {
 protected:
  RecoveryKeeperTest() {
    panel.SetOwnPageList({"Main", "Other"});
    panel.SetActivePageName("Main");
    recovery.keeper = &keeper;
  }
  // The contents of the folder's files with the extension, by name without it.
  std::map<std::string, std::string> Files(const std::string& extension) const {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(store, error), end; !error && it != end; it.increment(error))
      if (it->path().extension() == extension) files[it->path().stem().string()] = ReadBytes(it->path());
    return files;
  }

  TTempFolder folder;
  const std::string store = FullFileName(folder / "recovery");
  TScriptedRecovery recovery;
  TScopedFileSystemCalls calls{recovery};
  TRecoveryKeeper keeper{panel, platform, store, recovery, recovery};
};

TEST_F(RecoveryKeeperTest, TheCopyIsWrittenASecondAfterASeriesStartsAndAFailureToldOnce) {
  // At a moment (ms), an action; then the wake asked for, the jobs run so far, the step whose diagram
  // the copy holds (-1: no copy) and the errors told so far.
  const struct { int at; const char* action; int wakeAt, jobs, copyOf; size_t errors; } steps[] = {
      {0, "edit One", 1000, 0, -1, 0},    {500, "edit Two", 1000, 0, -1, 0},    {999, "wake", 1000, 0, -1, 0},
      {1000, "wake", 1000, 1, 1, 0},      {1500, "wake", 1000, 1, 1, 0},        {1600, "edit Three", 2600, 1, 1, 0},
      {2600, "wake", 2600, 2, 5, 0},      {3000, "save", 4000, 2, 5, 0},        {4000, "wake", 4000, 3, -1, 0},
      {4100, "edit Four", 5100, 3, -1, 0}, {5100, "fail info", 5100, 4, -1, 1},      {5200, "edit Five", 6200, 4, -1, 1},
      {6200, "fail", 6200, 5, -1, 1},     {6300, "edit Six", 7300, 5, -1, 1},   {7300, "wake", 7300, 6, 13, 1},
      {7400, "edit Seven", 8400, 6, 13, 1}, {8400, "fail", 8400, 7, 13, 2},     {8500, "flush", 8400, 7, 13, 2},
      {8600, "edit Eight", 9600, 7, 13, 2}, {8700, "flush", 9600, 8, 18, 2},   {8800, "save", 9800, 8, 18, 2},
      {8900, "flush", 9800, 9, -1, 2},    {9000, "edit Nine", 10000, 9, -1, 2}, {10000, "wake", 10000, 10, 22, 2},
      {10050, "page", 11050, 10, 22, 2},  {11050, "wake", 11050, 11, 24, 2},
      {11100, "close", 12100, 11, 24, 2}, {12100, "wake", 12100, 11, 24, 2},
  };
  std::vector<std::string> texts;
  for (const auto& step : steps) {
    const std::string action = step.action;
    SCOPED_TRACE(action + " at " + std::to_string(step.at));
    recovery.now = TMoment(std::chrono::milliseconds(step.at));
    recovery.failing = action == "fail";
    recovery.failingInfo = action == "fail info";
    if (action.starts_with("edit ")) panel.EditAll("Create Entity", [&] { AddEntity(action.substr(5)); });
    if (action == "wake" || action.starts_with("fail")) keeper.Wake();
    if (action == "page") {  // another page chosen: no edit, but the file would hold it
      panel.SetActivePageName("Other");
      panel.ShowActivePage();
    }
    if (action == "save") panel.History().MarkClean();
    if (action == "close") panel.CloseDiagramCommand();
    if (action == "flush") keeper.Flush();
    texts.push_back(DiagramFileText(panel));
    EXPECT_EQ(recovery.wakeAt, TMoment(std::chrono::milliseconds(step.wakeAt)));
    EXPECT_EQ(recovery.jobs, step.jobs);
    std::vector<std::string> copies;
    for (const auto& [id, text] : Files(".ERD")) copies.push_back(text);
    EXPECT_EQ(copies, step.copyOf < 0 ? std::vector<std::string>() : std::vector{texts[step.copyOf]});
    EXPECT_EQ(Files(".info").size(), copies.size());
    const auto errors = platform.CallsOf("Error");
    ASSERT_EQ(errors.size(), step.errors);
    for (const auto& error : errors)
      EXPECT_TRUE(error.Text.starts_with("The unsaved diagram cannot be kept for recovery. Cannot create file \""));
  }
}

// Copies of editors that no longer run: the damaged ones are told of and put aside, the others
// offered newest first under their own diagram's name; No discards, the first Yes restores.
TEST_F(RecoveryKeeperTest, OrphansAreCheckedThenOfferedNewestFirst) {
  const auto diagram = [](const std::string& name) {
    return Crlf("@ERDIAGRAM\n DIAGRAMNAME=" + name + "\n OWNPAGE=Main\n ACTIVEPAGE=Main\n#ERDIAGRAM\n");
  };
  const std::string described = "VERSION=1\nNAME=Described\nFOLDER=/from/\nTIME=1\n";
  // A copy's description, diagram and time, and why it cannot be restored when it is damaged.
  const struct { const char* id; std::string info, diagram; long writtenAt; std::string problem; } orphans[] = {
      {"unreadable", described, "not a diagram at all", 600, "The file \"" + store + "/unreadable.ERD\" is not a "
       "diagram file: none of its lines begins or ends a diagram, an entity, a row, a relation or an event."},
      {"newer", "VERSION=2\nNAME=X\nFOLDER=/\nTIME=1\n", diagram("X"), 700,
       "it was written by a newer version of the editor"},
      {"undescribed", "VERSION=1\nNAME=X\n", diagram("X"), 800, "its description is damaged"},
      // A copy that cannot be set aside (a folder stands in the way) is told where it stays; one whose
      // diagram is missing, where its description went.
      {"stuck", described, "not a diagram either", 900, "The file \"" + store + "/stuck.ERD\" is not a "
       "diagram file: none of its lines begins or ends a diagram, an entity, a row, a relation or an event."},
      {"bare", described, "", 950, "its diagram is missing"},
      {"old", described, diagram("Old"), 300, ""},
      {"newest", described, diagram("Newest"), 500, ""},
      {"middle", described, diagram("Middle"), 400, ""},
  };
  std::filesystem::create_directories(store);
  std::set<std::string> told, shown;
  std::filesystem::create_directories(store + "/stuck.ERD.damaged/in the way");
  for (const auto& [id, info, text, writtenAt, problem] : orphans) {
    const std::string path = store + "/" + id + ".ERD";
    WriteBytes(store + "/" + id + ".info", info);
    if (!text.empty()) WriteBytes(path, text);
    const utimbuf times{writtenAt, writtenAt};
    ::utime(path.c_str(), &times);
    const std::string kept = id == std::string("stuck") ? path : text.empty() ? store + "/" + id + ".info.damaged" : path + ".damaged";
    if (!problem.empty())
      told.insert("The recovery copy \"" + path + "\" cannot be restored (" + problem + "); it is kept as \"" + kept + "\".");
  }
  platform.No().Yes();
  keeper.OfferCopies();
  for (const auto& error : platform.CallsOf("Error")) shown.insert(error.Text);
  EXPECT_EQ(shown, told);
  std::vector<std::string> asked;
  for (const auto& call : platform.CallsOf("YesNo")) asked.push_back(call.Caption + ": " + call.Text);
  EXPECT_EQ(asked, (std::vector<std::string>{"Recover Diagram: Restore the unsaved diagram \"Newest\" of at 500?",
                                              "Recover Diagram: Restore the unsaved diagram \"Middle\" of at 400?"}));
  EXPECT_EQ(DiagramFileText(panel), diagram("Middle"));
  EXPECT_EQ(panel.DiagramFolder(), "/from/");
  EXPECT_EQ(panel.History().UndoName(), "Restore Diagram Middle");
  panel.UndoCommand();
  EXPECT_FALSE(panel.History().IsClean()) << "no moment of a restored diagram is a file's";
  // Newest discarded, Middle this editor's copy now, Old left for the next start; damaged ones aside.
  EXPECT_TRUE(keeper.Store().HasCopy());
  EXPECT_EQ(Files(".ERD").size(), 3u);
  EXPECT_EQ(Files(".ERD").count("old"), 1u);
  EXPECT_EQ(Files(".damaged").size(), 9u) << "the folder in the way among them";
  EXPECT_EQ(Files(".ERD").count("stuck"), 1u) << "told, and kept where it stands";
}
}  // namespace
