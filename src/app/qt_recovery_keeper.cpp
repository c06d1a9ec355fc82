#include "qt_recovery_keeper.h"

#include <QDateTime>
#include <QLocale>
#include <QMetaObject>

#include <algorithm>
#include <utility>

QtRecoveryKeeper::QtRecoveryKeeper(TOOAPanel& panel, Platform& platform, const std::string& folder) {
  timer_.setSingleShot(true);
  // A coarse timer may fire a little early, and the keeper would only ask again for the rest.
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
    if (keeper_) keeper_->Wake();
  });
  keeper_ = std::make_unique<TRecoveryKeeper>(panel, platform, folder, *this, *this);
  worker_ = std::thread([this] { work(); });
}

QtRecoveryKeeper::~QtRecoveryKeeper() {
  keeper_.reset();
  {
    const std::lock_guard<std::mutex> guard(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

TMoment QtRecoveryKeeper::Now() { return std::chrono::system_clock::now(); }

// "9 Dec 2026 17:40", as the user's locale writes a date and a time.
std::string QtRecoveryKeeper::UserTime(TMoment moment) {
  const QDateTime local = QDateTime::fromSecsSinceEpoch(
      std::chrono::duration_cast<std::chrono::seconds>(moment.time_since_epoch()).count());
  const QLocale locale = QLocale::system();
  return (locale.toString(local.date(), QLocale::ShortFormat) + " " + locale.toString(local.time(), QLocale::ShortFormat))
      .toStdString();
}

void QtRecoveryKeeper::WakeAt(TMoment moment) {
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(moment - Now());
  timer_.start(std::max(wait, std::chrono::milliseconds(0)));
}

void QtRecoveryKeeper::Run(std::function<std::string()> job) {
  {
    const std::lock_guard<std::mutex> guard(mutex_);
    next_ = std::move(job);  // a job not yet taken is overtaken by the newer one
  }
  wake_.notify_all();
}

void QtRecoveryKeeper::WaitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return !next_ && !busy_; });
}

void QtRecoveryKeeper::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return next_ || stop_; });
    if (!next_) return;
    std::function<std::string()> job = std::move(next_);
    next_ = nullptr;
    busy_ = true;
    lock.unlock();
    const std::string failure = job();
    // The outcome goes to the keeper on the user-interface thread; once the keeper is gone (the
    // last copy written as the window closes) nobody is left to tell.
    QMetaObject::invokeMethod(&timer_, [this, failure] {
      if (keeper_) keeper_->JobDone(failure);
    }, Qt::QueuedConnection);
    lock.lock();
    busy_ = false;
    idle_.notify_all();
  }
}
