// The find bar: a small strip over the top right of the diagram view (no layout makes room for it)
// with the text to find, how many objects hold it, and the steps to the previous and the next. The
// finding and the going are the diagram's own (TDiagramFind); the bar scrolls to what was found.
#pragma once

#include <QFrame>
#include <QPointer>

#include <memory>

class DiagramHost;
class DiagramView;
class QLabel;
class QLineEdit;
class QToolButton;
class TDiagramFind;

class FindBar : public QFrame {
  Q_OBJECT

 public:
  FindBar(DiagramView& view, DiagramHost& host);
  ~FindBar() override;

  // Shows the bar with its text selected, ready to be typed over.
  void open();
  // Hides the bar and gives the keyboard back to the surface.
  void dismiss();
  // The next and the previous match; with nothing to find yet, the bar opens.
  void findNext();
  void findPrevious();

  QLineEdit& textField() const { return *text_; }
  // "2 of 5", "No match", or nothing while the text is empty.
  QString countText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Step { Here, Next, Previous };
  void go(Step step);
  void placeOverView();

  DiagramView& view_;
  // The view's viewport, whose events the bar watches: held apart from the view, since it may still
  // send some while the view is being destroyed, when the view can no longer be asked for it.
  QPointer<QWidget> viewport_;
  DiagramHost& host_;
  std::unique_ptr<TDiagramFind> find_;
  QLineEdit* text_ = nullptr;
  QLabel* count_ = nullptr;
  QToolButton* previous_ = nullptr;
  QToolButton* next_ = nullptr;
  QToolButton* close_ = nullptr;
};
