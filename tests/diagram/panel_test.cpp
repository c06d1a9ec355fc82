// The panel: its menu, pages, entity creation and removal, drops on the surface, file commands.
#include "ooa_panel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

#include "control_host.h"
#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "page_arrangement.h"
#include "property.h"
#include "relation.h"
#include "shown_text.h"

using Panel = DiagramTest;

TEST_F(Panel, SurfaceMenuCaptionsInOrder) {
  const std::vector<std::string> expected{
      "ER DIAGRAM MENU   ->PAGE : EMPTY",
      "-",
      "-> Select Display Page",
      "-> Load Diagram ",
      "-> Close Diagram ",
      "-> Save Diagram ",
      "-> Save Diagram As",
      "-> Create Entity",
      "-> Create Entity With SDF (Tarnesk Export Schema) File",
      "-> Create New Page",
      "-> Current Page Rename",
      "-> Remove Exists Page",
      "-> Save Diagram To BitMap File",
      "-> Page Editor",
      // The editor's own, greyed while there is nothing to take back or do again, then its groups.
      "-",
      "-> Undo ",
      "-> Redo ",
      "Edit",
      "-> Cut",
      "-> Copy",
      "-> Paste",
      "-> Duplicate",
      "View",
      // The view's zoom; at 100 % already, that item is greyed.
      "-> Zoom In",
      "-> Zoom Out",
      "-> Zoom 100 %",
      "-> Zoom Whole Page",
      // The selection's commands, greyed while it holds too few objects for them.
      "Select",
      "-> Select All on Page",
      "-> Select None",
      "-> Remove Selected Objects",
      "Arrange",
      "-> Arrange Page",
      "-> Arrange Selection",
      "-",
      "-> Align Left Edges",
      "-> Align Right Edges",
      "-> Align Top Edges",
      "-> Align Bottom Edges",
      "-> Align Centres Across",
      "-> Align Centres Down",
      "-> Distribute Across",
      "-> Distribute Down",
      "Import",
      "-> Import Database Schema...",
      "-> Import PostgreSQL Database...",
      "Export",
      "-> Export Page As...",
      "-> Export SQL...",
      "-> Export Documentation...",
      "-> Print...",
      "Recent Diagrams",
      "(none)",
  };
  std::vector<std::string> all;
  for (const MenuItem* item : panel.SurfaceMenu().AllItems()) all.push_back(item->Caption());
  EXPECT_EQ(all, expected);
  EXPECT_EQ(panel.SurfaceMenu().Count(), 24u) << "the groups' items in their submenus";
  for (size_t item = 15; item < expected.size(); ++item) {
    const std::string& caption = expected[item];
    const bool onSelection = caption != "-> Select All on Page" && caption.find("-> ") == 0 &&
                             (caption.find("Select") != std::string::npos || caption.find("-> Align") == 0 ||
                              caption.find("-> Distribute") == 0);
    const bool greyed = item == 15 || item == 16 || item == 25 || onSelection || caption == "(none)";
    EXPECT_EQ(panel.SurfaceMenu().AllItems()[item]->Enabled(), !greyed) << caption;
  }
  EXPECT_EQ(panel.GetPopupMenu(), &panel.SurfaceMenu());
}

TEST_F(Panel, NewPanelIsEmptyAndSizedByItsHost) {
  ScriptedPlatform own;
  auto fresh = std::make_unique<TOOAPanel>(own);
  EXPECT_EQ(fresh->Width(), 160);
  EXPECT_TRUE(fresh->Entities().empty());
  EXPECT_TRUE(fresh->OwnPageList().empty());
  EXPECT_EQ(fresh->ActivePageName(), "");
  EXPECT_EQ(fresh->DiagramFolder(), std::filesystem::current_path().string());
  EXPECT_EQ(fresh->Color(), clrWhite);
  EXPECT_EQ(panel.BitmapWidth(), 2048);
  EXPECT_EQ(panel.BitmapHeight(), 2048);
  fresh.reset();
  EXPECT_TRUE(own.Calls.empty()) << "a panel created and destroyed asks nothing";
}

// The page goes from the page list and from every object's entries; the objects keep their other
// pages. Only the dialog's button removes: closing it any other way, with the active page
// preselected, must not.
TEST_F(Panel, RemoveExistsPageTakesThePageOffTheListAndEveryObject) {
  panel.SurfaceMenu().Find("-> Remove Exists Page")->Click();  // no page: nothing to ask
  for (const char* page : {"Alpha", "beta", "Gamma"}) AddPage(page);
  TEntity& entity = AddEntity("A", 10, 10);
  entity.SetActivePages({"Alpha @10,10", "beta @20,20,HIDE METHOD", "Gamma @30,30"});
  TRelation* relation = AddRelation(entity, "", false);
  relation->SetActivePages({"beta @1,1", "Alpha @2,2"});
  panel.SetPageEditorShown(true);
  const struct {
    std::function<void()> answer;
    TEntryList pages;
    TEntryList entityEntries;
    TEntryList relationEntries;
  } steps[] = {
      {[&] { platform.CloseChoice(); }, {"Alpha", "beta", "Gamma"}, entity.ActivePages(), relation->ActivePages()},
      {[&] { platform.Choose("beta"); }, {"Alpha", "Gamma"}, {"Alpha @10,10", "Gamma @30,30"}, {"Alpha @2,2"}},
      {[&] { platform.KeepChoice(); }, {"Gamma"}, {"Gamma @30,30"}, {}},  // the active page
      {[&] { platform.KeepChoice(); }, {}, {}, {}},
  };
  for (const auto& step : steps) {
    const int refreshes = window.EditorRefreshes;
    step.answer();
    panel.SurfaceMenu().Find("-> Remove Exists Page")->Click();
    EXPECT_EQ(panel.OwnPageList(), step.pages);
    EXPECT_EQ(panel.ActivePageName(), step.pages.empty() ? "" : step.pages.front()) << "the first page left shows";
    EXPECT_EQ(entity.ActivePages(), step.entityEntries);
    EXPECT_EQ(relation->ActivePages(), step.relationEntries);
    EXPECT_EQ(entity.Visible(), !step.pages.empty());
    EXPECT_EQ(window.EditorRefreshes > refreshes, step.pages.size() < 3) << "the open editor reloads";
  }
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : EMPTY");
  const auto dialog = platform.CallsOf("Choose").front().Choice;
  EXPECT_EQ(dialog.Caption, "Remove Display Page");
  EXPECT_EQ(dialog.Items, (std::vector<std::string>{" ", "Alpha", "beta", "Gamma"}));
  EXPECT_EQ(dialog.ItemIndex, 1) << "the active page preselected";
  EXPECT_TRUE(dialog.AnswerOnlyByButton);
}

TEST_F(Panel, CreatePageAnswers) {
  struct Case {
    const char* name;
    bool cancel;
    const char* answer;
    TEntryList pages;
  } cases[] = {
      {"typed", false, "Orders", {"Orders"}},
      {"cancelled", true, "", {"NewPage1"}},
      {"blank", false, "  ", {}},
      {"blanks around the name", false, " \tSales ", {"Sales"}},
  };
  for (const auto& c : cases) {
    ScriptedPlatform own;
    TOOAPanel fresh(own);
    if (c.cancel)
      own.Cancel();
    else
      own.Type(c.answer);
    fresh.CreatePage();
    EXPECT_EQ(fresh.OwnPageList(), c.pages) << c.name;
    EXPECT_EQ(fresh.ActivePageName(), c.pages.empty() ? "" : c.pages[0]) << c.name;
    EXPECT_EQ(fresh.DiagramName(), c.pages.empty() ? "" : "NewDiagram") << c.name;
    ASSERT_EQ(own.Calls.size(), 1u);
    EXPECT_EQ(own.Calls[0].Caption, "Create New Page");
    EXPECT_EQ(own.Calls[0].Text, "Input New Page's Name :");
    EXPECT_EQ(own.Calls[0].Default, "NewPage1");
    // Creating the first page leaves the menu caption until the page is shown.
    EXPECT_EQ(fresh.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : EMPTY") << c.name;
  }
}

TEST_F(Panel, LaterPagesAreAppendedWithoutBecomingActive) {
  AddPage("P1");
  panel.SetDiagramName("Kept");
  panel.SetPageEditorShown(true);
  platform.Cancel();
  panel.CreatePage();
  EXPECT_EQ(window.EditorRefreshes, 1) << "an open page editor lists the new page";
  AddPage("P3");
  EXPECT_EQ(panel.OwnPageList(), (TEntryList{"P1", "NewPage2", "P3"}));
  EXPECT_EQ(panel.ActivePageName(), "P1");
  EXPECT_EQ(panel.DiagramName(), "Kept");
  EXPECT_EQ(platform.CallsOf("InputBox")[2].Default, "NewPage3");
}

// A page name the page list holds already (letter case ignored, as page lookups ignore it), or one
// holding the entry separator, is refused with a message, and nothing changes.
TEST_F(Panel, PageNamesThatCannotStandAreRefused) {
  AddPage("P1");
  AddPage("P2");
  TEntity& entity = AddEntity("X", 5, 6);
  panel.SetPageEditorShown(true);
  const std::string separator = "A page name cannot hold \" @\" (a blank before an at-sign): \"";
  const std::tuple<const char*, bool, std::string> cases[] = {
      {" p1 ", false, "The diagram already has a page named \"P1\"."},
      {"A @B", false, separator + "A @B\""},
      {"p2", true, "The diagram already has a page named \"P2\"."},
      {"Q @1", true, separator + "Q @1\""},
  };
  for (const auto& [answer, rename, message] : cases) {
    platform.Type(answer);
    rename ? panel.RenameActivePage() : panel.CreatePage();
    EXPECT_EQ(panel.OwnPageList(), (TEntryList{"P1", "P2"})) << answer;
    EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @5,6"}) << answer;
    EXPECT_EQ(platform.CallsOf("Message").back().Text, message) << answer;
  }
  // The page's own name, as Cancel gives it back, or in another letter case, is no other page's.
  platform.Cancel();
  panel.RenameActivePage();
  platform.Type(" p1 ");
  panel.RenameActivePage();
  EXPECT_EQ(panel.OwnPageList(), (TEntryList{"p1", "P2"}));
  EXPECT_EQ(entity.ActivePages(), TEntryList{"p1 @5,6"});
  EXPECT_EQ(platform.CallsOf("Message").size(), 4u);
  EXPECT_EQ(window.EditorRefreshes, 2) << "only the renames reload an open page editor";
}

TEST_F(Panel, CreateEntityAtTheMousePosition) {
  AddPage("NewPage1");
  for (int i = 1; i <= 3; ++i) {
    panel.SetLastMouse(100 * i, 50);
    platform.Cancel();
    TEntity& entity = panel.CreateEntity("", false);
    EXPECT_EQ(entity.Name(), "Entity" + std::to_string(i));
    EXPECT_EQ(entity.EntityDesc(), "NewEntity" + std::to_string(i));
    EXPECT_EQ(entity.Left(), 100 * i);
    EXPECT_EQ(entity.Top(), 50);
    EXPECT_EQ(entity.Width(), 128);
    EXPECT_EQ(entity.Height(), 30);
    EXPECT_TRUE(entity.Visible());
    EXPECT_EQ(entity.ActivePages(), TEntryList{"NewPage1 @" + std::to_string(100 * i) + ",50"});
    EXPECT_EQ(entity.Parent(), &panel);
    EXPECT_EQ(entity.Menu().Item(0).Caption(), "ENTITY : NewEntity" + std::to_string(i));
  }
  const auto boxes = platform.CallsOf("InputBox");
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[1].Caption, "Create New Data Entity");
  EXPECT_EQ(boxes[1].Text, "Input New Data Entity's Name :");
  EXPECT_EQ(boxes[3].Default, "NewEntity3");
  // Showing the page on creation refreshed the menu caption.
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : NewPage1");
}

TEST_F(Panel, CreateEntityWithAnEmptyAnswerGetsAnEmptyDescription) {
  AddPage("P1");
  platform.Type("");
  TEntity& entity = panel.CreateEntity("", false);
  EXPECT_EQ(entity.EntityDesc(), "");
}

TEST_F(Panel, CreateEntityWithoutPageAsksForOneFirst) {
  panel.SetLastMouse(70, 80);
  platform.Type("").Type("Customer");
  TEntity& entity = panel.CreateEntity("", false);
  EXPECT_TRUE(panel.OwnPageList().empty());
  EXPECT_EQ(entity.ActivePages(), TEntryList{" @70,80"});
  EXPECT_FALSE(entity.Visible());
  const auto boxes = platform.CallsOf("InputBox");
  EXPECT_EQ(boxes[0].Caption, "Create New Page");
  EXPECT_EQ(boxes[0].Default, "NewPage1");

  platform.Cancel();
  TEntity& second = panel.CreateEntity("Order", false);
  EXPECT_EQ(panel.ActivePageName(), "NewPage1");
  EXPECT_TRUE(second.Visible());
  EXPECT_FALSE(entity.Visible()) << "an entry for the empty page is never shown";
}

TEST_F(Panel, KeepHiddenCreatesNoEntryAndAsksNothing) {
  AddPage("P1");
  TEntity& entity = panel.CreateEntity("NEWEntity", true);
  EXPECT_TRUE(entity.ActivePages().empty());
  EXPECT_FALSE(entity.Visible());
  EXPECT_EQ(entity.EntityDesc(), "NEWEntity");
}

TEST_F(Panel, EntityNamesStayUniqueAfterRemovals) {
  AddPage("P1");
  AddEntity("A");
  TEntity& b = AddEntity("B");
  AddEntity("C");
  panel.SetSelectedEntity(&b);
  panel.RemoveSelectedEntity();
  // Two entities remain, named Entity1 and Entity3: the count gives 3, which is taken.
  platform.Cancel();
  TEntity& d = panel.CreateEntity("", false);
  EXPECT_EQ(d.Name(), "Entity4");
  EXPECT_EQ(d.EntityDesc(), "NewEntity4");
  // A name given by hand in another letter case is taken too.
  panel.Entities()[0]->SetName("ENTITY5");
  EXPECT_EQ(AddEntity("E").Name(), "Entity6");
  EXPECT_EQ(panel.EntityByName("entity5"), panel.Entities()[0].get());
  EXPECT_EQ(panel.EntityByName("Entity1"), nullptr);
}

TEST_F(Panel, EntityByNameTakesTheFirstInCreationOrder) {
  AddPage("P1");
  TEntity& first = AddEntity("A");
  TEntity& second = AddEntity("B");
  second.SetName("Same");
  first.SetName("SAME");
  EXPECT_EQ(panel.EntityByName("same"), &first);
  first.SetName("Other");
  EXPECT_EQ(panel.EntityByName("same"), &second);
}

TEST_F(Panel, FindByDescriptionIsExactAndTakesTheFirst) {
  AddPage("P1");
  TEntity& lower = AddEntity("order");
  TEntity& upper = AddEntity("Order");
  AddEntity("Order");
  EXPECT_EQ(panel.FindEntity("Order"), &upper);
  EXPECT_EQ(panel.FindEntity("order"), &lower);
  EXPECT_EQ(panel.FindEntity("ORDER"), nullptr);
  AddRelation(lower, "Places", true);
  TRelation* second = AddRelation(upper, "Places", true);
  AddEntityEvent(upper, "Ship", true);
  EXPECT_EQ(panel.FindRelation("Places"), lower.RelationList()[0].Object.get());
  EXPECT_NE(panel.FindRelation("Places"), second);
  EXPECT_EQ(panel.FindEntityEvent("Ship"), upper.EventList()[0].Object.get());
  EXPECT_EQ(panel.FindEntityEvent("ship"), nullptr);
}

TEST_F(Panel, RemovingAnEntityUnlinksTheBoxesOfOthers) {
  AddPage("P1");
  TEntity& customer = AddEntity("Customer");
  TEntity& order = AddEntity("Order", 300, 30);
  TProperty* custNo = AddProperty(customer, "CustNo", true);
  TProperty* orderCust = AddProperty(order, "CustNo", true);
  TMethod* check = AddMethod(customer, "Check", true);
  TMethod* ship = AddMethod(order, "Ship", true);
  TRelation* relation = AddRelation(order, "Places", true);
  relation->SetSourceEntity(&order);
  relation->SetSourceProperty(orderCust);
  relation->SetTargetEntity(&customer);
  relation->SetTargetProperty(custNo);
  TEntityEvent* event = AddEntityEvent(order, "Checks", true);
  event->SetSourceEntity(&customer);
  event->SetSourceMethod(check);
  event->SetTargetEntity(&order);
  event->SetTargetMethod(ship);

  panel.SetSelectedEntity(&customer);
  panel.RemoveSelectedEntity();
  ASSERT_EQ(panel.Entities().size(), 1u);
  EXPECT_EQ(panel.SelectedEntity(), nullptr);
  EXPECT_EQ(relation->SourceProperty(), orderCust);
  EXPECT_EQ(relation->TargetEntity(), nullptr);
  EXPECT_EQ(relation->TargetProperty(), nullptr);
  EXPECT_EQ(event->SourceEntity(), nullptr);
  EXPECT_EQ(event->SourceMethod(), nullptr);
  EXPECT_EQ(event->TargetMethod(), ship);
  EXPECT_EQ(order.RelationList().size(), 1u) << "the boxes stay, unlinked";
}

TEST_F(Panel, RemovingAnEntityClearsAnEndWhoseRowIsItsEvenUnderAnotherEntity) {
  // A diagram file can name one entity and a row of another for the same end.
  AddPage("P1");
  TEntity& a = AddEntity("A");
  TEntity& b = AddEntity("B");
  TProperty* rowOfA = AddProperty(a, "X", true);
  TRelation* relation = AddRelation(b, "R", true);
  relation->SetSourceEntity(&b);
  relation->SetSourceProperty(rowOfA);
  panel.SetSelectedEntity(&a);
  panel.RemoveSelectedEntity();
  EXPECT_EQ(relation->SourceProperty(), nullptr);
  EXPECT_EQ(relation->SourceEntity(), nullptr);
}

TEST_F(Panel, RemoveSelectedEntityWithNothingSelectedDoesNothing) {
  AddPage("P1");
  AddEntity("A");
  panel.RemoveSelectedEntity();
  EXPECT_EQ(panel.Entities().size(), 1u);
}

TEST_F(Panel, RemovingAnEntityRefreshesAnOpenPageEditor) {
  AddPage("P1");
  TEntity& a = AddEntity("A");
  TRelation* owns = AddRelation(a, "Owns", true);
  panel.SetPageEditorShown(true);
  panel.SetSelectedEntity(&a);
  const int before = window.EditorRefreshes;
  // So does a rename: the editor lists entities and boxes by their descriptions.
  platform.Type("B").Type("Has");
  a.RenameEntity();
  owns->Menu().Find(" -> Rename Relation")->Click();
  EXPECT_EQ(window.EditorRefreshes, before + 2);
  panel.RemoveSelectedEntity();
  EXPECT_EQ(window.EditorRefreshes, before + 3);
}

TEST_F(Panel, CloseDiagramDropsEverythingButTheFolder) {
  AddPage("P1");
  TEntity& a = AddEntity("A");
  TEntity& b = AddEntity("B");
  TRelation* relation = AddRelation(a, "R", true);
  relation->SetTargetEntity(&b);
  relation->SetTargetProperty(AddProperty(b, "X", true));
  panel.SetDiagramFolder("/tmp/diagrams/");
  panel.SurfaceMenu().Find("-> Close Diagram ")->Click();
  EXPECT_TRUE(panel.Entities().empty());
  EXPECT_TRUE(panel.OwnPageList().empty());
  EXPECT_EQ(panel.ActivePageName(), "");
  EXPECT_EQ(panel.DiagramName(), "");
  EXPECT_EQ(panel.DiagramFolder(), "/tmp/diagrams/");
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : P1") << "kept until the next page change";
  EXPECT_EQ(panel.EntityByName("Entity1"), nullptr);
}

TEST_F(Panel, ShowActivePageShowsHidesAndMovesByEntry) {
  AddPage("P1");
  AddPage("P2");
  TEntity& both = AddEntity("Both", 10, 20);
  TEntity& onlyFirst = AddEntity("OnlyFirst", 200, 20);
  both.AppendEntry("P2 @400,300,HIDE PROPERTY");
  panel.SetActivePageName("P2");
  panel.ShowActivePage();
  EXPECT_TRUE(both.Visible());
  EXPECT_EQ(both.Left(), 400);
  EXPECT_EQ(both.Top(), 300);
  EXPECT_FALSE(both.ShowProperty());
  EXPECT_TRUE(both.ShowMethod());
  EXPECT_FALSE(onlyFirst.Visible());
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : P2");
  panel.SetActivePageName("P1");
  panel.ShowActivePage();
  EXPECT_EQ(both.Left(), 10);
  EXPECT_TRUE(both.ShowProperty());
  EXPECT_TRUE(onlyFirst.Visible());

  // Changing pages with no edit between lays out again only the rows whose hide flags change;
  // the rows of a box that only moved still meet their lines where they stand.
  const TProperty& row = *AddProperty(both, "Id", true);
  AddPage("P3");
  both.AppendEntry("P3 @700,500");
  for (const char* page : {"P2", "P1", "P3", "P1", "P3"}) {
    panel.ShowPage(page);
    const TAnchorPoints& at = row.Anchors();
    EXPECT_EQ(both.ShowProperty(), std::string(page) != "P2") << page;
    EXPECT_TRUE(row.Visible() || page == std::string("P2")) << page;
    if (both.ShowProperty()) {
      EXPECT_EQ(at.LeftX, both.Left()) << page;
      EXPECT_EQ(at.Y, both.Top() + row.Top() + row.Height() / 2) << page;
    }
  }
}

TEST_F(Panel, ARelationBoxIsShownWhereItHasAnEntryEvenWithoutItsEntity) {
  AddPage("P1");
  AddPage("P2");
  TEntity& owner = AddEntity("Owner");
  TRelation* relation = AddRelation(owner, "", false);
  relation->AppendEntry("P2 @500,60");
  panel.SetActivePageName("P2");
  panel.ShowActivePage();
  EXPECT_FALSE(owner.Visible());
  EXPECT_TRUE(relation->Visible());
  EXPECT_EQ(relation->Left(), 500);
  EXPECT_EQ(relation->Anchors().LeftX, 500);
}

TEST_F(Panel, PageNamesWithTheEntrySeparatorNeverHoldObjects) {
  panel.SetOwnPageList({"A @B"});  // as an older file may list it
  panel.SetActivePageName("A @B");
  TEntity& entity = AddEntity("X", 5, 6);
  EXPECT_EQ(entity.ActivePages(), TEntryList{"A @B @5,6"});
  EXPECT_FALSE(entity.IsOnPage("A @B"));
  EXPECT_FALSE(entity.Visible());
}

TEST_F(Panel, EntriesAreCaseSensitive) {
  AddPage("page1");
  TEntity& entity = AddEntity("X");
  EXPECT_TRUE(entity.IsOnPage("page1"));
  EXPECT_FALSE(entity.IsOnPage("Page1"));
  EXPECT_FALSE(entity.IsOnPage(""));
  EXPECT_FALSE(entity.IsOnPage("   "));
}

// IsOnPage keeps its last answer: every way the entries change must be seen by the next question,
// asked right before and right after each change.
TEST_F(Panel, WhetherAnObjectIsOnAPageFollowsEveryChangeOfItsEntries) {
  AddPage("P1");
  AddPage("P2");
  TEntity& entity = AddEntity("X", 5, 6);
  struct Step {
    const char* what;
    std::function<void()> change;
    const char* page;
    bool before;
    bool after;
  };
  const std::vector<Step> steps = {
      {"entry added", [&] { entity.AddPageEntry("P2"); }, "P2", false, true},
      {"entries set", [&] { entity.SetActivePages({"P3 @1,1"}); }, "P2", true, false},
      {"entry appended", [&] { entity.AppendEntry("P2 @4,4"); }, "P2", false, true},
      {"entry rewritten in place", [&] { entity.ReplaceEntry(1, "P4 @4,4"); }, "P4", false, true},
      {"entry removed by the dialog",
       [&] {
         platform.Choose("P4");
         entity.RemoveExistsDisplayPage();
       },
       "P4", true, false},
      {"entry added by the dialog",
       [&] {
         platform.Choose("P1");
         entity.AddNewDisplayPage();
       },
       "P1", false, true},
      {"entries cleared", [&] { entity.ClearEntries(); }, "P1", true, false},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(entity.IsOnPage(step.page), step.before) << step.what;
    step.change();
    EXPECT_EQ(entity.IsOnPage(step.page), step.after) << step.what;
  }
  // The page the question names counts, not only the entries: the same entries, another page.
  entity.SetActivePages({"P1 @1,1"});
  EXPECT_TRUE(entity.IsOnPage("P1"));
  EXPECT_FALSE(entity.IsOnPage("P2"));
  EXPECT_TRUE(entity.IsOnPage("P1"));
}

TEST_F(Panel, RenameActivePageRewritesOnlyItsEntries) {
  AddPage("NewPage1");
  TEntity& hidden = AddEntity("Hidden", 10, 10);
  TEntity& plain = AddEntity("Plain", 200, 10);
  hidden.SetActivePages({"NewPage10 @1,1", "NewPage1 @10,10,HIDE PROPERTY", "NewPage11 @2,2,HIDE METHOD"});
  plain.AppendEntry("NewPage10 @3,3");
  TRelation* relation = AddRelation(plain, "", false);
  panel.OwnPageList() = {"NewPage1", "NewPage10", "NewPage11"};
  panel.ShowActivePage();
  plain.SetLeft(250);  // moved without storing: the rename records where it stands now
  platform.Type("Summary");
  panel.RenameActivePage();
  EXPECT_EQ(hidden.ActivePages(),
            (TEntryList{"NewPage10 @1,1", "Summary @10,10,HIDE PROPERTY", "NewPage11 @2,2,HIDE METHOD"}));
  EXPECT_EQ(plain.ActivePages(), (TEntryList{"Summary @250,10", "NewPage10 @3,3"}));
  EXPECT_EQ(relation->ActivePages(), TEntryList{"Summary @338,10"});
  EXPECT_EQ(panel.OwnPageList(), (TEntryList{"Summary", "NewPage10", "NewPage11"}));
  EXPECT_EQ(panel.ActivePageName(), "Summary");
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : Summary");
  const auto box = platform.CallsOf("InputBox").back();
  EXPECT_EQ(box.Caption, "CurrentPageRename");
  EXPECT_EQ(box.Text, "Input New Current Page's Name :");
  EXPECT_EQ(box.Default, "NewPage1");
}

TEST_F(Panel, RenameCancelledRewritesPositionsBlankChangesNothing) {
  AddPage("P1");
  TEntity& entity = AddEntity("X", 10, 10);
  entity.SetLeft(77);
  platform.Type("   ");
  panel.RenameActivePage();
  EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @10,10"});
  platform.Cancel();
  panel.RenameActivePage();
  EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @77,10"});
  EXPECT_EQ(panel.OwnPageList(), TEntryList{"P1"});
}

TEST_F(Panel, RenameFindsThePageLineIgnoringCaseAndNeedsOne) {
  AddPage("P1");
  panel.SetActivePageName("p1");
  platform.Type("Q");
  panel.RenameActivePage();
  EXPECT_EQ(panel.OwnPageList(), TEntryList{"Q"});
  panel.SetActivePageName("Missing");
  platform.Type("Z");
  panel.RenameActivePage();
  EXPECT_EQ(panel.OwnPageList(), TEntryList{"Q"});
  EXPECT_EQ(panel.ActivePageName(), "Missing");
  panel.SetActivePageName("  ");
  panel.RenameActivePage();  // no question for a blank active page
}

TEST_F(Panel, SelectDisplayPageDialog) {
  AddPage("beta");
  AddPage("Alpha");
  AddPage("gamma");
  panel.SetActivePageName("ALPHA");
  platform.Choose("gamma");
  panel.SelectDisplayPage();
  const auto dialog = platform.CallsOf("Choose").back().Choice;
  EXPECT_EQ(dialog.Caption, "Select DisPlay Page");
  EXPECT_EQ(dialog.Width, 420);
  EXPECT_EQ(dialog.Height, 115);
  EXPECT_EQ(dialog.FontSize, 10);
  EXPECT_EQ(dialog.Label, "New DisPlay Page");
  EXPECT_EQ(dialog.LabelLeft, 22);
  EXPECT_EQ(dialog.LabelTop, 16);
  EXPECT_EQ(dialog.ListLeft, 142);
  EXPECT_EQ(dialog.ListTop, 12);
  EXPECT_EQ(dialog.ListWidth, 240);
  EXPECT_EQ(dialog.CloseLeft, 180);
  EXPECT_EQ(dialog.CloseTop, 64);
  EXPECT_EQ(dialog.Items, (std::vector<std::string>{" ", "Alpha", "beta", "gamma"}));
  EXPECT_EQ(dialog.ItemIndex, 1) << "preselected ignoring case";
  EXPECT_EQ(panel.ActivePageName(), "gamma");
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : gamma");
}

TEST_F(Panel, SelectDisplayPageBlankChangesNothingClosingKeepsThePreselection) {
  AddPage("P1");
  AddPage("P2");
  platform.Choose(" ");
  panel.SelectDisplayPage();
  EXPECT_EQ(panel.ActivePageName(), "P1");
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : EMPTY");
  platform.KeepChoice();
  panel.SelectDisplayPage();
  EXPECT_EQ(panel.ActivePageName(), "P1");
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : P1") << "applied again";
  panel.SetActivePageName("Unknown");
  platform.KeepChoice();
  panel.SelectDisplayPage();
  EXPECT_EQ(platform.CallsOf("Choose").back().Choice.ItemIndex, -1);
  EXPECT_EQ(panel.ActivePageName(), "Unknown");
}

TEST_F(Panel, DuplicatePagesAreListedTwice) {
  panel.SetOwnPageList({"Same", "Same"});  // as an older file may list them
  panel.SetActivePageName("Same");
  platform.KeepChoice();
  panel.SelectDisplayPage();
  EXPECT_EQ(platform.CallsOf("Choose").back().Choice.Items, (std::vector<std::string>{" ", "Same", "Same"}));
}

TEST_F(Panel, DroppingAnEntityStoresItsPositionWithItsFlags) {
  AddPage("P1");
  TEntity& entity = AddEntity("X", 100, 100);
  TProperty* row = AddProperty(entity, "Id", true);
  entity.HideAllMethod();
  bool accept = false;
  panel.DragOver(entity, 0, 0, TDragState::Move, accept);
  EXPECT_TRUE(accept);
  panel.DragDrop(entity, 0, 0);
  EXPECT_EQ(entity.Left(), 0);
  EXPECT_EQ(entity.Top(), 0);
  EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @0,0,HIDE METHOD"});
  EXPECT_EQ(row->Anchors().LeftX, 0);
  EXPECT_EQ(row->Anchors().Y, 30);
}

TEST_F(Panel, DroppingARowOnTheSurfaceChangesNothing) {
  AddPage("P1");
  TEntity& entity = AddEntity("X", 100, 100);
  TProperty* row = AddProperty(entity, "Id", true);
  panel.DragDrop(*row, 5, 5);
  EXPECT_EQ(row->Left(), 1);
  EXPECT_EQ(entity.Left(), 100);
  EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @100,100"});
}

TEST_F(Panel, DroppingBoxesMovesThemAndTheirLines) {
  AddPage("P1");
  TEntity& entity = AddEntity("X", 100, 100);
  TRelation* relation = AddRelation(entity, "", false);
  TEntityEvent* event = AddEntityEvent(entity, "", false);
  panel.DragDrop(*relation, 600, 700);
  panel.DragDrop(*event, 20, 900);
  EXPECT_EQ(relation->ActivePages(), TEntryList{"P1 @600,700"});
  EXPECT_EQ(event->ActivePages(), TEntryList{"P1 @20,900"});
  EXPECT_EQ(relation->Anchors().Y, 700 + 25 / 2);
  EXPECT_EQ(event->Anchors().LeftX, 20);
}

// Generated diagrams arranged from the menu: on the active page nothing overlaps and a relation box
// stands between its two entities; the other pages keep their entries; one step gives it all back.
TEST(PanelArrange, ArrangePageLaysOutTheActivePageAsOneStep) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    GenerateDiagram(panel, seed);
    const std::string page = panel.ActivePageName(), before = DescribeDiagram(panel);
    std::vector<TPlacedControl*> objects;
    for (const auto& entity : panel.Entities()) {
      objects.push_back(entity.get());
      for (const auto& slot : entity->RelationList()) objects.push_back(slot.Object.get());
      for (const auto& slot : entity->EventList()) objects.push_back(slot.Object.get());
    }
    const auto otherPages = [&] {
      std::vector<TEntryList> entries;
      for (const TPlacedControl* object : objects) {
        entries.push_back(object->ActivePages());
        std::erase_if(entries.back(), [&](const std::string& entry) { return PageOfEntry(entry) == page; });
      }
      return entries;
    };
    const std::vector<TEntryList> elsewhere = otherPages();
    const size_t steps = panel.History().Position();
    panel.SurfaceMenu().Find("-> Arrange Page")->Click();
    EXPECT_EQ(panel.History().Position(), steps + 1);
    EXPECT_EQ(panel.History().UndoName(), "Arrange Page");
    EXPECT_TRUE(platform.Calls.empty());
    EXPECT_EQ(otherPages(), elsewhere);
    const auto rect = [](const TPlacedControl* o) { return TRect{o->Left(), o->Top(), o->Left() + o->Width(), o->Top() + o->Height()}; };
    for (size_t i = 0; i < objects.size(); ++i)
      for (size_t j = i + 1; j < objects.size() && objects[i]->IsOnPage(page); ++j)
        if (objects[j]->IsOnPage(page)) {
          EXPECT_FALSE(rect(objects[i]).Intersects(rect(objects[j]))) << i << ", " << j;
        }
    for (const auto& entity : panel.Entities())
      for (const auto& slot : entity->RelationList()) {
        const TEntity* source = slot.Object->SourceEntity();
        const TEntity* target = slot.Object->TargetEntity();
        if (!slot.Object->IsOnPage(page) || !source || !target || source == target || !source->IsOnPage(page) ||
            !target->IsOnPage(page))
          continue;
        const auto between = [](int box, int a, int b) { return std::min(a, b) <= box && box <= std::max(a, b); };
        const auto centre = [&](const TPlacedControl* o) { return TPoint{o->Left() + o->Width() / 2, o->Top() + o->Height() / 2}; };
        const TPoint box = centre(slot.Object.get()), a = centre(source), b = centre(target);
        EXPECT_TRUE(between(box.X, a.X, b.X) || between(box.Y, a.Y, b.Y)) << slot.Object->Desc();
      }
    panel.UndoCommand();
    EXPECT_EQ(DescribeDiagram(panel), before);
  }
}

TEST_F(Panel, MouseMoveOverTheSurfaceIsRemembered) {
  panel.MouseMove(0, 321, 654);
  EXPECT_EQ(panel.LastMouseX(), 321);
  EXPECT_EQ(panel.LastMouseY(), 654);
}

TEST_F(Panel, SaveWritesTheDiagramsOwnFileOrAsksForOne) {
  std::vector<std::string> saved;
  panel.FileHandlers.WriteDiagramFile = [&](TOOAPanel&, const std::string& name) { saved.push_back(name); };
  AddPage("P1");
  // A diagram made from nothing has no file: Save asks for one, as Save As does, proposing its name
  // in the diagram folder.
  panel.SetDiagramFolder("/data/");
  platform.PickFile("/data/Plan.ERD");
  panel.SurfaceMenu().Find("-> Save Diagram ")->Click();
  EXPECT_EQ(platform.CallsOf("Save").back().File.FileName, "/data/NewDiagram.ERD");
  EXPECT_EQ(saved, std::vector<std::string>{"/data/Plan.ERD"});
  EXPECT_EQ(panel.DiagramName(), "Plan");
  panel.SetDiagramFolder("/elsewhere/");
  panel.SaveDiagramCommand();
  EXPECT_EQ(saved.back(), "/data/Plan.ERD") << "its own file, whatever the folder";
  panel.CloseDiagram();
  EXPECT_EQ(panel.DiagramFile(), "");
  platform.CancelFile();
  panel.SaveDiagramCommand();
  EXPECT_EQ(saved.size(), 2u) << "closed, it has no file; cancel writes nothing";
}

TEST_F(Panel, SaveAsTakesNameAndFolderFromTheChosenFile) {
  std::vector<std::string> saved;
  panel.FileHandlers.WriteDiagramFile = [&](TOOAPanel&, const std::string& name) { saved.push_back(name); };
  panel.SetDiagramFolder("/work/diagrams");
  platform.PickFile("/srv/orders.final.ERD");
  panel.SurfaceMenu().Find("-> Save Diagram As")->Click();
  const auto dialog = platform.CallsOf("Save").back().File;
  EXPECT_EQ(dialog.FileName, "/work/diagrams/NewDiagram.ERD");
  EXPECT_EQ(dialog.DefaultExt, "ERD");
  EXPECT_EQ(dialog.Filter, "ER Diagram File|*.ERD");
  EXPECT_EQ(panel.DiagramName(), "orders");
  EXPECT_EQ(panel.DiagramFolder(), "/srv/");
  EXPECT_EQ(saved, std::vector<std::string>{"/srv/orders.final.ERD"});

  platform.CancelFile();
  panel.SaveDiagramAsCommand();
  EXPECT_EQ(platform.CallsOf("Save").back().File.FileName, "/srv/orders.ERD");
  EXPECT_EQ(saved.size(), 1u) << "cancel writes nothing";

  // The file chosen is the file written; ".ERD" is added only to a name without it in any case.
  const std::pair<const char*, const char*> chosen[] = {{"/srv/plan.erd", "/srv/plan.erd"},
                                                        {"/srv/Plan.Erd", "/srv/Plan.Erd"},
                                                        {"/srv/plan.erd.old", "/srv/plan.erd.old.ERD"},
                                                        {"/srv/plan", "/srv/plan.ERD"}};
  for (const auto& [file, written] : chosen) {
    platform.PickFile(file);
    panel.SaveDiagramAsCommand();
    EXPECT_EQ(saved.back(), written) << file;
  }
  EXPECT_EQ(panel.DiagramName(), "plan");
}

TEST_F(Panel, LoadReadsTheChosenFileAndTakesItsFolder) {
  std::vector<std::string> loaded;
  panel.FileHandlers.LoadDiagramFile = [&](TOOAPanel&, const std::string& name) { loaded.push_back(name); };
  platform.CancelFile();
  panel.LoadDiagramCommand();
  EXPECT_TRUE(loaded.empty());
  platform.PickFile("/home/ann/x/Shop.ERD");
  panel.SurfaceMenu().Find("-> Load Diagram ")->Click();
  EXPECT_EQ(loaded, std::vector<std::string>{"/home/ann/x/Shop.ERD"});
  EXPECT_EQ(panel.DiagramFolder(), "/home/ann/x/");
  const auto dialog = platform.CallsOf("Open").back().File;
  EXPECT_EQ(dialog.Filter, "ER Diagram File|*.ERD");
  EXPECT_EQ(dialog.DefaultExt, "*.ERD");
}

TEST_F(Panel, PageEditorOpensOnceAndNarrowsTheMainWindow) {
  panel.SurfaceMenu().Find("-> Page Editor")->Click();
  EXPECT_TRUE(panel.PageEditorShown());
  EXPECT_EQ(window.MainWindowWidth, 1280 - 247);
  panel.PageEditorCommand();
  EXPECT_EQ(window.EditorShows, 1);
  panel.SetPageEditorShown(false);  // the dialog was closed
  panel.PageEditorCommand();
  EXPECT_EQ(window.EditorShows, 2);
}

TEST_F(Panel, PaintDrawsTheWhiteFaceInsideItsBevels) {
  RecordingCanvas canvas;
  panel.PaintOn(canvas);
  ASSERT_GE(canvas.Calls.size(), 5u);
  EXPECT_EQ(canvas.Calls[0].Points, (std::vector<TPoint>{{0, 2047}, {0, 0}, {2048, 0}}));
  EXPECT_EQ(canvas.Calls[0].Pen, clrGray);
  EXPECT_EQ(canvas.Calls[1].Pen, clrWhite);
  EXPECT_EQ(canvas.Calls[4].Kind, "Rectangle");
  EXPECT_EQ(canvas.Calls[4].Brush, clrWhite);
  EXPECT_EQ(canvas.Calls[4].Points, (std::vector<TPoint>{{2, 2}, {2046, 2046}}));
}

TEST_F(Panel, BitmapExportCommand) {
  ASSERT_EQ(platform.Bitmaps.size(), 1u);
  RecordingBitmap& bitmap = *platform.Bitmaps[0];
  EXPECT_EQ(bitmap.Width(), 2048) << "the bitmap follows the panel's size";
  EXPECT_EQ(bitmap.Height(), 2048);
  panel.SetDiagramFolder("/data");
  platform.CancelFile();
  panel.SurfaceMenu().Find("-> Save Diagram To BitMap File")->Click();
  EXPECT_TRUE(bitmap.Saved.empty()) << "cancel writes nothing";
  const auto dialog = platform.CallsOf("Save").back().File;
  EXPECT_EQ(dialog.FileName, "/data/NoName.bmp");
  EXPECT_EQ(dialog.DefaultExt, "bmp");
  EXPECT_EQ(dialog.Filter, "Windows BitMap File|*.bmp");
  AddPage("P1");
  AddEntity("Customer", 100, 50);
  // The picture is what its name says; any other name is a Windows bitmap.
  for (const char* name : {"/data/page.png", "/data/PAGE.PNG", "/data/page.jpg", "/data/page.bmp"}) {
    platform.PickFile(name);
    panel.SaveToBitmapCommand();
  }
  EXPECT_EQ(bitmap.Saved, (std::vector<std::string>{"/data/page.png", "/data/PAGE.PNG", "/data/page.jpg", "/data/page.bmp"}));
  EXPECT_EQ(bitmap.Formats, (std::vector<TPictureFormat>{TPictureFormat::Png, TPictureFormat::Png, TPictureFormat::Bmp,
                                                         TPictureFormat::Bmp}));
  panel.SetDiagramName("Shop");
  platform.PickFile("/data/page.Svg");
  panel.SaveToBitmapCommand();
  ASSERT_EQ(platform.CallsOf("Drawing").size(), 1u);
  EXPECT_EQ(platform.CallsOf("Drawing")[0].Text, "/data/page.Svg");
  EXPECT_EQ(platform.CallsOf("Drawing")[0].Caption, "Shop") << "titled with the diagram";
  EXPECT_EQ(platform.CallsOf("Drawing")[0].Default, "2048x2048 svg");
  EXPECT_EQ(platform.Drawing.Texts(), (std::vector<std::string>{"Customer"})) << "the same drawing as the bitmap";
  // White over the whole picture in a black frame, then the entity.
  const auto& calls = bitmap.Picture.Calls;
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0].Kind, "Rectangle");
  EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{0, 0}, {2048, 2048}}));
  EXPECT_EQ(calls[0].Brush, clrWhite);
  EXPECT_EQ(calls[0].Pen, clrBlack);
  EXPECT_EQ(calls[1].Points[0], (TPoint{100, 50}));
  EXPECT_EQ(calls[1].Brush, TEntity::Colour);

  // "-> Export Page As...": the format the chosen filter says, or the name's own extension.
  platform.Calls.clear();
  bitmap.Saved.clear();
  bitmap.Formats.clear();
  const std::vector<std::pair<std::string, size_t>> exports = {{"/data/a", 0},     {"/data/b", 1},     {"/data/c", 2},
                                                               {"/data/d", 3},     {"/data/e.SVG", 0}, {"/data/f.txt", 2}};
  for (const auto& [name, filter] : exports) {
    platform.PickFile(name, filter);
    panel.SurfaceMenu().Find("-> Export Page As...")->Click();
  }
  const auto save = platform.CallsOf("Save").front().File;
  EXPECT_EQ(save.FileName, "/data/P1.png") << "named by the page";
  EXPECT_EQ(save.Title, "Export Page As");
  EXPECT_EQ(save.Filter, "PNG Picture|*.png|SVG Drawing|*.svg|PDF Document|*.pdf|Windows BitMap File|*.bmp");
  EXPECT_EQ(bitmap.Saved, (std::vector<std::string>{"/data/a.png", "/data/d.bmp"}));
  EXPECT_EQ(bitmap.Formats, (std::vector<TPictureFormat>{TPictureFormat::Png, TPictureFormat::Bmp}));
  std::vector<std::string> drawings;
  for (const auto& call : platform.CallsOf("Drawing")) drawings.push_back(call.Text + " " + call.Default);
  EXPECT_EQ(drawings, (std::vector<std::string>{"/data/b.svg 2048x2048 svg", "/data/c.pdf 2048x2048 pdf",
                                                "/data/e.SVG 2048x2048 svg", "/data/f.txt.pdf 2048x2048 pdf"}));
  // A proposed name holds no "/" (a path) and no control character or DEL, which nobody sees.
  panel.SetActivePageName("In/Out\tNew\x7F" "Draft");
  platform.CancelFile();
  panel.SurfaceMenu().Find("-> Export Page As...")->Click();
  EXPECT_EQ(platform.CallsOf("Save").back().File.FileName, "/data/In_Out_New_Draft.png");
}

// "-> Print...": the form (closed, nothing printed; answers held in range, proposed next), then the printer
// with the job: every page in turn (the active one shown again after, as the next finds it) or the active one.
TEST_F(Panel, PrintCommandPrintsThePagesTheFormAsksFor) {
  AddPage("P1");
  AddEntity("Customer");
  AddPage("P2");
  panel.ShowPage("P2");
  AddEntity("Invoice");
  platform.CancelForm().Fill({1, {2, 99, -5}, {true}}).Fill({0, {1, 1, 7}, {}});
  panel.SurfaceMenu().Find("-> Print...")->Click();
  panel.PrintCommand();
  EXPECT_EQ(platform.Drawing.Texts(), (std::vector<std::string>{"Customer", "Invoice"}));
  panel.PrintCommand();
  EXPECT_EQ(platform.Drawing.Texts(), (std::vector<std::string>{"Invoice"}));
  EXPECT_EQ(platform.Prints, (std::vector<TPrintJob>{{TPrintPages::All, 2, TPrintJob::MostSheets, 0, TSheetOrientation::Landscape},
                                                     {TPrintPages::Active, 1, 1, 7, TSheetOrientation::Landscape}}));
  std::vector<std::string> calls;
  for (const auto& call : platform.Calls)
    if (call.Kind == "Form" || call.Kind == "Print") calls.push_back(call.Text);
  EXPECT_EQ(calls, (std::vector<std::string>{"1 (each page fitted to one sheet)", "1 (each page fitted to one sheet)",
                                             "2048x2048 2 pages", "40 (20 for each page)", "2048x2048 1 pages"}));
}

// Delete removes what was pressed last, as its menu's removal does, one step that undo takes back;
// the entity itself only when its title was pressed and it is still selected. F2 renames the same
// object in place; a blank or unchanged name, or an object gone, leaves no step.
TEST_F(Panel, DeleteRemovesWhatWasPressedLast) {
  AddPage("P1");
  struct Case {
    const char* pressed;
    const char* step;  // the step's name, empty when nothing goes
    const char* left;  // what the entity holds afterwards: rows, relations, events
    const char* renamed;  // the description F2 starts from, empty when it renames nothing
  } cases[] = {
      {"property", "Remove Property Id", "1 1 1 1", "Id"}, {"method", "Remove Method Pay", "2 0 1 1", "Pay"},
      {"relation", "Remove Relation Owns", "2 1 0 1", "Owns"}, {"event", "Remove Event Paid", "2 1 1 0", "Paid"},
      {"title", "Remove Entity Order", "", "Order"},           {"title, then unselected", "", "2 1 1 1", ""},
  };
  for (const Case& c : cases) {
    TEntity& entity = AddEntity("Order");
    TProperty* id = AddProperty(entity, "Id", true);
    AddProperty(entity, "Total", true);
    TMethod* pay = AddMethod(entity, "Pay", true);
    TRelation* owns = AddRelation(entity, "Owns", false);
    TEntityEvent* paid = AddEntityEvent(entity, "Paid", false);
    const std::string pressed = c.pressed;
    Control* target = pressed == "property" ? static_cast<Control*>(id)
                      : pressed == "method" ? static_cast<Control*>(pay)
                      : pressed == "relation" ? static_cast<Control*>(owns)
                      : pressed == "event" ? static_cast<Control*>(paid)
                                          : static_cast<Control*>(&entity);
    target->MouseDown(TMouseButton::Left, 0, 1, 1);
    if (pressed == "title, then unselected") panel.SetSelectedEntity(nullptr);
    const size_t steps = panel.History().StepCount();
    const std::string before = DiagramFileText(panel);
    const auto shown = TShownText::OfPressed(panel);
    EXPECT_EQ(shown ? shown->Desc() : "", c.renamed) << pressed;
    for (const char* unchanged : {c.renamed, "  "})
      EXPECT_FALSE(shown && shown->Rename(unchanged)) << pressed;
    EXPECT_EQ(panel.History().StepCount(), steps) << pressed;
    panel.DeleteCommand();
    EXPECT_FALSE(shown && shown->Rename("Gone")) << pressed;
    EXPECT_EQ(panel.History().StepCount(), steps + (*c.step ? 1 : 0)) << pressed;
    EXPECT_EQ(panel.History().UndoName(), *c.step ? c.step : panel.History().UndoName()) << pressed;
    const std::string left = panel.Entities().empty()
                                 ? ""
                                 : std::to_string(entity.PropertyCount()) + " " + std::to_string(entity.MethodCount()) +
                                       " " + std::to_string(entity.RelationList().size()) + " " +
                                       std::to_string(entity.EventList().size());
    EXPECT_EQ(left, c.left) << pressed;
    if (*c.step) {
      panel.UndoCommand();
      EXPECT_EQ(DiagramFileText(panel), before) << pressed;
    }
    panel.ClearDiagram();
    AddPage("P1");
  }
}

namespace {
// The window of the core's host, for gestures: it shows nothing and chooses no item.
struct QuietWindow : THostWindow {
  std::optional<size_t> ChooseFromMenu(Control&, const PopupMenu&, TPoint) override { return std::nullopt; }
  void DragMoved(const TRect&, bool) override {}
  void DragEnded() override {}
};
}  // namespace

// Ctrl+click, the band, Ctrl+A and Escape gather and let go; a selected object dragged moves the
// whole selection, and every command on it is one step that undo takes back to the byte.
TEST_F(Panel, TheSelectionGathersMovesAlignsAndGoesAsOneStep) {
  QuietWindow window;
  TControlHost host(panel, window);
  platform.Host = &host;
  AddPage("P1");
  TEntity& a = AddEntity("A", 100, 100);
  TEntity& b = AddEntity("Bee", 500, 120);
  TEntity& c = AddEntity("C", 250, 400);
  TRelation* r = AddRelation(a, "R", false);
  panel.DragDrop(*r, 700, 700);
  panel.ShowActivePage();
  const auto click = [&](TPoint at, TShiftState keys) {
    host.Press(TMouseButton::Left, ssLeft | keys, at);
    host.Release(TMouseButton::Left, at);
  };
  const auto band = [&](TPoint from, TPoint to) {
    host.Press(TMouseButton::Left, ssLeft, from);
    host.Move(ssLeft, to);
    host.Release(TMouseButton::Left, to);
  };
  const auto held = [&] {
    std::string names;
    for (const TPlacedControl* object : panel.Selection().Objects()) names += object->Name() + " ";
    return names;
  };
  click({110, 105}, ssCtrl);
  click({510, 125}, ssCtrl);
  EXPECT_EQ(held(), "Entity1 Entity2 ");
  click({110, 105}, ssCtrl);
  EXPECT_EQ(held(), "Entity2 ");
  click({260, 405}, 0);
  EXPECT_EQ(held(), "") << "a plain press elsewhere lets it go";
  click({110, 105}, ssCtrl);
  EXPECT_EQ(held(), "Entity3 Entity1 ") << "the entity selected before comes along";
  band({50, 50}, {690, 300});
  EXPECT_EQ(held(), "Entity1 Entity2 ") << "what the band encloses, and only that";
  panel.SelectAllOnPage();
  EXPECT_EQ(panel.SelectionSize(), 4u);
  panel.ClearSelection();
  EXPECT_EQ(panel.SelectionSize(), 0u);
  EXPECT_EQ(panel.SelectedEntity(), nullptr);

  // Each command on A, Bee and C (at 100,100, 500,120 and 250,400): where they stand after it.
  struct Case {
    std::string step;
    std::function<void()> command;
    std::vector<TPoint> places;
  } cases[] = {
      {"Move Selection", [&] { host.Press(TMouseButton::Left, ssLeft, {110, 105}); host.Move(ssLeft, {60, 85}); host.Release(TMouseButton::Left, {60, 85}); },
       {{50, 80}, {450, 100}, {200, 380}}},
      {"Align Left Edges", [&] { AlignSelection(panel, TAlignment::Left); }, {{100, 100}, {100, 120}, {100, 400}}},
      {"Align Bottom Edges", [&] { AlignSelection(panel, TAlignment::Bottom); }, {{100, 400}, {500, 400}, {250, 400}}},
      {"Align Centres Down", [&] { AlignSelection(panel, TAlignment::CentresDown); }, {{300, 100}, {300, 120}, {300, 400}}},
      {"Distribute Across", [&] { DistributeSelection(panel, true); }, {{100, 100}, {500, 120}, {300, 400}}},
      {"Distribute Down", [&] { DistributeSelection(panel, false); }, {{100, 100}, {500, 250}, {250, 400}}},
  };
  for (const Case& step : cases) {
    band({50, 50}, {690, 500});
    ASSERT_EQ(panel.Selection().Size(), 3u) << step.step;
    const std::string before = DiagramFileText(panel);
    step.command();
    EXPECT_EQ(panel.History().UndoName(), step.step);
    std::vector<TPoint> places;
    for (const TEntity* entity : {&a, &b, &c}) places.push_back({entity->Left(), entity->Top()});
    EXPECT_EQ(places, step.places) << step.step;
    EXPECT_EQ(a.ActivePages(), TEntryList{"P1 @" + std::to_string(a.Left()) + "," + std::to_string(a.Top())});
    panel.UndoCommand();
    EXPECT_EQ(DiagramFileText(panel), before) << step.step;
  }

  // Arranged, the selection keeps its corner and the rest stays; removed, it goes whole, one step.
  band({50, 50}, {690, 300});
  ArrangeSelectionCommand(panel);
  EXPECT_EQ(TOOAPanel::BoundsOf({&a, &b}).Left, 100);
  EXPECT_EQ(TOOAPanel::BoundsOf({&a, &b}).Top, 100);
  EXPECT_FALSE(a.BoundsRect().Intersects(b.BoundsRect()));
  EXPECT_EQ(c.ActivePages(), TEntryList{"P1 @250,400"});
  const std::string before = DiagramFileText(panel);
  click({710, 705}, ssCtrl);
  panel.DeleteCommand();
  EXPECT_EQ(panel.History().UndoName(), "Remove Selection");
  EXPECT_EQ(panel.Entities().size(), 1u);
  panel.UndoCommand();
  EXPECT_EQ(DiagramFileText(panel), before);
  platform.Host = nullptr;
}
