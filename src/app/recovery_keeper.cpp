#include "recovery_keeper.h"

#include <QDateTime>
#include <QLocale>
#include <QMetaObject>

#include <chrono>
#include <exception>
#include <utility>
#include <vector>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "file_access.h"
#include "headless_platform.h"
#include "ooa_panel.h"
#include "platform.h"
#include "toolkit_error.h"

namespace {
// Reads a copy without showing anything: whether it is a diagram that reads without a word.
class CheckingPlatform : public HeadlessPlatform {
 public:
  void ShowMessage(const std::string& text) override { problem = text; }
  void ShowError(const std::string& text) override { problem = text; }
  std::string problem;
};

// Why the copy cannot be restored, or nothing; name is the diagram name it holds.
std::string ProblemReading(const std::string& text, const std::string& fileName, std::string& name) {
  CheckingPlatform platform;
  TOOAPanel scratch(platform);
  scratch.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  try {
    LoadDiagramText(scratch, text, fileName);
  } catch (const std::exception& e) {
    return e.what();
  }
  name = scratch.DiagramName();
  return platform.problem;
}

// "9 Dec 2026 17:40", as the user's locale writes a date and a time.
std::string LocalTime(long long secondsSince1970) {
  const QDateTime moment = QDateTime::fromSecsSinceEpoch(secondsSince1970);
  const QLocale locale = QLocale::system();
  return (locale.toString(moment.date(), QLocale::ShortFormat) + " " + locale.toString(moment.time(), QLocale::ShortFormat))
      .toStdString();
}

long long Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}
}  // namespace

RecoveryKeeper::RecoveryKeeper(TOOAPanel& panel, Platform& platform, const std::string& folder)
    : panel_(panel), platform_(platform), store_(folder) {
  timer_.setSingleShot(true);
  timer_.setInterval(DelayMs);
  connect(&timer_, &QTimer::timeout, this, [this] { takeJob(); });
  panel_.DiagramChanged = [this] { changed(); };
  worker_ = std::thread([this] { work(); });
}

RecoveryKeeper::~RecoveryKeeper() {
  panel_.DiagramChanged = nullptr;
  Flush();
  {
    const std::lock_guard<std::mutex> guard(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void RecoveryKeeper::changed() {
  // The first change of a series starts the wait; the ones within it are written with it.
  if (!timer_.isActive()) timer_.start();
}

void RecoveryKeeper::Flush() {
  if (timer_.isActive()) {
    timer_.stop();
    takeJob();
  }
  waitIdle();
}

void RecoveryKeeper::waitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return !next_ && !busy_; });
}

void RecoveryKeeper::takeJob() {
  Job job;
  if (panel_.History().IsClean()) {
    job.Remove = true;
  } else if (panel_.Entities().empty() && panel_.OwnPageList().empty()) {
    // Nothing to keep (a diagram closed unsaved): the copy of what was closed stays.
    return;
  } else {
    // Only the text is built here; writing and syncing it are the worker's.
    job.Text = DiagramFileText(panel_);
    job.Info = {panel_.DiagramName(), panel_.DiagramFolder(), Now()};
  }
  {
    const std::lock_guard<std::mutex> guard(mutex_);
    next_ = std::move(job);  // a job not yet taken is overtaken by the newer one
  }
  wake_.notify_all();
}

void RecoveryKeeper::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return next_ || stop_; });
    if (!next_) return;
    Job job = std::move(*next_);
    next_.reset();
    busy_ = true;
    lock.unlock();
    std::string failure;
    try {
      job.Remove ? store_.Remove() : store_.Write(job.Text, job.Info);
    } catch (const std::exception& e) {
      failure = e.what();
    }
    QMetaObject::invokeMethod(this, [this, failure] { failure.empty() ? reportSuccess() : reportFailure(failure); },
                              Qt::QueuedConnection);
    lock.lock();
    busy_ = false;
    idle_.notify_all();
  }
}

void RecoveryKeeper::reportFailure(const std::string& reason) {
  // Once: the editor goes on, and the next change tries again without asking.
  if (failureShown_) return;
  failureShown_ = true;
  platform_.ShowError("The unsaved diagram cannot be kept for recovery. " + reason);
}

void RecoveryKeeper::reportSuccess() { failureShown_ = false; }

void RecoveryKeeper::OfferCopies() {
  // Every damaged copy is told of and put aside first; then the others are offered, newest first.
  std::vector<std::pair<TRecoveryCopy, std::string>> offers;
  for (TRecoveryCopy& copy : store_.Orphans()) {
    std::string text;
    if (copy.Problem.empty()) {
      try {
        text = ReadWholeFile(copy.CopyFile).value_or(std::string());
        copy.Problem = ProblemReading(text, copy.CopyFile, copy.Info.DiagramName);
      } catch (const std::exception& e) {
        copy.Problem = e.what();
      }
    }
    if (copy.Problem.empty()) {
      offers.emplace_back(std::move(copy), std::move(text));
      continue;
    }
    const std::string aside = store_.PutAside(copy);
    platform_.ShowError("The recovery copy \"" + FullFileName(copy.CopyFile) + "\" cannot be restored (" +
                        copy.Problem + "); it is kept as \"" + FullFileName(aside) + "\".");
  }
  for (const auto& [copy, text] : offers) {
    const std::string question = "Restore the unsaved diagram \"" + copy.Info.DiagramName + "\" of " +
                                 LocalTime(copy.Info.WrittenAt) + "?";
    if (!platform_.AskYesNo(question, "Recover Diagram")) {
      store_.Discard(copy);
      continue;
    }
    // The first Yes ends the offers; the copies not asked about stay for the next start. A copy of
    // this editor's still being written must not land over the one taken over.
    timer_.stop();
    waitIdle();
    panel_.EditAll("Restore Diagram " + copy.Info.DiagramName, [&] {
      LoadDiagramText(panel_, text, copy.CopyFile);
      panel_.SetDiagramName(copy.Info.DiagramName);
      panel_.SetDiagramFolder(copy.Info.DiagramFolder);
    }, TEditReach::WholeDiagram);
    store_.Adopt(copy);
    panel_.History().MarkUnsaved();
    timer_.stop();  // the copy taken over is the diagram as it now stands
    return;
  }
}
