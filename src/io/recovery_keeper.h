// What becomes of the editor's recovery copy, and when: a series of changes is written a second
// after its first change, a clean diagram (saved, loaded) has no copy, a write that fails is told
// once; at start the copies of editors that no longer run are checked and offered back. The clock,
// the wake-up and the thread that writes are the program's, so that all of it runs headless.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "recovery_store.h"

class Platform;
class TOOAPanel;

using TMoment = std::chrono::system_clock::time_point;

// The keeper's clock: the moment now, for the wait and a copy's time, and a moment as the user
// reads it ("9 Dec 2026 17:40"), for the question that offers a copy back.
class TRecoveryClock {
 public:
  virtual ~TRecoveryClock() = default;
  virtual TMoment Now() = 0;
  virtual std::string UserTime(TMoment moment) = 0;
};

// What the keeper needs of the program to run beside it: a wake-up at a moment, and a thread that
// does the writing, so that the user-interface thread only builds the text.
class TRecoveryWorker {
 public:
  virtual ~TRecoveryWorker() = default;
  // The keeper's Wake is to be called, on the user-interface thread, at the moment or soon after;
  // a new moment replaces the one asked for before.
  virtual void WakeAt(TMoment moment) = 0;
  // Runs the job away from the user-interface thread, then hands its outcome (the failure's text,
  // empty when it succeeded) to the keeper's JobDone on that thread. A job not yet started when the
  // next comes is dropped: the newer copy overtakes it.
  virtual void Run(std::function<std::string()> job) = 0;
  // Returns once no job waits or runs.
  virtual void WaitIdle() = 0;
};

class TRecoveryKeeper {
 public:
  // A series of changes within this time is written once; every change is written within it and
  // the moment of writing.
  static constexpr int DelayMs = 1000;

  TRecoveryKeeper(TOOAPanel& panel, Platform& platform, const std::string& folder, TRecoveryClock& clock,
                  TRecoveryWorker& worker);
  // Writes what is still to be written (or removes the copy of a clean diagram) and waits for it.
  ~TRecoveryKeeper();
  TRecoveryKeeper(const TRecoveryKeeper&) = delete;
  TRecoveryKeeper& operator=(const TRecoveryKeeper&) = delete;

  // Asks, newest first, whether to restore each copy of an editor that no longer runs: the first
  // Yes restores it as the current diagram, unsaved; No discards a copy. A copy that cannot be
  // read is told of and put aside.
  void OfferCopies();
  // The copy as the diagram now stands is written (or removed) before this returns.
  void Flush();
  // The moment asked for through WakeAt has come: the series waiting is written when its time is up.
  void Wake();
  // The outcome of a job (see TRecoveryWorker::Run).
  void JobDone(const std::string& failure);
  TRecoveryStore& Store() { return store_; }

 private:
  void Changed();
  void TakeJob();

  TOOAPanel& panel_;
  Platform& platform_;
  TRecoveryStore store_;
  TRecoveryClock& clock_;
  TRecoveryWorker& worker_;
  std::optional<TMoment> due_;  // when the series of changes waiting is to be written
  // Whoever listened to the diagram's changes before the keeper (the window's status bar) still
  // hears of them, and again alone once the keeper goes.
  std::function<void()> toldBefore_;
  bool failureShown_ = false;
};
