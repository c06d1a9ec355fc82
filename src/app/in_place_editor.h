// The line edit that renames a title, row or box of the diagram in place: it stands over the text,
// at the view's zoom and in the diagram's font. Enter keeps what was typed, Escape throws it away,
// and losing the focus keeps it, as leaving a field in a form does; the focus then goes back to the
// surface.
#pragma once

#include <QLineEdit>
#include <QString>

#include "shown_text.h"

class DiagramHost;
class QFocusEvent;
class QKeyEvent;

class InPlaceEditor : public QLineEdit {
  Q_OBJECT

 public:
  InPlaceEditor(DiagramHost& host, const TShownText& text);

  // Renames the object to what was typed (keep) or leaves it as it was; either way the editor goes.
  // A text left as it was renames nothing.
  void finish(bool keep);
  // Stands over its text at the host's zoom as it is now.
  void place();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  DiagramHost& host_;
  TShownText text_;
  QString original_;
  bool finished_ = false;
};
