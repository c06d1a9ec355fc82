// Acts on the popup menus and modal dialogs a test opens. QMenu::exec and QDialog::exec block the
// test, so a repeating timer waits for each expected window and acts on it; whatever is open
// unexpectedly, or still open when the time is up, is closed, so that no test can hang. Only the
// robot made last is at work; it hands over to the one before it when it goes.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

class QMenu;

class UiRobot : public QObject {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit UiRobot(int timeoutMs = 5000);
  ~UiRobot() override;

  // The next popup menu, or the next modal dialog, is handed to step.
  UiRobot& onPopup(Step step);
  UiRobot& onModal(Step step);

  // Every step ran, nothing unexpected was open, nothing had to be closed on timeout.
  bool clean() const { return steps_.empty() && !timedOut_ && unexpected_.isEmpty(); }
  bool timedOut() const { return timedOut_; }
  int pendingSteps() const { return static_cast<int>(steps_.size()); }
  // Class names of windows that opened when no step waited for them.
  const QStringList& unexpected() const { return unexpected_; }

  // The menu's texts, a separator as "-".
  static QStringList actionTexts(QMenu* menu);
  // Chooses the item with this text through the keyboard, as a user would ("Group/Item" for an item
  // of a submenu); false when missing.
  static bool choose(QMenu* menu, const QString& text);

 private:
  enum class Kind { Popup, Modal };
  void poll();
  static void closeEverything();

  static UiRobot* current_;
  UiRobot* previous_;
  QTimer timer_;
  QElapsedTimer clock_;
  int timeoutMs_;
  std::deque<std::pair<Kind, Step>> steps_;
  QPointer<QWidget> handled_;
  bool timedOut_ = false;
  QStringList unexpected_;
};
