// The recovery copy's keeper on Qt: what the core's keeper (TRecoveryKeeper) decides is woken by a
// timer and written by a thread of its own, which reports back on the user-interface thread; a
// copy's time is shown as the user's locale writes it.
#pragma once

#include <QTimer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "recovery_keeper.h"

class Platform;
class TOOAPanel;

class QtRecoveryKeeper : public TRecoveryClock, public TRecoveryWorker {
 public:
  QtRecoveryKeeper(TOOAPanel& panel, Platform& platform, const std::string& folder);
  // The keeper writes what is still to be written, through the thread, before the thread ends.
  ~QtRecoveryKeeper() override;

  TRecoveryKeeper& keeper() { return *keeper_; }

  TMoment Now() override;
  std::string UserTime(TMoment moment) override;
  void WakeAt(TMoment moment) override;
  void Run(std::function<std::string()> job) override;
  void WaitIdle() override;

 private:
  void work();

  QTimer timer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::function<std::string()> next_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread worker_;
  std::unique_ptr<TRecoveryKeeper> keeper_;
};
