#include "in_place_editor.h"

#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>
#include <string>

#include "diagram_host.h"
#include "qt_canvas.h"

namespace {
// Below this a zoomed-out text could not be read while it is typed.
constexpr int kLeastFontPixels = 9;
}  // namespace

InPlaceEditor::InPlaceEditor(DiagramHost& host, const TShownText& text)
    : QLineEdit(&host), host_(host), text_(text), original_(QString::fromStdString(text.Desc())) {
  setObjectName(QStringLiteral("InPlaceEditor"));
  setFrame(false);
  setAlignment(text.LeftAligned() ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
  // A description may be longer than a line edit holds by default; cutting it would lose its end.
  setMaxLength(std::max<qsizetype>(maxLength(), original_.size()));
  setText(original_);
  // An object without a description shows its component name; the field shows it greyed.
  setPlaceholderText(QString::fromStdString(text.Shown()));
  selectAll();
  place();
}

void InPlaceEditor::place() {
  const TViewZoom& zoom = host_.controls().Zoom();
  QFont font = diagramFont();
  font.setPixelSize(std::max(kLeastFontPixels, static_cast<int>(std::lround(font.pixelSize() * zoom.Factor()))));
  // The diagram's texts are drawn smoothed at every zoom but 100 %.
  if (!zoom.IsActual()) font.setStyleStrategy(QFont::PreferDefault);
  setFont(font);
  const TRect box = host_.controls().WindowRect(text_.Box());
  // At least one line of the font high, centred on the box's middle.
  const int height = std::max(box.Height(), QFontMetrics(font).height() + 2);
  setGeometry(box.Left, box.Top + box.Height() / 2 - height / 2, std::max(box.Width(), height), height);
}

void InPlaceEditor::finish(bool keep) {
  if (finished_) return;
  finished_ = true;
  const QString typed = text();
  const bool rename = keep && typed != original_;
  // The rename may show an error box, whose event loop may delete this editor: nothing of it is
  // used from here on.
  DiagramHost& host = host_;
  const TShownText target = text_;
  host.renameEditorClosed();
  hide();
  host.setFocus(Qt::OtherFocusReason);
  deleteLater();
  if (!rename) return;
  const std::string answer = typed.toStdString();
  host.runGuarded([&target, &answer] { target.Rename(answer); });
  host.syncSize();
}

void InPlaceEditor::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      finish(true);
      return;
    case Qt::Key_Escape:
      event->accept();
      finish(false);
      return;
    default:
      QLineEdit::keyPressEvent(event);
  }
}

void InPlaceEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // The line edit's own context menu takes the focus for a while; the edit goes on.
  if (event->reason() == Qt::PopupFocusReason) return;
  finish(true);
}
