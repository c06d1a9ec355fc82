#include "recovery_keeper.h"

#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "file_access.h"
#include "ooa_panel.h"
#include "platform.h"
#include "unattended_platform.h"

namespace {
// Reads a copy without showing anything, text measured as the editor measures it: whether it is a
// diagram that reads without a word.
class TCheckingPlatform : public TUnattendedPlatform {
 public:
  explicit TCheckingPlatform(Platform& real) : real_(real) {}
  std::unique_ptr<Bitmap> CreateBitmap() override { return nullptr; }
  Canvas& MeasureCanvas() override { return real_.MeasureCanvas(); }

 private:
  Platform& real_;
};

// Why the copy cannot be restored, or nothing; name is the diagram name it holds.
std::string ProblemReading(Platform& real, const std::string& text, const std::string& fileName, std::string& name) {
  TCheckingPlatform platform(real);
  TOOAPanel scratch(platform);
  scratch.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  try {
    LoadDiagramText(scratch, text, fileName);
  } catch (const std::exception& e) {
    return e.what();
  }
  name = scratch.DiagramName();
  return platform.Messages().empty() ? std::string() : platform.Messages().back();
}

long long SecondsOf(TMoment moment) {
  return std::chrono::duration_cast<std::chrono::seconds>(moment.time_since_epoch()).count();
}
}  // namespace

TRecoveryKeeper::TRecoveryKeeper(TOOAPanel& panel, Platform& platform, const std::string& folder,
                                 TRecoveryClock& clock, TRecoveryWorker& worker)
    : panel_(panel), platform_(platform), store_(folder), clock_(clock), worker_(worker) {
  toldBefore_ = std::move(panel_.DiagramChanged);
  panel_.DiagramChanged = [this] {
    if (toldBefore_) toldBefore_();
    Changed();
  };
}

TRecoveryKeeper::~TRecoveryKeeper() {
  panel_.DiagramChanged = std::move(toldBefore_);
  Flush();
}

void TRecoveryKeeper::Changed() {
  // The first change of a series starts the wait; the ones within it are written with it.
  if (due_) return;
  due_ = clock_.Now() + std::chrono::milliseconds(DelayMs);
  worker_.WakeAt(*due_);
}

void TRecoveryKeeper::Wake() {
  if (!due_) return;  // a wake asked for by a series written or dropped since
  const TMoment now = clock_.Now();
  // Woken early (a timer and the clock need not agree to the millisecond): the wait goes on, unless
  // the clock was set back beyond the series' start, which would hold the copy back as long.
  if (now < *due_ && *due_ - now <= std::chrono::milliseconds(DelayMs)) {
    worker_.WakeAt(*due_);
    return;
  }
  due_.reset();
  TakeJob();
}

void TRecoveryKeeper::Flush() {
  if (due_) {
    due_.reset();
    TakeJob();
  }
  worker_.WaitIdle();
}

void TRecoveryKeeper::TakeJob() {
  std::function<void(TRecoveryStore&)> job;
  if (panel_.History().IsClean()) {
    job = [](TRecoveryStore& store) { store.Remove(); };
  } else if (panel_.Entities().empty() && panel_.OwnPageList().empty()) {
    // Nothing to keep (a diagram closed unsaved): the copy of what was closed stays.
    return;
  } else {
    // Only the text is built here; writing and syncing it are the worker's.
    job = [text = DiagramFileText(panel_),
           info = TRecoveryInfo{panel_.DiagramName(), panel_.DiagramFolder(), SecondsOf(clock_.Now()),
                                panel_.DiagramFile()}](
              TRecoveryStore& store) { store.Write(text, info); };
  }
  worker_.Run([&store = store_, job = std::move(job)] {
    try {
      job(store);
    } catch (const std::exception& e) {
      return std::string(e.what());
    }
    return std::string();
  });
}

void TRecoveryKeeper::JobDone(const std::string& failure) {
  // Told once: the editor goes on, and the next change tries again without asking; a success
  // makes the next failure worth telling.
  if (failure.empty()) {
    failureShown_ = false;
    return;
  }
  if (failureShown_) return;
  failureShown_ = true;
  platform_.ShowError("The unsaved diagram cannot be kept for recovery. " + failure);
}

void TRecoveryKeeper::OfferCopies() {
  // Every damaged copy is told of and put aside first; then the others are offered, newest first.
  std::vector<std::pair<TRecoveryCopy, std::string>> offers;
  for (TRecoveryCopy& copy : store_.Orphans()) {
    std::string text;
    if (copy.Problem.empty()) {
      try {
        text = ReadWholeFile(copy.CopyFile).value_or(std::string());
        copy.Problem = ProblemReading(platform_, text, copy.CopyFile, copy.Info.DiagramName);
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
  for (const auto& offer : offers) {
    // Named, not bound: a lambda below takes them, which a structured binding cannot give it.
    const TRecoveryCopy& copy = offer.first;
    const std::string& text = offer.second;
    const std::string question = "Restore the unsaved diagram \"" + copy.Info.DiagramName + "\" of " +
                                 clock_.UserTime(TMoment(std::chrono::seconds(copy.Info.WrittenAt))) + "?";
    if (!platform_.AskYesNo(question, "Recover Diagram")) {
      store_.Discard(copy);
      continue;
    }
    // The first Yes ends the offers; the copies not asked about stay for the next start. A copy of
    // this editor's still being written must not land over the one taken over.
    due_.reset();
    worker_.WaitIdle();
    panel_.EditAll("Restore Diagram " + copy.Info.DiagramName, [&] {
      LoadDiagramText(panel_, text, copy.CopyFile);
      panel_.SetDiagramName(copy.Info.DiagramName);
      panel_.SetDiagramFolder(copy.Info.DiagramFolder);
      panel_.SetDiagramFile(copy.Info.DiagramFile);
    }, TEditReach::WholeDiagram);
    store_.Adopt(copy);
    panel_.History().MarkUnsaved();
    due_.reset();  // the copy taken over is the diagram as it now stands
    return;
  }
}
