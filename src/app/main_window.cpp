// The main window: builds the platform, the panel and its host, and draws the window's icon.
#include "main_window.h"

#include <QAction>
#include <QBoxLayout>
#include <QScrollBar>
#include <QGuiApplication>
#include <QKeySequence>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>

#include "diagram_host.h"
#include "diagram_status_bar.h"
#include "diagram_view.h"
#include "editor_panel.h"
#include "entity.h"
#include "find_bar.h"
#include "ooa_panel.h"
#include "qt_canvas.h"
#include "qt_editor_window.h"
#include "qt_platform.h"
#include "qt_recovery_keeper.h"
#include "window_frame.h"
#include "window_icon.h"

namespace {
constexpr int kClientWidth = 792;
constexpr int kClientHeight = 573;

}  // namespace

TfMain::TfMain(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("fMain"));
  setWindowTitle(QStringLiteral("Quorvane Beta Version"));
  setWindowIcon(WindowIcon());
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);

  platform_ = std::make_unique<QtPlatform>();
  platform_->setMainWindow(this);
  editorWindow_ = std::make_unique<QtEditorWindow>(*platform_);
  panel_ = std::make_unique<TOOAPanel>(*platform_);
  panel_->SetEditorWindow(editorWindow_.get());

  scrollBox_ = new DiagramView(this);
  scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
  host_ = new DiagramHost(*panel_);
  host_->setObjectName(QStringLiteral("OOAPanel1"));
  platform_->setHost(host_);
  SetUpEditorPanel(*panel_);
  host_->syncSize();
  scrollBox_->setHost(host_);
  editorWindow_->setView(scrollBox_);

  // The diagram's column, and beside it the page editor where it cannot be a window of its own.
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto* layout = new QVBoxLayout;
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  row->addLayout(layout);
  editorWindow_->setInnerDock(row);
  layout->addWidget(scrollBox_);
  // Under the scroll box, which keeps its width and gives the line its height.
  statusBar_ = new DiagramStatusBar(*panel_, *scrollBox_, this);
  layout->addWidget(statusBar_);
  findBar_ = new FindBar(*scrollBox_, *host_);

  resize(kClientWidth, kClientHeight);
  // The keyboard starts on the surface, where Tab goes through the diagram.
  host_->setFocus();
  dockAtLeftEdge();
  bindKeys();
  bindFindAndMenuKeys();
}

QScrollArea& TfMain::scrollBox() const { return *scrollBox_; }

TRecoveryKeeper& TfMain::keepRecoveryCopies(const std::string& folder) {
  recovery_ = std::make_unique<QtRecoveryKeeper>(*panel_, *platform_, folder);
  return recovery_->keeper();
}

TRecoveryKeeper* TfMain::recovery() const { return recovery_ ? &recovery_->keeper() : nullptr; }

void TfMain::bindKey(const QList<QKeySequence>& keys, std::function<void()> command) {
  auto* action = new QAction(this);
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  connect(action, &QAction::triggered, this, std::move(command));
  addAction(action);
}

void TfMain::bindKeys() {
  const auto bind = [this](const QList<QKeySequence>& keys, std::function<void()> command) { bindKey(keys, std::move(command)); };
  // A key that stands for a command runs it as the menu does; a drag holds the objects it moves, so
  // commands wait until it ends.
  const auto command = [this](std::function<void()> run) {
    return [this, run] {
      if (host_->isDragging()) return;
      // A name being typed in place is kept first: Ctrl+S saves it.
      host_->keepRenameInPlace();
      host_->runGuarded(run);
      host_->syncSize();
    };
  };
  bind({QKeySequence(Qt::CTRL | Qt::Key_Z)}, command([this] { panel_->UndoCommand(); }));
  bind({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
       command([this] { panel_->RedoCommand(); }));
  bind({QKeySequence(Qt::CTRL | Qt::Key_S)}, command([this] { panel_->SaveDiagramCommand(); }));
  bind({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, command([this] { panel_->SaveDiagramAsCommand(); }));
  bind({QKeySequence(Qt::CTRL | Qt::Key_O)}, command([this] { panel_->LoadDiagramCommand(true); }));
  bind({QKeySequence(Qt::CTRL | Qt::Key_P)}, command([this] { panel_->PrintCommand(); }));
  // The clipboard's keys; a paste puts its objects at the pointer, or in the middle of the view.
  const auto clipboard = [this, command](TClipboardAction action) {
    return command([this, action] {
      const QPoint at = scrollBox_->keyboardPoint();
      panel_->ClipboardCommand(action, host_->controls().Zoom().ToSurface(TPoint{at.x(), at.y()}));
    });
  };
  bind({QKeySequence(Qt::CTRL | Qt::Key_X)}, clipboard(TClipboardAction::Cut));
  bind({QKeySequence(Qt::CTRL | Qt::Key_C)}, clipboard(TClipboardAction::Copy));
  bind({QKeySequence(Qt::CTRL | Qt::Key_V)}, clipboard(TClipboardAction::Paste));
  bind({QKeySequence(Qt::CTRL | Qt::Key_D)}, clipboard(TClipboardAction::Duplicate));
  // What was pressed last goes, as its menu's removal: a row, a box, or the selected entity.
  bind({QKeySequence(Qt::Key_Delete)}, command([this] { panel_->DeleteCommand(); }));
  // Everything on the page selected; the text fields of dialogs keep their own Ctrl+A.
  bind({QKeySequence(Qt::CTRL | Qt::Key_A)}, command([this] { panel_->SelectAllOnPage(); }));
  // What was pressed last is renamed in place: a title, a row or a box.
  bind({QKeySequence(Qt::Key_F2)}, [this] { host_->renameInPlace(); });
  // The keyboard scrolls the surface as the scroll bars do.
  const auto scroll = [this](bool vertical, QAbstractSlider::SliderAction step) {
    return [this, vertical, step] {
      (vertical ? scrollBox_->verticalScrollBar() : scrollBox_->horizontalScrollBar())->triggerAction(step);
    };
  };
  // Up and Down go through the rows of the entity the keyboard is on, and scroll past them.
  const auto rowOrScroll = [this, scroll](bool up) {
    return [this, up, step = scroll(true, up ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd)] {
      if (!host_->isDragging() && host_->stepFocusRow(up)) return;
      step();
    };
  };
  bind({QKeySequence(Qt::Key_Up)}, rowOrScroll(true));
  bind({QKeySequence(Qt::Key_Down)}, rowOrScroll(false));
  // Shift and the arrows move the selection, or the object the keyboard is on, ten pixels a press.
  constexpr int kKeyboardStep = 10;
  const auto move = [this](int dx, int dy) {
    return [this, dx, dy] {
      host_->keepRenameInPlace();
      host_->moveByKeyboard(dx, dy);
    };
  };
  bind({QKeySequence(Qt::SHIFT | Qt::Key_Left)}, move(-kKeyboardStep, 0));
  bind({QKeySequence(Qt::SHIFT | Qt::Key_Right)}, move(kKeyboardStep, 0));
  bind({QKeySequence(Qt::SHIFT | Qt::Key_Up)}, move(0, -kKeyboardStep));
  bind({QKeySequence(Qt::SHIFT | Qt::Key_Down)}, move(0, kKeyboardStep));
  bind({QKeySequence(Qt::Key_Left)}, scroll(false, QAbstractSlider::SliderSingleStepSub));
  bind({QKeySequence(Qt::Key_Right)}, scroll(false, QAbstractSlider::SliderSingleStepAdd));
  bind({QKeySequence(Qt::Key_PageUp)}, scroll(true, QAbstractSlider::SliderPageStepSub));
  bind({QKeySequence(Qt::Key_PageDown)}, scroll(true, QAbstractSlider::SliderPageStepAdd));
  bind({QKeySequence(Qt::Key_Home)}, scroll(true, QAbstractSlider::SliderToMinimum));
  bind({QKeySequence(Qt::Key_End)}, scroll(true, QAbstractSlider::SliderToMaximum));
  // Zooming is no command of the diagram: it may go on during a drag, whose outline follows.
  const auto zoom = [this](TZoomCommand command) { return [this, command] { scrollBox_->zoom(command); }; };
  bind({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, zoom(TZoomCommand::In));
  bind({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, zoom(TZoomCommand::Out));
  bind({QKeySequence(Qt::CTRL | Qt::Key_0)}, zoom(TZoomCommand::Actual));
}

void TfMain::bindFindAndMenuKeys() {
  const auto bind = [this](const QList<QKeySequence>& keys, std::function<void()> command) { bindKey(keys, std::move(command)); };
  bind({QKeySequence(Qt::CTRL | Qt::Key_F)}, [this] { findBar_->open(); });
  bind({QKeySequence(Qt::Key_F3)}, [this] { findBar_->findNext(); });
  bind({QKeySequence(Qt::SHIFT | Qt::Key_F3)}, [this] { findBar_->findPrevious(); });
  // Where the window system makes a menu request of the Menu key before any shortcut sees it, the
  // host and the view answer it alike.
  // The focused object's menu at it, else the surface's.
  bind({QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}, [this] {
    if (!host_->openFocusedMenu()) scrollBox_->openSurfaceMenu();
  });
}

TfMain::~TfMain() {
  // A name being typed in place is kept while the panel still stands, and reaches the copy below.
  host_->keepRenameInPlace();
  // A window closed with unsaved changes keeps its copy; a clean one has none.
  recovery_.reset();
  // The status bar goes with the child widgets, after the panel: it hears of the panel no more.
  panel_->DiagramChanged = nullptr;
  panel_->SelectionChanged = nullptr;
  // The host goes with the child widgets, after this body; the panel must not reach it while the
  // panel's objects are destroyed.
  platform_->setHost(nullptr);
  panel_.reset();
}

void TfMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (docked_) return;
  docked_ = true;
  // The frame's size is known only once the window system framed the window.
  QTimer::singleShot(0, this, [this] { dockAtLeftEdge(); });
}

void TfMain::dockAtLeftEdge() {
  const QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!display) return;
  const QRect available = display->availableGeometry();
  dockedFrame_ = FrameMarginsOf(*this);
  // A top-level window is moved by its frame's corner and sized by its inside; it is never larger
  // than the area, frame included.
  const QSize room = available.size().shrunkBy(dockedFrame_).expandedTo(QSize(1, 1));
  // Where the window system places the window, it keeps its own height: at the full height of
  // the area it would reach past the screen unless it was put at the very top.
  if (!WindowPositionsHonoured()) {
    resize(size().boundedTo(room));
    return;
  }
  move(available.topLeft());
  resize(std::min(width(), room.width()), room.height());
}

void TfMain::dockAgainIfFramed() {
  if (docked_ && isVisible() && FrameMarginsOf(*this) != dockedFrame_) dockAtLeftEdge();
}

void TfMain::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  dockAgainIfFramed();
}

void TfMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  dockAgainIfFramed();
}
