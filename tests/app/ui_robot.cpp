#include "ui_robot.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>

UiRobot* UiRobot::current_ = nullptr;

UiRobot::UiRobot(int timeoutMs) : previous_(current_), timeoutMs_(timeoutMs) {
  current_ = this;
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
  clock_.start();
  timer_.start();
}

UiRobot::~UiRobot() {
  timer_.stop();
  current_ = previous_;
}

UiRobot& UiRobot::onPopup(Step step) {
  steps_.emplace_back(Kind::Popup, std::move(step));
  return *this;
}

UiRobot& UiRobot::onModal(Step step) {
  steps_.emplace_back(Kind::Modal, std::move(step));
  return *this;
}

void UiRobot::poll() {
  if (current_ != this) return;
  if (clock_.elapsed() > timeoutMs_) {
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) timedOut_ = true;
    if (!steps_.empty()) timedOut_ = true;
    steps_.clear();
    closeEverything();
    return;
  }
  QWidget* popup = QApplication::activePopupWidget();
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* open = popup ? popup : modal;
  if (!open || !open->isVisible() || open == handled_) return;
  const Kind kind = popup ? Kind::Popup : Kind::Modal;
  if (steps_.empty() || steps_.front().first != kind) {
    unexpected_ << QString::fromLatin1(open->metaObject()->className());
    closeEverything();
    return;
  }
  Step step = std::move(steps_.front().second);
  steps_.pop_front();
  handled_ = open;
  step(open);
}

void UiRobot::closeEverything() {
  for (int guard = 0; guard < 10; ++guard) {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      popup->close();
      continue;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      else modal->close();
      continue;
    }
    return;
  }
}

QStringList UiRobot::actionTexts(QMenu* menu) {
  QStringList texts;
  for (QAction* action : menu->actions()) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
  return texts;
}

bool UiRobot::choose(QMenu* menu, const QString& text) {
  // "Group/Item": the item of a submenu, opened as the keyboard opens it.
  const QString own = text.section(QLatin1Char('/'), 0, 0), inner = text.section(QLatin1Char('/'), 1);
  for (QAction* action : menu->actions()) {
    if (action->isSeparator() || action->text() != own) continue;
    menu->setActiveAction(action);
    if (inner.isEmpty()) {
      QTest::keyClick(menu, Qt::Key_Return);
      return true;
    }
    if (!action->menu()) return false;
    QTest::keyClick(menu, Qt::Key_Right);
    return choose(action->menu(), inner);
  }
  return false;
}
