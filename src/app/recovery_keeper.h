// Keeps the editor's recovery copy: at most a second after the diagram changes, its text is built
// on the user-interface thread and written by a thread of its own; a clean diagram (saved, loaded)
// has no copy. At start it offers back the copies of editors that no longer run.
#pragma once

#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "recovery_store.h"

class Platform;
class TOOAPanel;

class RecoveryKeeper : public QObject {
  Q_OBJECT

 public:
  // A series of changes within this time is written once; every change is written within it and
  // the moment of writing.
  static constexpr int DelayMs = 1000;

  RecoveryKeeper(TOOAPanel& panel, Platform& platform, const std::string& folder);
  // Writes what is still to be written (or removes the copy of a clean diagram) and waits for it.
  ~RecoveryKeeper() override;

  // Asks, newest first, whether to restore each copy of an editor that no longer runs: the first
  // Yes restores it as the current diagram, unsaved; No discards a copy. A copy that cannot be
  // read is told of and put aside.
  void OfferCopies();
  // The copy as the diagram now stands is written (or removed) before this returns.
  void Flush();
  TRecoveryStore& store() { return store_; }

 private:
  struct Job {
    bool Remove = false;
    std::string Text;
    TRecoveryInfo Info;
  };

  void changed();
  void takeJob();
  void work();
  void waitIdle();
  void reportFailure(const std::string& reason);
  void reportSuccess();

  TOOAPanel& panel_;
  Platform& platform_;
  TRecoveryStore store_;
  QTimer timer_;
  bool failureShown_ = false;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::optional<Job> next_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread worker_;
};
