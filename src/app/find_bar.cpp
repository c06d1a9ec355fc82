#include "find_bar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

#include "diagram_find.h"
#include "diagram_host.h"
#include "diagram_view.h"
#include "ooa_panel.h"

namespace {
// Room kept around what was found, so that it does not stand on the very edge of the view.
constexpr int kScrollMargin = 24;
// The bar's distance from the view's top right corner.
constexpr int kInset = 4;

QToolButton* stepButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip) {
  auto* button = new QToolButton(parent);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setToolTip(tip);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

// Scrolls one way so that low..high stands in the room shown, at least margin from its ends where
// it fits; one larger than the room shows its start.
void bringIntoSight(QScrollBar& bar, int low, int high, int room, int lowMargin, int highMargin) {
  const int shown = bar.value();
  if (low - lowMargin < shown)
    bar.setValue(low - lowMargin);
  else if (high + highMargin > shown + room)
    bar.setValue(std::min(low - lowMargin, high + highMargin - room));
}
}  // namespace

FindBar::FindBar(DiagramView& view, DiagramHost& host)
    : QFrame(&view), view_(view), viewport_(view.viewport()), host_(host),
      find_(std::make_unique<TDiagramFind>(host.panel())) {
  setObjectName(QStringLiteral("FindBar"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 2, 2);
  layout->setSpacing(2);
  text_ = new QLineEdit(this);
  text_->setPlaceholderText(QStringLiteral("Find"));
  text_->setClearButtonEnabled(true);
  text_->setMinimumWidth(180);
  count_ = new QLabel(this);
  count_->setMinimumWidth(count_->fontMetrics().horizontalAdvance(QStringLiteral("00000 of 00000")));
  previous_ = stepButton(this, QStyle::SP_ArrowUp, QStringLiteral("Previous (Shift+F3)"));
  next_ = stepButton(this, QStyle::SP_ArrowDown, QStringLiteral("Next (F3, Enter)"));
  close_ = stepButton(this, QStyle::SP_TitleBarCloseButton, QStringLiteral("Close (Escape)"));
  layout->addWidget(text_);
  layout->addWidget(count_);
  layout->addWidget(previous_);
  layout->addWidget(next_);
  layout->addWidget(close_);
  connect(text_, &QLineEdit::textChanged, this, [this] { go(Step::Here); });
  connect(text_, &QLineEdit::returnPressed, this, [this] {
    go(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier ? Step::Previous : Step::Next);
  });
  connect(previous_, &QToolButton::clicked, this, [this] { go(Step::Previous); });
  connect(next_, &QToolButton::clicked, this, [this] { go(Step::Next); });
  connect(close_, &QToolButton::clicked, this, &FindBar::dismiss);
  // Escape belongs to the bar while it has the keyboard, whatever the window binds it to.
  text_->installEventFilter(this);
  // The bar keeps to the view's corner as the view or its scroll bars come and go.
  viewport_->installEventFilter(this);
  hide();
}

FindBar::~FindBar() = default;

void FindBar::open() {
  placeOverView();
  show();
  raise();
  text_->setFocus(Qt::ShortcutFocusReason);
  text_->selectAll();
}

void FindBar::dismiss() {
  hide();
  host_.setFocus(Qt::OtherFocusReason);
}

void FindBar::findNext() {
  if (text_->text().isEmpty()) open();
  go(Step::Next);
}

void FindBar::findPrevious() {
  if (text_->text().isEmpty()) open();
  go(Step::Previous);
}

QString FindBar::countText() const { return count_->text(); }

void FindBar::go(Step step) {
  if (host_.isDragging()) return;
  const std::string text = text_->text().toStdString();
  TDiagramFind::TFound found;
  if (!text.empty()) {
    host_.runGuarded([&] {
      found = step == Step::Next       ? (find_->Text() == text ? find_->Next() : find_->Find(text))
              : step == Step::Previous ? (find_->Text() == text ? find_->Previous() : find_->Find(text))
                                       : find_->Find(text);
    });
    host_.syncSize();
  }
  if (text.empty()) {
    count_->clear();
  } else if (!found.Found()) {
    count_->setText(QStringLiteral("No match"));
  } else {
    count_->setText(QStringLiteral("%1 of %2").arg(found.Index + 1).arg(found.Count));
    if (!found.Shown) count_->setText(count_->text() + QStringLiteral(", on no page"));
  }
  if (!found.Shown) return;
  // Into sight at the view's zoom, clear of the bar where it covers the view's top.
  const TRect shown = host_.controls().WindowRect(found.Bounds);
  const QSize room = view_.viewport()->size();
  const int top = isVisible() ? height() + 2 * kInset : kScrollMargin;
  bringIntoSight(*view_.horizontalScrollBar(), shown.Left, shown.Right, room.width(), kScrollMargin, kScrollMargin);
  bringIntoSight(*view_.verticalScrollBar(), shown.Top, shown.Bottom, room.height(), top, kScrollMargin);
}

void FindBar::placeOverView() {
  adjustSize();
  if (!viewport_) return;
  const QRect viewport = viewport_->geometry();
  move(std::max(viewport.left(), viewport.right() + 1 - kInset - width()), viewport.top() + kInset);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewport_ && event->type() == QEvent::Resize) {
    placeOverView();
  } else if (watched == text_ && event->type() == QEvent::ShortcutOverride &&
             static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    event->accept();
  }
  return QFrame::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    dismiss();
    event->accept();
    return;
  }
  QFrame::keyPressEvent(event);
}
