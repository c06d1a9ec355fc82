// The main window and the diagram host driven as a user drives them, offscreen: painting, popup
// menus through the window, drag and drop of boxes, and errors raised by the diagram.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QInputDialog>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "diagram_host.h"
#include "diagram_status_bar.h"
#include "diagram_view.h"
#include "entity_event.h"
#include "entity.h"
#include "find_bar.h"
#include "in_place_editor.h"
#include "main_window.h"
#include "method.h"
#include "ooa_panel.h"
#include "popup_menu.h"
#include "property.h"
#include "qt_bitmap.h"
#include "relation.h"
#include "ui_robot.h"

namespace {
// A control of the test's own, to see what the host delivers and to provoke what the diagram's
// controls rarely do (errors, dying in the middle of things).
class Probe : public Control {
 public:
  struct Press {
    TMouseButton button;
    int x, y;
    friend bool operator==(const Press&, const Press&) = default;
  };
  std::vector<Press> presses;
  int drops = 0;
  bool dragOnPress = false;
  bool acceptDrops = false;
  std::string pressError, dropError;
  PopupMenu ownMenu;

  void MouseDown(TMouseButton button, TShiftState, int x, int y) override {
    presses.push_back({button, x, y});
    if (!pressError.empty()) throw std::runtime_error(pressError);
    if (dragOnPress && button == TMouseButton::Left) BeginDrag();
  }
  void DragOver(Control&, int, int, TDragState, bool& accept) override { accept = acceptDrops; }
  void DragDrop(Control&, int, int) override {
    if (!dropError.empty()) throw std::runtime_error(dropError);
    ++drops;
  }
};

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TfMain>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    probes.clear();
    window.reset();
  }

  TOOAPanel& panel() { return window->panel(); }
  DiagramHost& host() { return window->host(); }
  QWindow* handle() { return window->windowHandle(); }
  const TViewZoom& zoom() { return host().controls().Zoom(); }
  // Where a point or a box of the panel stands on the host at its zoom.
  QPoint inHost(int x, int y) { return QPoint(zoom().ToWindow(x), zoom().ToWindow(y)); }
  QRect inHost(const QRect& box) {
    const TRect shown = zoom().ToWindow(TRect{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()});
    return QRect(shown.Left, shown.Top, shown.Width(), shown.Height());
  }
  // A point of the panel in the window's coordinates, the view scrolled to show it.
  QPoint at(int x, int y) {
    const QPoint shown = inHost(x, y);
    window->view().ensureVisible(shown.x(), shown.y(), 60, 60);
    return host().mapTo(window.get(), shown);
  }
  void rightClick(int x, int y) { QTest::mouseClick(handle(), Qt::RightButton, {}, at(x, y)); }
  void drag(QPoint from, QPoint to) {
    QTest::mousePress(handle(), Qt::LeftButton, {}, at(from.x(), from.y()));
    QTest::mouseMove(handle(), at(to.x(), to.y()));
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, at(to.x(), to.y()));
  }
  TColor pixel(int x, int y) {
    const QRgb rgb = host().grab(QRect(inHost(x, y), QSize(1, 1))).toImage().pixel(0, 0);
    return MakeColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
  }
  Probe& addProbe(int left, int top, int width, int height, Control* parent = nullptr) {
    probes.push_back(std::make_unique<Probe>());
    probes.back()->SetBounds(left, top, width, height);
    probes.back()->SetParent(parent ? parent : &panel());
    return *probes.back();
  }
  // An entity on an active page, made through the diagram itself.
  TEntity& addEntity(const std::string& desc, int x, int y) {
    panel().SetOwnPageList({"Main"});
    panel().SetActivePageName("Main");
    panel().SetLastMouse(x, y);
    return panel().CreateEntity(desc, false);
  }

  std::unique_ptr<TfMain> window;
  std::vector<std::unique_ptr<Probe>> probes;
};

TEST_F(HostTest, MainWindowHoldsThePanelInAScrollBoxDockedAtTheLeftEdge) {
  EXPECT_EQ(window->objectName(), "fMain");
  EXPECT_EQ(window->windowTitle(), "Quorvane Beta Version");
  auto* scrollBox = window->findChild<QScrollArea*>("ScrollBox1");
  ASSERT_NE(scrollBox, nullptr);
  EXPECT_EQ(scrollBox->widget(), window->findChild<DiagramHost*>("OOAPanel1"));
  // The status line under it takes its height alone.
  auto* statusBar = window->findChild<QStatusBar*>("StatusBar");
  ASSERT_NE(statusBar, nullptr);
  EXPECT_EQ(scrollBox->geometry(), window->rect().adjusted(0, 0, 0, -statusBar->height()));
  EXPECT_EQ(statusBar->geometry(), window->rect().adjusted(0, scrollBox->height(), 0, 0));
  EXPECT_EQ(host().size(), QSize(2048, 2048));
  EXPECT_EQ(host().minimumSize(), host().maximumSize());
  EXPECT_EQ(panel().EntityPopList(), std::vector<std::string>{"Add New Property"});
  const QRect available = window->screen()->availableGeometry();
  EXPECT_EQ(window->width(), 792);
  EXPECT_EQ(window->frameGeometry().topLeft(), available.topLeft());
  EXPECT_EQ(window->frameGeometry().height(), available.height());
  EXPECT_FALSE(window->windowIcon().pixmap(32, 32).isNull());
}

TEST_F(HostTest, PaintsThePanelsBevelledWhiteFaceAndItsBoxes) {
  TEntity& entity = addEntity("Customer", 40, 50);
  QCoreApplication::processEvents();
  const int right = 40 + entity.Width() - 1;
  const std::vector<std::tuple<int, int, TColor>> pixels = {
      {0, 0, clrGray},       {100, 0, clrGray},      {0, 100, clrGray},        // outer bevel, top and left
      {100, 1, clrWhite},    {150, 250, clrWhite},                             // inner bevel, face
      {2047, 2042, clrWhite}, {2046, 2042, clrGray}, {2042, 2046, clrGray},    // right and bottom bevels
      {2047, 2047, clrWhite},
      {40, 60, clrBlack},    {right, 60, clrBlack},  {41, 51, TEntity::Colour}, {right + 1, 60, clrWhite},
  };
  for (const auto& [x, y, expected] : pixels) EXPECT_EQ(pixel(x, y), expected) << x << "," << y;
}

TEST_F(HostTest, RightClickOnTheSurfaceShowsItsMenuAndRunsTheChosenCommand) {
  QStringList expected;
  for (const std::string& caption : panel().SurfaceMenu().Captions()) expected << QString::fromStdString(caption);
  ASSERT_EQ(expected.value(0), "ER DIAGRAM MENU   ->PAGE : EMPTY");
  QStringList shown, asked;
  UiRobot robot;
  robot
      .onPopup([&](QWidget* popup) {
        auto* menu = qobject_cast<QMenu*>(popup);
        shown = UiRobot::actionTexts(menu);
        // Greyed on a new diagram, with nothing to take back or do again, at 100 %: undo, redo and
        // the zoom back to 100 % alone.
        for (QAction* action : menu->actions())
          EXPECT_EQ(action->isEnabled(), !action->text().startsWith("-> Undo") && !action->text().startsWith("-> Redo") &&
                                             !action->text().startsWith("-> Zoom 100"))
              << action->text().toStdString();
        EXPECT_TRUE(UiRobot::choose(menu, "-> Create New Page"));
      })
      .onModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        asked << dialog->windowTitle() << dialog->labelText() << dialog->textValue();
        dialog->findChild<QLineEdit*>()->setText("Orders");
        dialog->accept();
      });
  rightClick(300, 200);
  EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString();
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(asked, QStringList({"Create New Page", "Input New Page's Name :", "NewPage1"}));
  EXPECT_EQ(panel().OwnPageList(), std::vector<std::string>{"Orders"});
  EXPECT_EQ(panel().ActivePageName(), "Orders");
}

TEST_F(HostTest, RightClickGoesToTheControlAndOpensTheNearestMenuAsWritten) {
  Probe& outer = addProbe(100, 100, 120, 80);
  Probe& inner = addProbe(10, 20, 40, 30, &outer);
  int counted = 0;
  outer.ownMenu.Add("Probe & Co");
  outer.ownMenu.Add("-");
  outer.ownMenu.Add("Count", [&] { ++counted; });
  outer.ownMenu.Add("Grow Panel", [&] { panel().SetBounds(0, 0, 2100, 2048); });
  PopupMenu& more = outer.ownMenu.AddSubmenu("More");
  more.Add("Count Twice", [&] { counted += 2; });
  outer.SetPopupMenu(&outer.ownMenu);
  // Choosing: a caption without a command does nothing; a command runs once the menu is closed,
  // also from a submenu; the host follows a panel that a command resized.
  const std::vector<std::tuple<QString, int, QSize>> cases = {{"Probe && Co", 0, {2048, 2048}},
                                                              {"Count", 1, {2048, 2048}},
                                                              {"More/Count Twice", 3, {2048, 2048}},
                                                              {"Grow Panel", 3, {2100, 2048}}};
  for (const auto& [choice, expectedCount, hostSize] : cases) {
    inner.presses.clear();
    QStringList shown;
    UiRobot robot;
    robot.onPopup([&](QWidget* popup) {
      shown = UiRobot::actionTexts(qobject_cast<QMenu*>(popup));
      EXPECT_TRUE(UiRobot::choose(qobject_cast<QMenu*>(popup), choice));
    });
    rightClick(115, 125);
    EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString();
    EXPECT_EQ(shown, QStringList({"Probe && Co", "-", "Count", "Grow Panel", "More"}));
    EXPECT_EQ(inner.presses, (std::vector<Probe::Press>{{TMouseButton::Right, 5, 5}}));
    EXPECT_TRUE(outer.presses.empty());
    EXPECT_EQ(counted, expectedCount) << choice.toStdString();
    EXPECT_EQ(host().size(), hostSize) << choice.toStdString();
  }
}

TEST_F(HostTest, AContextMenuEventWithoutAPressSelectsAndOpensTheMenuToo) {
  // The menu key, or a context menu event from elsewhere: the control gets its press first, so
  // that the menu's commands act on what is under the pointer.
  Probe& probe = addProbe(100, 100, 60, 40);
  int counted = 0;
  probe.ownMenu.Add("Count", [&] { ++counted; });
  probe.SetPopupMenu(&probe.ownMenu);
  UiRobot robot;
  robot.onPopup([](QWidget* popup) { UiRobot::choose(qobject_cast<QMenu*>(popup), "Count"); });
  QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(110, 120), host().mapToGlobal(QPoint(110, 120)));
  QApplication::sendEvent(&host(), &event);
  EXPECT_TRUE(robot.clean());
  EXPECT_EQ(probe.presses, (std::vector<Probe::Press>{{TMouseButton::Right, 10, 20}}));
  EXPECT_EQ(counted, 1);
}

TEST_F(HostTest, ACommandMayDestroyTheControlWhoseMenuRanIt) {
  // The menu belongs to the probe: the command destroys the very item it was started from.
  Probe& probe = addProbe(100, 100, 60, 40);
  probe.ownMenu.Add("Remove Me", [this] { probes.clear(); });
  probe.SetPopupMenu(&probe.ownMenu);
  UiRobot robot;
  robot.onPopup([](QWidget* popup) { UiRobot::choose(qobject_cast<QMenu*>(popup), "Remove Me"); });
  rightClick(110, 110);
  EXPECT_TRUE(robot.clean());
  EXPECT_TRUE(panel().Children().empty());
  // The spot is empty surface again.
  QString first;
  UiRobot again;
  again.onPopup([&](QWidget* popup) {
    first = qobject_cast<QMenu*>(popup)->actions().value(0)->text();
    popup->close();
  });
  rightClick(110, 110);
  EXPECT_TRUE(again.clean());
  EXPECT_EQ(first, "ER DIAGRAM MENU   ->PAGE : EMPTY");
  EXPECT_EQ(pixel(110, 110), clrWhite);
}

TEST_F(HostTest, TheWindowsKeysTakeARemovalBackAndDoItAgain) {
  TEntity& entity = addEntity("Customer", 40, 50);
  const long long serial = entity.Serial();
  QCoreApplication::processEvents();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  UiRobot robot;
  robot.onPopup([](QWidget* popup) { UiRobot::choose(qobject_cast<QMenu*>(popup), "-> (*)Remove This Entity"); });
  rightClick(45, 52);
  ASSERT_TRUE(robot.clean());
  ASSERT_TRUE(panel().Entities().empty());
  // The window's keys reach it while it is the active window, which the closed menu hands back in
  // its own time.
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const auto press = [this](Qt::KeyboardModifiers modifiers, Qt::Key key) {
    QTest::keyClick(window.get(), key, modifiers);
    QCoreApplication::processEvents();
  };
  const struct {
    Qt::KeyboardModifiers modifiers;
    Qt::Key key;
    bool shown;
  } keys[] = {
      {Qt::ControlModifier, Qt::Key_Z, true},
      {Qt::ControlModifier, Qt::Key_Y, false},
      {Qt::ControlModifier, Qt::Key_Z, true},
      {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z, false},
      {Qt::ControlModifier, Qt::Key_Z, true},
      {Qt::NoModifier, Qt::Key_Delete, false},  // the selected entity, as its menu's removal
      {Qt::ControlModifier, Qt::Key_Z, true},
  };
  for (const auto& [modifiers, key, shown] : keys) {
    press(modifiers, key);
    ASSERT_EQ(panel().Entities().size(), shown ? 1u : 0u) << QKeySequence(modifiers | key).toString().toStdString();
    // Back as it was when removed: selected, since the press that opened its menu selected it.
    EXPECT_EQ(pixel(41, 51), shown ? TEntity::SelectedColour : clrWhite);
    if (shown) {
      EXPECT_EQ(panel().Entities()[0]->Serial(), serial);
    }
  }
  panel().SetSelectedEntity(nullptr);
  press(Qt::NoModifier, Qt::Key_Delete);
  EXPECT_EQ(panel().Entities().size(), 1u) << "nothing selected, nothing removed";
}

TEST_F(HostTest, TheFindBarFindsAsYouTypeGoesOnWithItsKeysAndHandsTheKeyboardBack) {
  TEntity& order = addEntity("Order", 300, 60);
  addEntity("Customer", 40, 50);
  TEntity& far = addEntity("Customer Order", 40, 50);
  panel().SetOwnPageList({"Main", "Far"});
  far.SetActivePages({"Far @1700,1800"});
  panel().ShowActivePage();
  panel().SetSelectedEntity(nullptr);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  FindBar& bar = window->findBar();
  QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(bar.isVisible());
  ASSERT_EQ(QApplication::focusWidget(), &bar.textField());
  // Each key with the match it goes to; the keys reach the window while the bar holds the keyboard.
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString typed, count, page;
    TEntity* selected;
  } steps[] = {
      {Qt::Key_unknown, {}, "ORDER", "1 of 2", "Main", &order},
      {Qt::Key_Return, {}, "", "2 of 2", "Far", &far},
      {Qt::Key_F3, {}, "", "1 of 2", "Main", &order},
      {Qt::Key_F3, Qt::ShiftModifier, "", "2 of 2", "Far", &far},
      {Qt::Key_unknown, {}, "x", "No match", "Far", &far},
      {Qt::Key_Backspace, {}, "", "2 of 2", "Far", &far},
  };
  for (const auto& step : steps) {
    if (!step.typed.isEmpty()) QTest::keyClicks(&bar.textField(), step.typed);
    if (step.key != Qt::Key_unknown) QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
    EXPECT_EQ(bar.countText(), step.count) << step.count.toStdString();
    EXPECT_EQ(panel().ActivePageName(), step.page.toStdString());
    EXPECT_EQ(panel().SelectedEntity(), step.selected);
    const QRect shown = inHost(QRect(step.selected->Left(), step.selected->Top(), step.selected->Width(), 20));
    EXPECT_TRUE(QRect(QPoint(), window->view().viewport()->size()).contains(host().mapTo(window->view().viewport(), shown.topLeft())));
  }
  QTest::keyClick(&bar.textField(), Qt::Key_Escape);
  EXPECT_FALSE(bar.isVisible());
  EXPECT_EQ(QApplication::focusWidget(), &host());
}

TEST_F(HostTest, TheStatusLineFollowsTheDiagramAndTheGreyBesideTheSurfaceOpensItsMenu) {
  QTemporaryDir copies;
  window->keepRecoveryCopies(copies.path().toStdString() + "/");  // listens to the same changes
  const DiagramStatusBar& status = window->statusBar();
  EXPECT_EQ(status.texts(), QStringList({"No file", "No unsaved changes", "No page", "Zoom 100 %", "Nothing selected"}));
  panel().EditAll("Create Entity", [&] { addEntity("Customer", 40, 50); });
  window->findBar().textField().setText("cust");
  window->view().zoomTo(250, QPoint());
  EXPECT_EQ(status.texts(), QStringList({"No file", "Unsaved changes", "Page: Main", "Zoom 25 %", "1 object selected"}));
  panel().SetDiagramFile("/tmp/Shop.ERD");
  panel().History().MarkClean();
  EXPECT_EQ(status.texts().mid(0, 2), QStringList({"/tmp/Shop.ERD", "No unsaved changes"}));

  // A right click on the grey beside the page at 25 %, the Menu key and Shift+F10: the surface's menu.
  QStringList titles;
  UiRobot robot;
  for (int i = 0; i < 3; ++i)
    robot.onPopup([&](QWidget* popup) {
      titles << qobject_cast<QMenu*>(popup)->actions().value(0)->text();
      popup->close();
    });
  QWidget& viewport = *window->view().viewport();
  ASSERT_FALSE(host().geometry().contains(QPoint(700, 300)));
  QTest::mouseClick(handle(), Qt::RightButton, {}, viewport.mapTo(window.get(), QPoint(700, 300)));
  for (const QKeyCombination key : {QKeyCombination(Qt::Key_Menu), Qt::SHIFT | Qt::Key_F10}) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), key.key(), key.keyboardModifiers());
  }
  EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString();
  EXPECT_EQ(titles, QStringList(3, "ER DIAGRAM MENU   ->PAGE : Main"));
}

// The file keys run the menu's commands, with their dialogs; the keyboard scrolls the surface.
TEST_F(HostTest, TheFileKeysRunTheirCommandsAndTheKeyboardScrolls) {
  const std::string folder = QDir::tempPath().toStdString() + "/quorvane-keys-" + std::to_string(QCoreApplication::applicationPid());
  QDir().mkpath(QString::fromStdString(folder));
  panel().SetDiagramFolder(folder + "/");
  panel().SetDiagramName("Keys");
  panel().SetDiagramFile(folder + "/Keys.ERD");
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  {
    UiRobot guard(2000);  // nothing is asked
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(guard.clean()) << guard.unexpected().join(",").toStdString();
  }
  EXPECT_TRUE(QFile::exists(QString::fromStdString(folder + "/Keys.ERD"))) << "Ctrl+S saves the diagram's file";
  QDir(QString::fromStdString(folder)).removeRecursively();
  QStringList dialogs;
  UiRobot robot;
  for (int i = 0; i < 2; ++i)
    robot.onModal([&](QWidget* modal) {
      dialogs << modal->metaObject()->className();
      modal->close();
    });
  for (const QKeyCombination key : {Qt::CTRL | Qt::SHIFT | Qt::Key_S, Qt::CTRL | Qt::Key_O}) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), key.key(), key.keyboardModifiers());
  }
  EXPECT_TRUE(robot.clean());
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(dialogs, QStringList({"QFileDialog", "QFileDialog"}));
  QScrollBar& down = *window->scrollBox().verticalScrollBar();
  QScrollBar& across = *window->scrollBox().horizontalScrollBar();
  const struct {
    Qt::Key key;
    int vertical;
    int horizontal;
  } steps[] = {
      {Qt::Key_Down, down.singleStep(), 0},
      {Qt::Key_PageDown, down.singleStep() + down.pageStep(), 0},
      {Qt::Key_Up, down.pageStep(), 0},
      {Qt::Key_Right, down.pageStep(), across.singleStep()},
      {Qt::Key_End, down.maximum(), across.singleStep()},
      {Qt::Key_PageUp, down.maximum() - down.pageStep(), across.singleStep()},
      {Qt::Key_Left, down.maximum() - down.pageStep(), 0},
      {Qt::Key_Home, 0, 0},
  };
  for (const auto& [key, vertical, horizontal] : steps) {
    QTest::keyClick(window.get(), key);
    EXPECT_EQ(down.value(), vertical) << QKeySequence(key).toString().toStdString();
    EXPECT_EQ(across.value(), horizontal) << QKeySequence(key).toString().toStdString();
  }
}

// The same at every zoom: the pointer's place in the panel is what counts.
class ZoomedHostTest : public HostTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    window->view().zoomTo(GetParam(), QPoint());
    ASSERT_EQ(zoom().PerMille(), GetParam());
  }
};
INSTANTIATE_TEST_SUITE_P(Zooms, ZoomedHostTest, ::testing::Values(500, 1000, 2000));

TEST_P(ZoomedHostTest, DraggingAnEntityMovesItOnlyWhereADropIsTaken) {
  TEntity& entity = addEntity("Customer", 40, 50);
  ASSERT_EQ(entity.ActivePages(), std::vector<std::string>{"Main @40,50"});
  const QSize size(entity.Width(), entity.Height());
  QTest::mousePress(handle(), Qt::LeftButton, {}, at(60, 60));
  ASSERT_TRUE(host().isDragging());
  EXPECT_EQ(panel().SelectedEntity(), &entity);
  // The outline follows the pointer, the entity held where it was pressed (20,10 into it); the cursor
  // tells whether a drop is taken there: on the surface, not on the entity itself.
  const QPoint grab(20, 10);
  const std::vector<std::tuple<QPoint, Qt::CursorShape>> moves = {
      {{200, 150}, Qt::DragMoveCursor}, {{70, 62}, Qt::ForbiddenCursor}, {{400, 350}, Qt::DragMoveCursor}};
  for (const auto& [point, cursor] : moves) {
    QTest::mouseMove(handle(), at(point.x(), point.y()));
    EXPECT_EQ(host().cursor().shape(), cursor) << point.x() << "," << point.y();
    EXPECT_EQ(host().dragOutline(), inHost(QRect(point - grab, size)));
  }
  EXPECT_EQ(entity.Left(), 40) << "nothing moves before the drop";
  // Dotted black and white: one of two neighbours is black.
  const QImage corner = host().grab(QRect(inHost(380, 340), QSize(2, 1))).toImage();
  EXPECT_TRUE(corner.pixel(0, 0) == qRgb(0, 0, 0) || corner.pixel(1, 0) == qRgb(0, 0, 0)) << "the outline is drawn where it lands";

  QTest::mouseRelease(handle(), Qt::LeftButton, {}, at(300, 250));
  EXPECT_FALSE(host().isDragging());
  EXPECT_FALSE(host().testAttribute(Qt::WA_SetCursor)) << "the drag cursor is gone";
  EXPECT_EQ(pixel(380, 340), clrWhite) << "the outline is gone";
  EXPECT_EQ(QPoint(entity.Left(), entity.Top()), QPoint(280, 240)) << "where the outline showed it";
  EXPECT_EQ(entity.ActivePages(), std::vector<std::string>{"Main @280,240"});

  // Pressing and releasing on the entity is a click: it moves nothing.
  drag({310, 260}, {310, 260});
  EXPECT_EQ(QPoint(entity.Left(), entity.Top()), QPoint(280, 240));
  EXPECT_EQ(entity.ActivePages(), std::vector<std::string>{"Main @280,240"});
}

TEST_F(HostTest, ADropOnARowOfTheDraggedEntityGoesToTheRow) {
  TEntity& entity = addEntity("Order", 40, 50);
  TMethod* pay = AddMethod(entity, "Pay", true);
  TMethod* ship = AddMethod(entity, "Ship", true);
  const auto middleOf = [](const TMethod& row) {
    return QPoint(row.OriginInRoot().X + 10, row.OriginInRoot().Y + row.Height() / 2);
  };
  QStringList asked;
  UiRobot robot;
  robot.onModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    asked << box->text() << box->windowTitle();
    box->button(QMessageBox::Yes)->click();
  });
  // Pressing a method row selects it and drags its entity; releasing over another row of the same
  // entity asks whether the first calls the second.
  drag(middleOf(*pay), middleOf(*ship));
  EXPECT_TRUE(robot.clean());
  EXPECT_EQ(asked, QStringList({"Define Method (Pay) Call \"Ship\" ??", "Define Method Dialog"}));
  EXPECT_EQ(pay->CallMethod(), ship);
  EXPECT_EQ(entity.Left(), 40);
}

TEST_P(ZoomedHostTest, DroppingAPropertyRowOnARelationLinksItAndDrawsTheLine) {
  TEntity& customer = addEntity("Customer", 40, 50);
  TProperty* custNo = AddProperty(customer, "CustNo", true);
  TRelation* relation = AddRelation(customer, "places", false);
  panel().DragDrop(*relation, 400, 300);
  const QPoint row(custNo->OriginInRoot().X + 10, custNo->OriginInRoot().Y + custNo->Height() / 2);
  const QPoint box(relation->Left() + 20, relation->Top() + 12);
  QStringList asked;
  UiRobot robot;
  robot.onModal([&](QWidget* modal) {
    auto* question = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(question, nullptr);
    asked << question->text() << question->windowTitle();
    question->button(QMessageBox::Yes)->click();
  });
  drag(row, box);
  EXPECT_TRUE(robot.clean());
  EXPECT_EQ(asked, QStringList({"Define Source Property \"CustNo\" ??", "Define Relation Dialog"}));
  EXPECT_EQ(relation->SourceProperty(), custNo);
  EXPECT_EQ(QPoint(customer.Left(), customer.Top()), QPoint(40, 50)) << "the entity stays where it was";
  QCoreApplication::processEvents();
  // The red line leaves the box's left point 10 pixels to the left.
  const TAnchorPoints anchors = relation->Anchors();
  EXPECT_EQ(pixel(anchors.LeftX - 5, anchors.Y), clrRed);
  // The picture the file commands write is the diagram's, whatever the view's zoom.
  const auto picture = [&] {
    panel().DrawToBitmap();
    return dynamic_cast<QtBitmap&>(*panel().GetBitmap()).image().copy();
  };
  const QImage zoomed = picture();
  window->view().zoomTo(TViewZoom::Actual, QPoint());
  EXPECT_TRUE(picture() == zoomed);
}

// A double-click renames a row in place and F2 what was pressed last: the editor stands over the
// text at the zoom, Enter keeps what was typed as the menu's step, Escape keeps nothing, and the
// focus goes back to the surface. A row cut by its box shows its whole name as a tooltip.
TEST_P(ZoomedHostTest, F2AndADoubleClickRenameInPlace) {
  TEntity& entity = addEntity("Customer", 40, 50);
  TProperty* row = AddProperty(entity, "Name", true);
  panel().ShowActivePage();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const QRect title(41, 51, entity.Width() - 2, 19);  // within the frame
  const QRect rowBox(row->OriginInRoot().X, row->OriginInRoot().Y, row->Width(), row->Height());
  const struct {
    bool doubleClick;
    QRect box;
    const char* typed;
    Qt::Key end;
    const char* step;  // the last step afterwards
  } edits[] = {
      {true, rowBox, "Surname", Qt::Key_Return, "Rename Property Name"},
      {false, title, "Client", Qt::Key_Escape, "Rename Property Name"},
      {false, title, "Client", Qt::Key_Enter, "Rename Entity Customer"},
  };
  for (const auto& [doubleClick, box, typed, end, step] : edits) {
    const QPoint point = at(box.left() + 3, box.top() + 3);
    if (doubleClick) {
      // The second press of the double click, its release still to come: it drags nothing.
      QTest::mouseClick(handle(), Qt::LeftButton, {}, point);
      const QPoint local = host().mapFrom(window.get(), point);
      QMouseEvent second(QEvent::MouseButtonDblClick, local, host().mapToGlobal(local), Qt::LeftButton,
                         Qt::LeftButton, {});
      QApplication::sendEvent(&host(), &second);
    } else {
      QTest::mouseClick(handle(), Qt::LeftButton, {}, point);
      QTest::keyClick(window.get(), Qt::Key_F2);
    }
    InPlaceEditor* editor = host().renameEditor();
    ASSERT_NE(editor, nullptr) << typed;
    EXPECT_FALSE(host().isDragging());
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(editor->geometry().left(), inHost(box).left());
    EXPECT_LE(std::abs(editor->geometry().center().y() - inHost(box).center().y()), 1);
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, end);
    EXPECT_EQ(host().renameEditor(), nullptr);
    EXPECT_TRUE(host().hasFocus());
    EXPECT_EQ(panel().History().UndoName(), step);
  }
  EXPECT_EQ(entity.EntityDesc(), "Client");
  EXPECT_EQ(row->PropertyDesc(), "Surname");
  row->SetDesc(std::string(30, 'n'));
  QHelpEvent help(QEvent::ToolTip, inHost(rowBox.left() + 3, rowBox.top() + 3), QPoint(100, 100));
  QApplication::sendEvent(&host(), &help);
  EXPECT_EQ(QToolTip::text().toStdString(), std::string(30, 'n'));
}

TEST_F(HostTest, ADragWhoseSourceDiesEndsWithoutADrop) {
  Probe& target = addProbe(300, 300, 80, 80);
  target.acceptDrops = true;
  addProbe(100, 100, 50, 50).dragOnPress = true;
  QTest::mousePress(handle(), Qt::LeftButton, {}, at(110, 110));
  QTest::mouseMove(handle(), at(310, 310));
  ASSERT_EQ(host().cursor().shape(), Qt::DragMoveCursor);
  probes.pop_back();  // the source
  QTest::mouseMove(handle(), at(320, 320));
  QTest::mouseRelease(handle(), Qt::LeftButton, {}, at(320, 320));
  EXPECT_FALSE(host().isDragging());
  EXPECT_EQ(target.drops, 0);
}

TEST_F(HostTest, EachPressOfADoubleClickReachesTheControlOnce) {
  Probe& probe = addProbe(100, 100, 60, 40);
  QTest::mouseDClick(handle(), Qt::LeftButton, {}, at(110, 120));
  EXPECT_EQ(probe.presses, (std::vector<Probe::Press>{{TMouseButton::Left, 10, 20}, {TMouseButton::Left, 10, 20}}));
}

TEST_F(HostTest, ErrorsOfTheDiagramAreShownAndTheEditorGoesOn) {
  Probe& probe = addProbe(100, 100, 60, 40);
  probe.dragOnPress = true;
  Probe& target = addProbe(300, 100, 60, 40);
  target.acceptDrops = true;
  int counted = 0;
  probe.ownMenu.Add("Rename Badly", [&] { probe.SetName("1 bad"); });
  probe.ownMenu.Add("Count", [&] { ++counted; });
  probe.SetPopupMenu(&probe.ownMenu);
  const auto choose = [](const QString& text) {
    return [text](QWidget* popup) { UiRobot::choose(qobject_cast<QMenu*>(popup), text); };
  };
  // Each way the diagram is called: a menu command, a mouse press, a drop.
  const std::vector<std::tuple<bool, std::function<void()>, QString>> cases = {
      {true, [&] { rightClick(110, 110); }, "''1 bad'' is not a valid component name"},
      {false,
       [&] {
         probe.pressError = "press refused";
         QTest::mouseClick(handle(), Qt::LeftButton, {}, at(110, 110));
         probe.pressError.clear();
       },
       "press refused"},
      {false,
       [&] {
         target.dropError = "drop refused";
         drag({110, 110}, {310, 110});
         target.dropError.clear();
       },
       "drop refused"},
  };
  for (const auto& [viaMenu, provoke, message] : cases) {
    QStringList shown;
    UiRobot robot;
    if (viaMenu) robot.onPopup(choose("Rename Badly"));
    robot.onModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->icon(), QMessageBox::Critical);
      shown << box->text() << box->windowTitle();
      box->button(QMessageBox::Ok)->click();
    });
    provoke();
    EXPECT_TRUE(robot.clean()) << message.toStdString();
    EXPECT_EQ(shown, QStringList({message, "Quorvane"}));
    EXPECT_FALSE(host().isDragging());
    EXPECT_FALSE(host().testAttribute(Qt::WA_SetCursor));
    // Still usable: the same control's menu runs a command.
    const int before = counted;
    UiRobot next;
    next.onPopup(choose("Count"));
    rightClick(110, 110);
    EXPECT_TRUE(next.clean()) << message.toStdString();
    EXPECT_EQ(counted, before + 1) << message.toStdString();
  }
  EXPECT_EQ(probe.Name(), "") << "a refused name is not taken";
}
}  // namespace

namespace {
TEST_P(ZoomedHostTest, TheSurfaceMenuOpensAtThePointerAndCreatesTheEntityThere) {
  panel().SetOwnPageList({"Main"});
  panel().SetActivePageName("Main");
  QPoint shownAt;
  UiRobot robot;
  robot
      .onPopup([&](QWidget* popup) {
        shownAt = popup->pos();
        EXPECT_TRUE(UiRobot::choose(qobject_cast<QMenu*>(popup), "-> Create Entity"));
      })
      .onModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>()->setText("Customer");
        dialog->accept();
      });
  const QPoint pointer = at(150, 30);
  QTest::mouseMove(handle(), pointer);
  QTest::mouseClick(handle(), Qt::RightButton, {}, pointer);
  EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString();
  EXPECT_EQ(shownAt, window->mapToGlobal(pointer));
  ASSERT_EQ(panel().Entities().size(), 1u);
  EXPECT_EQ(QPoint(panel().Entities()[0]->Left(), panel().Entities()[0]->Top()), QPoint(150, 30));
}

// The clipboard's keys at every zoom: a copy offers the diagram's text under its own type and as
// plain text with its picture, cut out of the page; a paste lands at the pointer as one step, again
// and again, also in another editor; with nothing selected a copy offers the page's picture alone.
TEST_P(ZoomedHostTest, TheClipboardKeysCopyTheSelectionWithItsPictureAndPasteAtThePointer) {
  TEntity& customer = addEntity("Customer", 40, 50);
  AddProperty(customer, "CustNo", true);
  panel().DragDrop(*AddRelation(customer, "places", false), 260, 60);
  addEntity("Order", 700, 500);
  QCoreApplication::processEvents();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QClipboard& clipboard = *QGuiApplication::clipboard();
  const auto press = [&](Qt::Key key, QPoint pointer) {
    QTest::mouseMove(handle(), at(pointer.x(), pointer.y()));
    QCursor::setPos(window->mapToGlobal(at(pointer.x(), pointer.y())));
    QTest::keyClick(window.get(), key, Qt::ControlModifier);
    QCoreApplication::processEvents();
  };
  const auto descs = [&] {
    std::vector<std::string> all;
    for (const auto& entity : panel().Entities()) all.push_back(entity->EntityDesc());
    return all;
  };
  const auto topLeftOfSelection = [&] {
    const TRect bounds = TOOAPanel::BoundsOf(panel().SelectedObjects());
    return QPoint(bounds.Left, bounds.Top);
  };

  panel().SetSelectedEntity(&customer);
  press(Qt::Key_C, {500, 300});
  const QMimeData* copied = clipboard.mimeData();
  ASSERT_NE(copied, nullptr);
  const QByteArray text = copied->data(QStringLiteral("application/x-quorvane-diagram"));
  EXPECT_TRUE(text.startsWith("@ERDIAGRAM"));
  EXPECT_EQ(copied->text().toUtf8(), text);
  EXPECT_TRUE(copied->data(QStringLiteral("image/svg+xml")).contains("<svg"));
  // The picture is the page's own drawing of the entity and its box, with the margin around them.
  const TRect group = TOOAPanel::BoundsOf({&customer, customer.RelationList()[0].Object.get()});
  const QImage image = qvariant_cast<QImage>(copied->imageData());
  panel().DrawToBitmap();
  const QImage page = dynamic_cast<QtBitmap&>(*panel().GetBitmap()).image();
  const QRect cut(group.Left - 10, group.Top - 10, group.Width() + 20, group.Height() + 20);
  EXPECT_TRUE(image.convertToFormat(QImage::Format_RGB32) == page.copy(cut).convertToFormat(QImage::Format_RGB32));

  press(Qt::Key_V, {500, 300});
  EXPECT_EQ(descs(), (std::vector<std::string>{"Customer", "Order", "Customer"}));
  EXPECT_NE(panel().Entities()[2]->Name(), customer.Name()) << "a taken name is not pasted again";
  EXPECT_EQ(topLeftOfSelection(), QPoint(500, 300));
  press(Qt::Key_V, {100, 600});
  EXPECT_EQ(panel().Entities().size(), 4u);
  EXPECT_EQ(topLeftOfSelection(), QPoint(100, 600));
  press(Qt::Key_D, {0, 0});
  EXPECT_EQ(panel().Entities().size(), 5u);
  EXPECT_EQ(topLeftOfSelection(), QPoint(100, 600) + QPoint(20, 20));
  press(Qt::Key_X, {0, 0});
  EXPECT_EQ(panel().Entities().size(), 4u);
  press(Qt::Key_Z, {0, 0});
  EXPECT_EQ(panel().Entities().size(), 5u) << "the cut is one step";

  // Plain text pastes when it is diagram text, and nothing else does.
  for (const auto& [plain, pastes] : {std::pair{QString::fromUtf8(text), true}, std::pair{QStringLiteral("Customer"), false}}) {
    clipboard.setText(plain);
    const size_t before = panel().Entities().size();
    press(Qt::Key_V, {300, 700});
    EXPECT_EQ(panel().Entities().size(), before + (pastes ? 1 : 0)) << plain.left(20).toStdString();
  }

  // Into another editor: its paste reads what this one put on the clipboard.
  panel().ClearSelection();
  panel().SetSelectedEntity(&customer);
  press(Qt::Key_C, {0, 0});
  TfMain other;
  other.panel().SetOwnPageList({"Main"});
  other.panel().SetActivePageName("Main");
  other.panel().ClipboardCommand(TClipboardAction::Paste, {30, 40});
  ASSERT_EQ(other.panel().Entities().size(), 1u);
  EXPECT_EQ(other.panel().Entities()[0]->EntityDesc(), "Customer");
  EXPECT_EQ(other.panel().Entities()[0]->RelationList().size(), 1u);

  // Nothing selected: the page's picture alone, which no paste takes for diagram text.
  panel().SetSelectedEntity(nullptr);
  panel().ClearSelection();
  press(Qt::Key_C, {0, 0});
  EXPECT_FALSE(clipboard.mimeData()->hasText());
  EXPECT_EQ(qvariant_cast<QImage>(clipboard.mimeData()->imageData()).size(), QSize(panel().Width(), panel().Height()));
  other.panel().ClipboardCommand(TClipboardAction::Paste, {30, 40});
  EXPECT_EQ(other.panel().Entities().size(), 1u);
}

// A small model built with the keyboard alone: menus by Shift+F10 and the Menu key, names typed,
// the page arranged, Tab and the arrows to the rows, and the links made by "Link To..." with the
// drop's own questions answered by Return.
TEST_P(ZoomedHostTest, TheKeyboardAloneBuildsAModelWithARelationAndAnEvent) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  UiRobot robot;
  const auto menu = [&](const QString& caption) {
    robot.onPopup([caption](QWidget* popup) { EXPECT_TRUE(UiRobot::choose(qobject_cast<QMenu*>(popup), caption)) << caption.toStdString(); });
  };
  const auto type = [&](const QString& text) {
    robot.onModal([text](QWidget* modal) {
      QTest::keyClicks(QApplication::focusWidget(), text);
      QTest::keyClick(modal, Qt::Key_Return);
    });
  };
  const auto key = [&](Qt::Key pressed) { robot.onModal([pressed](QWidget* modal) { QTest::keyClick(modal, pressed); }); };
  const auto press = [&](Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
    // The offscreen platform gives the window back its activation only when asked, as a window
    // manager does by itself when a dialog closes.
    if (!QApplication::focusWidget()) {
      window->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
    QCoreApplication::processEvents();
  };
  const auto tabTo = [&](Control* object) {
    for (int tabs = 0; tabs < 12 && host().focusedObject() != object; ++tabs) press(Qt::Key_Tab);
    ASSERT_EQ(host().focusedObject(), object);
  };
  const auto entity = [&](const std::string& desc) -> TEntity* {
    for (const auto& one : panel().Entities())
      if (one->EntityDesc() == desc) return one.get();
    return nullptr;
  };

  menu("-> Create Entity"), type("Main"), type("Customer");
  press(Qt::Key_F10, Qt::ShiftModifier);
  menu("-> Create Entity"), type("Order");
  press(Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_TRUE(entity("Customer") && entity("Order"));
  TEntity& customer = *entity("Customer");
  TEntity& order = *entity("Order");
  tabTo(&customer);
  menu("-> Add New Property"), type("CustNo"), key(Qt::Key_Escape);
  press(Qt::Key_Menu);
  menu("-> Add New Relation");
  press(Qt::Key_Menu);
  tabTo(&order);
  for (const char* item : {"-> Add New Property", "-> Add New Method"}) {
    menu(item), type(item[9] == 'P' ? "CustNo" : "Place"), key(Qt::Key_Escape);
    press(Qt::Key_Menu);
  }
  menu("-> Add New EntityEvent");
  press(Qt::Key_Menu);
  // Escape takes the keyboard off the objects: the menu keys open the surface's menu.
  press(Qt::Key_Escape);
  menu("Arrange/-> Arrange Page");
  press(Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_EQ(customer.RelationList().size(), 1u);
  ASSERT_EQ(order.EventList().size(), 1u);
  TRelation& places = *customer.RelationList()[0].Object;
  TEntityEvent& placed = *order.EventList()[0].Object;

  // Down to a row; Menu there; "Link To..." with its one end chosen; the drop's question: Yes.
  const auto linkRow = [&](TEntity& owner, int downs, const char* item) {
    tabTo(&owner);
    for (int i = 0; i < downs; ++i) press(Qt::Key_Down);
    menu(item), key(Qt::Key_Return), key(Qt::Key_Return);
    press(Qt::Key_Menu);
  };
  linkRow(customer, 1, " -> Link To...");
  linkRow(order, 1, " -> Link To...");
  // The event box's own "Link To...": the methods, Place the only one; Yes makes it the trigger.
  tabTo(&placed);
  menu(" -> Link To..."), key(Qt::Key_Return), key(Qt::Key_Return);
  press(Qt::Key_Menu);
  EXPECT_TRUE(robot.clean()) << robot.unexpected().join(",").toStdString() << " pending " << robot.pendingSteps();
  ASSERT_EQ(customer.PropertyList().size(), 1u);
  ASSERT_EQ(order.PropertyList().size(), 1u);
  ASSERT_EQ(order.MethodList().size(), 1u);
  EXPECT_EQ(places.SourceProperty(), customer.PropertyList()[0].Object.get());
  EXPECT_EQ(places.TargetProperty(), order.PropertyList()[0].Object.get());
  EXPECT_EQ(placed.SourceMethod(), order.MethodList()[0].Object.get());
  // Shift and an arrow move what the keyboard is on, one step.
  const int left = placed.Left();
  press(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(placed.Left(), left + 10);
  press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(placed.Left(), left);
  // Ctrl+Space gathers what the keyboard is on, as Ctrl+click does; the undo key takes back the link.
  press(Qt::Key_Space, Qt::ControlModifier);
  EXPECT_TRUE(panel().Selection().Contains(placed));
  press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(placed.SourceMethod(), nullptr);
}

TEST_P(ZoomedHostTest, CtrlAndTheWheelZoomAboutThePointerTheKeysStepAndTheWholePageFits) {
  DiagramView& view = window->view();
  view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
  const QPoint pointer(300, 200);
  // Where the window system's turn ends up: the host leaves it to the view it stands in.
  const auto wheel = [&](int eighths, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(pointer, view.viewport()->mapToGlobal(pointer), QPoint(), QPoint(0, eighths), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &event);
  };
  const int start = GetParam();
  const int notchIn = static_cast<int>(std::lround(start * TViewZoom::WheelFactor));
  const QPointF under = view.surfacePointAt(pointer);
  wheel(120, Qt::ControlModifier);
  EXPECT_EQ(zoom().PerMille(), notchIn);
  const QPointF after = view.surfacePointAt(pointer);
  EXPECT_LE(std::abs(after.x() - under.x()) + std::abs(after.y() - under.y()), 2.0 / zoom().Factor());
  wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(zoom().PerMille(), start);
  // A fine wheel's eighth of a notch at a time adds up to the notch.
  for (int step = 0; step < 8; ++step) wheel(15, Qt::ControlModifier);
  EXPECT_EQ(zoom().PerMille(), notchIn);
  wheel(-120, Qt::ControlModifier);

  // Without Ctrl the wheel scrolls: down, and with Shift sideways; the zoom stays.
  const int down = view.verticalScrollBar()->value(), across = view.horizontalScrollBar()->value();
  wheel(-120, Qt::NoModifier);
  EXPECT_GT(view.verticalScrollBar()->value(), down);
  wheel(-120, Qt::ShiftModifier);
  EXPECT_GT(view.horizontalScrollBar()->value(), across);
  EXPECT_EQ(zoom().PerMille(), start);

  const std::vector<std::tuple<Qt::Key, Qt::KeyboardModifiers, int>> keys = {
      {Qt::Key_Equal, Qt::ControlModifier, TViewZoom::StepIn(start)},
      {Qt::Key_Minus, Qt::ControlModifier, start},
      {Qt::Key_0, Qt::ControlModifier, TViewZoom::Actual}};
  for (const auto& [key, modifiers, expected] : keys) {
    QTest::keyClick(window.get(), key, modifiers);
    EXPECT_EQ(zoom().PerMille(), expected) << QKeySequence(key | modifiers).toString().toStdString();
  }

  view.zoom(TZoomCommand::WholePage);
  const QSize room = view.maximumViewportSize();
  EXPECT_LE(host().width(), room.width());
  EXPECT_LE(host().height(), room.height());
  EXPECT_GE(std::max(host().width() - room.width(), host().height() - room.height()), -3) << "fits, and no more";
  EXPECT_EQ(view.horizontalScrollBar()->maximum() + view.verticalScrollBar()->maximum(), 0) << "nothing to scroll";
  // The menu's way back to 100 % tells the zoom shown and may be chosen.
  const MenuItem* actual = panel().SurfaceMenu().Find("-> Zoom 100 % (now " + std::to_string((zoom().PerMille() + 5) / 10) + " %)");
  ASSERT_NE(actual, nullptr);
  EXPECT_TRUE(actual->Enabled());
}
}  // namespace
