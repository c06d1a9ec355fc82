// The page editor driven as a user drives it, offscreen: its layout, what it lists, its page and
// object commands on the diagram, and its life beside the main window and the panel.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "diagram_host.h"
#include "entity.h"
#include "entity_event.h"
#include "main_window.h"
#include "ooa_panel.h"
#include "page_editor_dialog.h"
#include "qt_canvas.h"
#include "qt_editor_window.h"
#include "qt_platform.h"
#include "relation.h"
#include "toolkit_error.h"
#include "ui_robot.h"

// Texts in failure messages as text, not as arrays of code units.
static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {
QStringList texts(const QListWidget* list) {
  QStringList result;
  for (int i = 0; i < list->count(); ++i) result << list->item(i)->text();
  return result;
}

QStringList texts(const QComboBox* combo) {
  QStringList result;
  for (int i = 0; i < combo->count(); ++i) result << combo->itemText(i);
  return result;
}

// Chooses an item as a user does: opens the list and takes the item with the keyboard.
void pick(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text, Qt::MatchExactly);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->showPopup();
  combo->view()->setCurrentIndex(combo->model()->index(index, 0));
  QTest::keyClick(combo->view(), Qt::Key_Return);
  ASSERT_FALSE(combo->view()->isVisible());
}

void clickTab(QTabWidget* tabs, int index) {
  QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
  ASSERT_EQ(tabs->currentIndex(), index);
}

// Every object's placement entries, by description and kind.
std::map<std::string, TEntryList> placements(const TOOAPanel& panel) {
  std::map<std::string, TEntryList> result;
  for (const auto& entity : panel.Entities()) {
    result["E " + entity->EntityDesc() + " " + entity->Name()] = entity->ActivePages();
    for (const auto& slot : entity->RelationList())
      result["R " + slot.Object->RelationDesc()] = slot.Object->ActivePages();
    for (const auto& slot : entity->EventList()) result["V " + slot.Object->EventDesc()] = slot.Object->ActivePages();
  }
  return result;
}

class PageEditorTest : public ::testing::Test {
 protected:
  void SetUp() override { restart(); }

  // A fresh main window with the diagram below, its active page P2:
  //   P1: Customer, Order, CUSTOMER, Twin, Twin; relation owns.   P2: Customer, Product; relation
  //   places (whose entity Order is not on P2); event restock.    "p2": Invoice (letter case differs).
  void restart() {
    window.reset();
    window = std::make_unique<TfMain>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    panel().SetOwnPageList({"P1", "P2", "P3"});
    panel().SetActivePageName("P2");
    auto place = [this](const std::string& desc, const TEntryList& entries, int x, int y) -> TEntity& {
      panel().SetLastMouse(x, y);
      TEntity& entity = panel().CreateEntity(desc, true);
      entity.SetActivePages(entries);
      return entity;
    };
    TEntity& customer = place("Customer", {"P1 @40,40", "P2 @40,40"}, 40, 40);
    TEntity& order = place("Order", {"P1 @300,40"}, 300, 40);
    TEntity& invoice = place("Invoice", {"p2 @40,300"}, 40, 300);
    TEntity& product = place("Product", {"P2 @300,300"}, 300, 300);
    place("CUSTOMER", {"P1 @600,40"}, 600, 40);
    place("Twin", {"P1 @40,500"}, 40, 500);
    place("Twin", {"P1 @300,500"}, 300, 500);
    AddRelation(order, "places", true)->SetActivePages({"P2 @500,40"});
    AddRelation(customer, "owns", true)->SetActivePages({"P1 @200,200"});
    AddEntityEvent(product, "restock", true)->SetActivePages({"P2 @500,300"});
    AddEntityEvent(invoice, "bill", true);
    panel().ShowActivePage();
  }

  TOOAPanel& panel() { return window->panel(); }
  TEREditDlg* dialog() { return window->editorWindow().pageEditor(); }
  template <class T>
  T* control(const char* name) {
    T* found = dialog() ? dialog()->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QComboBox* pages() { return control<QComboBox>("CombPageName"); }
  QStringList listed(const char* name) { return texts(control<QListWidget>(name)); }
  TEntity* entity(const std::string& desc) { return panel().FindEntity(desc); }

  void open() {
    panel().PageEditorCommand();
    ASSERT_NE(dialog(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog()));
  }
  // "Create New Page", its box answered with text, or cancelled with none.
  void createPage(const std::optional<QString>& answer, QString* proposal = nullptr) {
    UiRobot robot;
    robot.onModal([&](QWidget* modal) {
      auto* box = qobject_cast<QInputDialog*>(modal);
      ASSERT_NE(box, nullptr);
      if (proposal) *proposal = box->textValue();
      if (!answer) return box->reject();
      box->findChild<QLineEdit*>()->setText(*answer);
      box->accept();
    });
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(robot.clean());
  }

  std::unique_ptr<TfMain> window;
};

TEST(PageEditorLayout, EveryControlStandsAsTheLayoutPlacesIt) {
  QtPlatform platform;
  TEREditDlg dialog(platform, diagramFont());
  struct Row {
    const char* name;
    const char* className;
    const char* parent;
    QRect bounds;  // empty for tabs, which their page control places
    QString caption;
    bool enabled = true;
  };
  const std::vector<Row> rows = {
      {"PageControl1", "QTabWidget", "EREditDlg", {0, 0, 239, 361}, ""},
      {"TabSheet1", "QWidget", "PageControl1", {}, "Page Editor"},
      {"GroupBox1", "QGroupBox", "TabSheet1", {0, 0, 231, 107}, "Target Page"},
      {"Panel4", "QFrame", "GroupBox1", {2, 18, 227, 87}, ""},
      {"Label1", "QLabel", "Panel4", {14, 9, 81, 16}, "Page Name "},
      {"CombPageName", "QComboBox", "Panel4", {28, 26, 192, 24}, ""},
      {"Button1", "QPushButton", "Panel4", {10, 59, 121, 25}, "Create New Page"},
      {"Button2", "QPushButton", "Panel4", {151, 59, 67, 25}, "Remove"},
      {"PageControl3", "QTabWidget", "TabSheet1", {0, 110, 231, 220}, ""},
      {"TabSheet5", "QWidget", "PageControl3", {}, "Entities"},
      {"PageEntityList", "QListWidget", "TabSheet5", {0, 0, 223, 159}, ""},
      {"Panel2", "QFrame", "TabSheet5", {0, 159, 223, 30}, ""},
      {"Button5", "QPushButton", "Panel2", {0, 4, 95, 25}, "Remove  Entity", false},
      {"TabSheet6", "QWidget", "PageControl3", {}, "Relations"},
      {"PageRelationList", "QListWidget", "TabSheet6", {0, 0, 223, 159}, ""},
      {"Panel3", "QFrame", "TabSheet6", {0, 159, 223, 30}, ""},
      {"Button6", "QPushButton", "Panel3", {-1, 4, 112, 25}, "Remove Relation", false},
      {"TabSheet7", "QWidget", "PageControl3", {}, "Events"},
      {"PageEventList", "QListWidget", "TabSheet7", {0, 0, 223, 159}, ""},
      {"Panel5", "QFrame", "TabSheet7", {0, 159, 223, 30}, ""},
      {"Button10", "QPushButton", "Panel5", {-1, 4, 112, 25}, "Remove Event", false},
      {"PageControl2", "QTabWidget", "EREditDlg", {0, 361, 239, 182}, ""},
      {"TabSheet3", "QWidget", "PageControl2", {}, "Add Objects"},
      {"ComboBox1", "QComboBox", "TabSheet3", {3, 2, 142, 24}, ""},
      {"AddObjectList", "QListWidget", "TabSheet3", {2, 30, 219, 89}, ""},
      {"Button4", "QPushButton", "TabSheet3", {2, 123, 115, 25}, "Add To Page"},
      {"TabSheet4", "QWidget", "PageControl2", {}, "Remove Objects"},
      {"GroupBox2", "QGroupBox", "TabSheet4", {0, 0, 163, 151}, "Remove Object List"},
      {"RemoveObjectList", "QListWidget", "GroupBox2", {2, 18, 159, 131}, ""},
      {"Button7", "QPushButton", "TabSheet4", {165, 15, 58, 25}, "Apply"},
      {"Button8", "QPushButton", "TabSheet4", {165, 67, 58, 25}, "Remove"},
      {"Button9", "QPushButton", "TabSheet4", {165, 118, 58, 25}, "Clear  All"},
      {"Panel1", "QFrame", "EREditDlg", {0, 543, 239, 30}, ""},
      {"OKBtn", "QPushButton", "Panel1", {162, 3, 75, 25}, "Close"},
  };
  QStringList names{"EREditDlg"};
  for (const Row& row : rows) names << QString::fromLatin1(row.name);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(row.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), row.className);
    QWidget* parent = widget->parentWidget();
    while (parent && !names.contains(parent->objectName())) parent = parent->parentWidget();
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(parent->objectName(), QString::fromLatin1(row.parent));
    if (auto* tabs = qobject_cast<QTabWidget*>(parent)) {
      EXPECT_EQ(tabs->tabText(tabs->indexOf(widget)), row.caption);
    } else {
      EXPECT_EQ(widget->geometry(), row.bounds);
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      EXPECT_EQ(button->text(), row.caption);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      EXPECT_EQ(label->text(), row.caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      EXPECT_EQ(group->title(), row.caption);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      EXPECT_FALSE(combo->isEditable());
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
      const bool multi = row.name != std::string("RemoveObjectList");
      EXPECT_EQ(list->selectionMode(),
                multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    }
    EXPECT_EQ(widget->isEnabled(), row.enabled);
    EXPECT_EQ(widget->font().family(), "DejaVu Sans");
    EXPECT_EQ(widget->font().pixelSize(), 13);
  }
  EXPECT_EQ(dialog.objectName(), "EREditDlg");
  EXPECT_EQ(dialog.windowTitle(), "OOA Diagram Editor Dialog");
  EXPECT_FALSE(dialog.isModal());
  EXPECT_EQ(dialog.size(), QSize(239, 573));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  auto* kinds = dialog.findChild<QComboBox*>("ComboBox1");
  EXPECT_EQ(texts(kinds), QStringList({"0:ALL ENTITIES", "1:ALL RELATIONS", "2:ALL EVENTS"}));
  EXPECT_EQ(kinds->currentIndex(), -1);
  for (const char* tabs : {"PageControl1", "PageControl2", "PageControl3"})
    EXPECT_EQ(dialog.findChild<QTabWidget*>(tabs)->currentIndex(), 0) << tabs;
  EXPECT_TRUE(dialog.findChild<QPushButton*>("OKBtn")->isDefault());
  // A screen reader cannot tell a list by the label beside it: each carries a name of its own.
  for (QWidget* list : dialog.findChildren<QWidget*>()) {
    if (qobject_cast<QComboBox*>(list) || qobject_cast<QListWidget*>(list)) {
      EXPECT_FALSE(list->accessibleName().isEmpty()) << list->objectName().toStdString();
    }
  }
}

// On whichever screen the main window stands, the second one too: there the primary screen's edge
// and width would put the editor and the dialogs on the other monitor.
TEST_F(PageEditorTest, OpensFromTheSurfaceMenuDockedBesideTheNarrowedMainWindow) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_GE(screens.size(), 2) << "the tests run on two screens";
  for (QScreen* screen : screens) {
    SCOPED_TRACE(screen->name().toStdString());
    restart();
    window->move(screen->availableGeometry().topLeft() + QPoint(20, 20));
    QCoreApplication::processEvents();
    ASSERT_EQ(window->screen(), screen);
    UiRobot robot;
    robot.onPopup([](QWidget* menu) { EXPECT_TRUE(UiRobot::choose(qobject_cast<QMenu*>(menu), "-> Page Editor")); });
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, window->host().mapTo(window.get(), QPoint(700, 650)));
    ASSERT_TRUE(robot.clean());
    ASSERT_NE(dialog(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog()));
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel().PageEditorShown());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the main window stays usable";

    const QRect available = screen->availableGeometry();
    const QRect outer = dialog()->frameGeometry();
    EXPECT_EQ(outer.right(), available.right());
    EXPECT_EQ(outer.top(), available.top());
    EXPECT_EQ(outer.height(), available.height());
    EXPECT_EQ(dialog()->width(), 239);
    EXPECT_EQ(window->editorWindow().ScreenWidth(), available.width());
    EXPECT_EQ(window->frameGeometry().width(), available.width() - outer.width());
    // The close bar and the object tabs keep to the bottom; the page tabs fill the rest.
    const int height = dialog()->height();
    EXPECT_EQ(control<QWidget>("Panel1")->geometry(), QRect(0, height - 30, 239, 30));
    EXPECT_EQ(control<QWidget>("PageControl2")->geometry(), QRect(0, height - 212, 239, 182));
    EXPECT_EQ(control<QWidget>("PageControl1")->geometry(), QRect(0, 0, 239, height - 212));

    // A choice dialog stands in the middle of the same screen.
    QPoint centre;
    UiRobot chooser;
    chooser.onModal([&](QWidget* modal) {
      centre = modal->frameGeometry().center();
      modal->close();
    });
    panel().SelectDisplayPage();
    EXPECT_TRUE(chooser.clean());
    EXPECT_LE((centre - screen->geometry().center()).manhattanLength(), 16) << centre.x() << "," << centre.y();
  }
}

TEST_F(PageEditorTest, OpeningSelectsTheActivePageAndListsExactlyItsObjects) {
  struct Case {
    std::string active;
    QString selected;
    std::string activeAfter;
    QStringList entities, relations, events;
  };
  const std::vector<Case> cases = {
      {"P2", "P2", "P2", {"Customer", "Product"}, {"places"}, {"restock"}},
      // The list's spelling of the page is taken: the page "p2" of Invoice's entry is not P2.
      {"p2", "P2", "P2", {"Customer", "Product"}, {"places"}, {"restock"}},
      // A page missing from the list is no page: nothing stays shown.
      {"Gone", "", "", {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.active);
    restart();
    panel().SetActivePageName(c.active);
    open();
    EXPECT_EQ(texts(pages()), QStringList({"P1", "P2", "P3"}));
    EXPECT_EQ(pages()->currentText(), c.selected);
    EXPECT_EQ(listed("PageEntityList"), c.entities);
    EXPECT_EQ(listed("PageRelationList"), c.relations);
    EXPECT_EQ(listed("PageEventList"), c.events);
    EXPECT_TRUE(listed("AddObjectList").isEmpty());
    EXPECT_EQ(panel().ActivePageName(), c.activeAfter);
    EXPECT_EQ(entity("Product")->Visible(), !c.entities.isEmpty());
    EXPECT_FALSE(entity("Invoice")->Visible());
  }
}

TEST_F(PageEditorTest, PickingAPageSwitchesTheDiagramAndRepaintsIt) {
  open();
  pick(control<QComboBox>("ComboBox1"), "0:ALL ENTITIES");
  ASSERT_EQ(listed("AddObjectList").size(), 7);
  int paints = 0;
  struct Counter : QObject {
    int* paints;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++*paints;
      return false;
    }
  } counter;
  counter.paints = &paints;
  window->host().installEventFilter(&counter);
  QCoreApplication::processEvents();
  paints = 0;

  pick(pages(), "P1");
  EXPECT_EQ(panel().ActivePageName(), "P1");
  EXPECT_EQ(panel().SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : P1");
  EXPECT_TRUE(entity("Order")->Visible());
  EXPECT_FALSE(entity("Product")->Visible());
  EXPECT_EQ(listed("PageEntityList"), QStringList({"Customer", "Order", "CUSTOMER", "Twin", "Twin"}));
  EXPECT_EQ(listed("PageRelationList"), QStringList({"owns"}));
  EXPECT_TRUE(listed("PageEventList").isEmpty());
  EXPECT_TRUE(listed("AddObjectList").isEmpty()) << "emptied until the kind is chosen again";
  EXPECT_EQ(control<QComboBox>("ComboBox1")->currentText(), "0:ALL ENTITIES");
  QCoreApplication::processEvents();
  EXPECT_GT(paints, 0) << "the diagram shows the new page";
  window->host().removeEventFilter(&counter);
}

TEST_F(PageEditorTest, CreateNewPageAddsTheAnswerWithoutSwitchingPages) {
  struct Case {
    const char* name;
    std::optional<QString> answer;
    QStringList items;
  };
  const std::vector<Case> cases = {
      {"typed", QString("Extra"), {"P1", "P2", "P3", "Extra"}},
      {"cancelled", std::nullopt, {"P1", "P2", "P3", "NewPage4"}},
      {"blank", QString("   "), {"P1", "P2", "P3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    restart();
    open();
    QString proposal;
    createPage(c.answer, &proposal);
    EXPECT_EQ(proposal, "NewPage4");
    EXPECT_EQ(texts(pages()), c.items);
    EXPECT_EQ(pages()->currentText(), "P2");
    EXPECT_EQ(panel().ActivePageName(), "P2");
    EXPECT_EQ(static_cast<qsizetype>(panel().OwnPageList().size()), c.items.size());
  }
}

TEST_F(PageEditorTest, CreateNewPageWithoutAnActivePageListsTheNewPageOnce) {
  for (const TEntryList& before : {TEntryList{}, TEntryList{"P1"}}) {
    restart();
    panel().SetOwnPageList(before);
    panel().SetActivePageName("");
    open();
    createPage(QString("Fresh"));
    QStringList expected;
    for (const std::string& page : before) expected << QString::fromStdString(page);
    expected << "Fresh";
    EXPECT_EQ(texts(pages()), expected);
    EXPECT_EQ(pages()->currentText(), "Fresh");
    EXPECT_EQ(panel().ActivePageName(), "Fresh");
  }
}

TEST_F(PageEditorTest, AddToPagePlacesOnlyTheCurrentObjectWhenItIsNotListedYet) {
  struct Case {
    QString kind;
    QString item;
    std::string changed;  // the key of the object that gains an entry; empty: nothing changes
  };
  const std::vector<Case> cases = {
      {"0:ALL ENTITIES", "Order", "E Order Entity2"},
      {"0:ALL ENTITIES", "Customer", ""},
      {"0:ALL ENTITIES", "CUSTOMER", ""},  // listed as Customer: letter case does not count here
      {"0:ALL ENTITIES", "Twin", "E Twin Entity6"},  // the first of two alike
      {"1:ALL RELATIONS", "owns", "R owns"},
      {"1:ALL RELATIONS", "places", ""},
      {"2:ALL EVENTS", "bill", "V bill"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.kind + " " + c.item).toStdString());
    restart();
    open();
    pick(control<QComboBox>("ComboBox1"), c.kind);
    auto* objects = control<QListWidget>("AddObjectList");
    // Everything selected, one item current: only that one counts.
    objects->selectAll();
    objects->setCurrentItem(objects->findItems(c.item, Qt::MatchExactly).value(0), QItemSelectionModel::NoUpdate);
    const auto before = placements(panel());
    const QStringList listedBefore = listed("PageEntityList") + listed("PageRelationList") + listed("PageEventList");
    TPlacedControl* target = nullptr;
    if (c.kind.startsWith('0')) target = panel().FindEntity(c.item.toStdString());
    if (c.kind.startsWith('1')) target = panel().FindRelation(c.item.toStdString());
    if (c.kind.startsWith('2')) target = panel().FindEntityEvent(c.item.toStdString());
    ASSERT_NE(target, nullptr);
    const std::string entry = MakeEntry("P2", target->Left(), target->Top());

    const long long recorded = panel().History().Recorded();
    QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
    EXPECT_EQ(panel().History().Recorded() - recorded, c.changed.empty() ? 0 : 1) << "one step, or none";
    auto expected = before;
    if (!c.changed.empty()) expected[c.changed].push_back(entry);
    EXPECT_EQ(placements(panel()), expected);
    EXPECT_EQ(target->Visible(), target->IsOnPage("P2")) << "shown where it stands";
    EXPECT_EQ(listed("PageEntityList") + listed("PageRelationList") + listed("PageEventList"), listedBefore)
        << "the page's lists wait for the next reload";
    panel().RefreshPageEditor();
    const QStringList reloaded = listed("PageEntityList") + listed("PageRelationList") + listed("PageEventList");
    EXPECT_EQ(reloaded.contains(c.item), !c.changed.empty() || c.item != "CUSTOMER");
    if (c.changed.empty()) continue;
    EXPECT_EQ(panel().History().UndoName(), "Add " + c.item.toStdString() + " to Page P2");
    panel().UndoCommand();
    EXPECT_EQ(placements(panel()), before) << "undone";
  }
}

TEST_F(PageEditorTest, AddToPageStopsWithoutACurrentItemOrAPage) {
  open();
  pick(control<QComboBox>("ComboBox1"), "0:ALL ENTITIES");
  auto* objects = control<QListWidget>("AddObjectList");
  const auto before = placements(panel());
  objects->setCurrentItem(nullptr);
  QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
  EXPECT_EQ(placements(panel()), before) << "no current item";
  objects->setCurrentRow(1);  // Order
  pages()->setCurrentIndex(-1);
  QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
  EXPECT_EQ(placements(panel()), before) << "no page";
}

TEST_F(PageEditorTest, ButtonsWithoutCommandsChangeNothingAndRemoveButtonsStayDisabled) {
  open();
  pick(control<QComboBox>("ComboBox1"), "0:ALL ENTITIES");
  const auto before = placements(panel());
  const QStringList lists = listed("PageEntityList") + listed("AddObjectList");
  auto* objectTabs = control<QTabWidget>("PageControl2");
  auto* pageTabs = control<QTabWidget>("PageControl3");
  QTest::mouseClick(control<QPushButton>("Button2"), Qt::LeftButton);
  clickTab(objectTabs, 1);
  for (const char* name : {"Button7", "Button8", "Button9"})
    QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton);
  for (int objectTab : {1, 0})
    for (int pageTab : {0, 1, 2, 0}) {
      clickTab(objectTabs, objectTab);
      clickTab(pageTabs, pageTab);
      for (const char* name : {"Button5", "Button6", "Button10"})
        EXPECT_FALSE(control<QPushButton>(name)->isEnabled()) << name << " on tabs " << objectTab << pageTab;
    }
  EXPECT_EQ(placements(panel()), before);
  EXPECT_EQ(listed("PageEntityList") + listed("AddObjectList"), lists);
  EXPECT_EQ(texts(pages()), QStringList({"P1", "P2", "P3"}));
  EXPECT_EQ(panel().ActivePageName(), "P2");
  EXPECT_TRUE(dialog()->isVisible());
}

TEST_F(PageEditorTest, ClosingAnyWayUnbindsAndTheNextCommandOpensAFreshDialog) {
  const std::vector<std::pair<const char*, std::function<void(TEREditDlg*)>>> ways = {
      {"close button", [](TEREditDlg* d) { QTest::mouseClick(d->findChild<QPushButton*>("OKBtn"), Qt::LeftButton); }},
      {"escape", [](TEREditDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }},
      {"title bar", [](TEREditDlg* d) { d->close(); }},
  };
  for (const auto& [way, close] : ways) {
    SCOPED_TRACE(way);
    restart();
    open();
    const QPointer<TEREditDlg> first = dialog();
    panel().PageEditorCommand();
    EXPECT_EQ(dialog(), first.data()) << "an open editor stays as it is";
    close(first);
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(first->IsBound());
    EXPECT_FALSE(panel().PageEditorShown());

    panel().SetActivePageName("P1");
    open();
    EXPECT_TRUE(first.isNull()) << "the closed dialog is freed";
    EXPECT_TRUE(dialog()->IsBound());
    EXPECT_TRUE(panel().PageEditorShown());
    EXPECT_EQ(pages()->currentText(), "P1");
    EXPECT_EQ(listed("PageRelationList"), QStringList({"owns"}));
  }
}

TEST_F(PageEditorTest, ChangesMadeThroughTheMenusReloadTheOpenEditor) {
  open();
  TEntity* product = entity("Product");
  panel().SetSelectedEntity(product);
  product->Menu().Find("-> (*)Remove This Entity")->Click();
  EXPECT_EQ(listed("PageEntityList"), QStringList({"Customer"}));
  EXPECT_TRUE(listed("PageEventList").isEmpty()) << "the entity's event went with it";
  panel().SurfaceMenu().Find("-> Close Diagram ")->Click();
  EXPECT_TRUE(texts(pages()).isEmpty());
  EXPECT_TRUE(listed("PageEntityList").isEmpty());
  EXPECT_TRUE(listed("PageRelationList").isEmpty());
}

// Every change of the page list made from the surface menu reloads the open editor, so that its
// page list is the diagram's and "Add To Page" writes entries for a page that exists.
TEST_F(PageEditorTest, EveryChangeOfThePageListReloadsTheOpenEditor) {
  open();
  auto type = [](const char* text) {
    return [text](QWidget* modal) {
      modal->findChild<QLineEdit*>()->setText(text);
      qobject_cast<QDialog*>(modal)->accept();
    };
  };
  const auto remove = [](QWidget* modal) { modal->findChild<QPushButton*>("CloseButton")->click(); };
  const std::tuple<const char*, UiRobot::Step, QStringList> steps[] = {
      {"-> Current Page Rename", type("Summary"), {"P1", "Summary", "P3"}},
      {"-> Create New Page", type("Extra"), {"P1", "Summary", "P3", "Extra"}},
      {"-> Remove Exists Page", remove, {"P1", "P3", "Extra"}},  // the active page, preselected
      {"-> Remove Exists Page", remove, {"P3", "Extra"}},
      {"-> Remove Exists Page", remove, {"Extra"}},
      {"-> Remove Exists Page", remove, {}},
  };
  for (const auto& [command, answer, listedPages] : steps) {
    UiRobot robot;
    robot.onModal(answer);
    panel().SurfaceMenu().Find(command)->Click();
    EXPECT_TRUE(robot.clean()) << command;
    EXPECT_EQ(texts(pages()), listedPages) << command;
    EXPECT_EQ(pages()->currentText().toStdString(), panel().ActivePageName()) << command;
    if (texts(pages()).contains("Summary")) {
      pick(control<QComboBox>("ComboBox1"), "0:ALL ENTITIES");
      control<QListWidget>("AddObjectList")->setCurrentRow(1);  // Order
      QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
      EXPECT_EQ(entity("Order")->ActivePages(), (TEntryList{"P1 @300,40", "Summary @300,40"}));
    }
  }
  EXPECT_EQ(panel().SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : EMPTY");
}

// A load creates every box before it reads the box's entries: the open editor is reloaded once the
// diagram is whole, and lists every event of the page.
TEST_F(PageEditorTest, ALoadReloadsTheOpenEditorWithTheWholeDiagram) {
  open();
  QTemporaryDir folder;
  QFile file(folder.filePath("Two.ERD"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("@ERDIAGRAM\r\n OWNPAGE=Two\r\n ACTIVEPAGE=Two\r\n @ENTITY\r\n  NAME=A\r\n #ENTITY\r\n"
             "  @ENTITYEVENT\r\n   EVTOWNERENTITY=A\r\n   DESC=first\r\n   DISPLAYPAGE=Two @200,10\r\n  #ENTITYEVENT\r\n"
             "  @ENTITYEVENT\r\n   EVTOWNERENTITY=A\r\n   DESC=second\r\n   DISPLAYPAGE=Two @200,80\r\n  #ENTITYEVENT\r\n#ERDIAGRAM\r\n");
  file.close();
  panel().OpenDiagramFile(file.fileName().toStdString());
  EXPECT_EQ(texts(pages()), QStringList({"Two"}));
  EXPECT_EQ(listed("PageEventList"), QStringList({"first", "second"}));
}

TEST(PageEditorLife, DestroyingAPanelFreesOnlyTheEditorBoundToIt) {
  QtPlatform platform;
  QtEditorWindow editors(platform);
  auto bound = std::make_unique<TOOAPanel>(platform);
  auto other = std::make_unique<TOOAPanel>(platform);
  for (TOOAPanel* panel : {bound.get(), other.get()}) panel->SetEditorWindow(&editors);
  bound->SetOwnPageList({"P1"});
  bound->SetActivePageName("P1");
  bound->PageEditorCommand();
  const QPointer<TEREditDlg> editor = editors.pageEditor();
  ASSERT_FALSE(editor.isNull());
  other.reset();
  ASSERT_FALSE(editor.isNull()) << "the editor serves another panel";
  EXPECT_EQ(editor->EditorPanel(), bound.get());
  bound.reset();
  EXPECT_TRUE(editor.isNull());
  EXPECT_EQ(editors.pageEditor(), nullptr);
  editors.RefreshPageEditor();
  QCoreApplication::processEvents();  // the docking that waited for the frame finds nothing
}

TEST_F(PageEditorTest, ClosingTheMainWindowWithTheEditorOpenFreesBoth) {
  open();
  const QPointer<TEREditDlg> editor = dialog();
  window.reset();
  EXPECT_TRUE(editor.isNull());
  QCoreApplication::processEvents();
}

// A platform whose host fails at the next repaint request, as a broken service would.
class FailingPlatform : public QtPlatform {
 public:
  bool fail = false;
  void Invalidate(Control& control) override {
    if (fail) throw EToolkitError("Canvas does not allow drawing");
    QtPlatform::Invalidate(control);
  }
};

TEST(PageEditorErrors, AnErrorInAHandlerIsShownAndTheEditorGoesOn) {
  FailingPlatform platform;
  QtEditorWindow editors(platform);
  TOOAPanel panel(platform);
  panel.SetEditorWindow(&editors);
  panel.SetOwnPageList({"P1", "P2"});
  panel.SetActivePageName("P1");
  panel.PageEditorCommand();
  TEREditDlg* editor = editors.pageEditor();
  ASSERT_NE(editor, nullptr);
  QString shown;
  UiRobot robot;
  robot.onModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    shown = box->text();
    box->accept();
  });
  platform.fail = true;
  pick(editor->findChild<QComboBox*>("CombPageName"), "P2");
  platform.fail = false;
  EXPECT_TRUE(robot.clean());
  EXPECT_EQ(shown, "Canvas does not allow drawing");
  EXPECT_TRUE(editor->IsBound());
  pick(editor->findChild<QComboBox*>("CombPageName"), "P1");
  EXPECT_EQ(panel.ActivePageName(), "P1");
}
}  // namespace
