// The recent diagrams: the list's file read robustly, its order, and the menu that opens them.
#include "recent_diagrams.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "diagram_fixture.h"
#include "editor_panel.h"
#include "io_test_support.h"
#include "popup_menu.h"
#include "text.h"
#include "toolkit_error.h"

using Files = std::vector<std::string>;

TEST(RecentDiagrams, TheFileIsReadForWhatItCanUse) {
  const std::string head = "quorvane recent diagrams 1\n";
  std::string eleven = head;
  for (char c = 'a'; c <= 'k'; ++c) Append(eleven, "/", std::string(1, c), "\n");
  const struct { std::string text; Files files; } cases[] = {
      {"", {}},
      {"<?xml version=\"1.0\"?>\n/a\n", {}},           // another program's file
      {"quorvane recent diagrams 2\n/a\n", {}},        // a newer editor's
      {Cat(std::string("\x89PNG\0\r\n", 7), head), {}},  // bytes of anything
      {Cat(head, "/a\r\nrelative\n\n/b%0Ac%25\n/a\n", std::string("/x\0y\n", 5), "/c"), {"/a", "/b\nc%", "/c"}},
      {eleven, {"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h", "/i", "/j"}},
  };
  for (const auto& c : cases) EXPECT_EQ(TRecentDiagrams::Parse(c.text), c.files) << c.text;
  const Files odd{"/x/%0A.ERD", "/y\r\n/z.ERD"};
  EXPECT_EQ(TRecentDiagrams::Parse(TRecentDiagrams::Format(odd)), odd);
}

class RecentDiagramsMenu : public DiagramTest {
 protected:
  RecentDiagramsMenu() { SetUpEditorPanel(panel); }
  PopupMenu& Submenu() { return *panel.SurfaceMenu().Find("Recent Diagrams")->Submenu(); }
  Files Captions() {
    Files captions;
    for (size_t i = 0; i < Submenu().Count(); ++i) captions.push_back(Submenu().Item(i).Caption());
    return captions;
  }
  TTempFolder temp;
  TRecentDiagrams recent{temp / "state/quorvane/recent-diagrams"};  // no folder yet
};

TEST_F(RecentDiagramsMenu, NewestFirstTenAtMostMissingLeftOutAndChoosingOpens) {
  Files told;
  KeepRecentDiagrams(panel, recent, [&told](const std::string& file) { told.push_back(file); }, {});
  EXPECT_EQ(Captions(), Files{"(none)"});
  EXPECT_FALSE(Submenu().Item(0).Enabled());
  AddPage("P1");
  Files saved;
  for (int n = 1; n <= 12; ++n) {
    saved.insert(saved.begin(), temp / Cat("D", std::to_string(n), ".ERD"));
    platform.PickFile(saved.front());
    panel.SaveDiagramAsCommand();
  }
  saved.resize(TRecentDiagrams::Most);
  EXPECT_EQ(Captions(), saved);
  EXPECT_EQ(ReadBytes(recent.File()), TRecentDiagrams::Format(saved));
  EXPECT_EQ(told.size(), 12u);

  // An older one chosen is opened as a load, and comes first once only; a removed one is left out.
  std::filesystem::remove(saved[9]);
  Submenu().Item(4).Click();
  EXPECT_EQ(panel.DiagramFile(), saved[4]);
  EXPECT_EQ(panel.History().UndoName(), "Load Diagram D8");
  EXPECT_EQ(Captions(), (Files{saved[4], saved[0], saved[1], saved[2], saved[3], saved[5], saved[6], saved[7], saved[8]}));
  // One removed while the menu offers it is told of when chosen, and leaves the menu.
  std::filesystem::remove(saved[8]);
  EXPECT_THROW(Submenu().Item(8).Click(), EToolkitError);
  EXPECT_EQ(Captions().size(), 8u);
  EXPECT_EQ(panel.DiagramFile(), saved[4]);

  // The next editor starts Ctrl+O's dialog in the newest one's folder; the menu's names none.
  ScriptedPlatform other;
  TOOAPanel next{other};
  KeepRecentDiagrams(next, recent, {}, {});
  EXPECT_EQ(next.RecentDiagrams().front(), saved[4]);
  other.CancelFile();
  next.LoadDiagramCommand(true);
  EXPECT_EQ(other.CallsOf("Open").back().File.InitialDir, Cat(temp.Path().string(), "/"));
  other.CancelFile();
  next.SurfaceMenu().Find("-> Load Diagram ")->Click();
  EXPECT_EQ(other.CallsOf("Open").back().File.InitialDir, "");
}
