#include "diagram_history.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"

TDiagramHistory::TDiagramHistory(TOOAPanel& panel) : panel_(panel) {}

TDiagramHistory::~TDiagramHistory() {
  if (discarding_.joinable()) discarding_.join();
}

void TDiagramHistory::Discard(std::vector<TStep> steps) {
  size_t images = 0;
  for (const TStep& step : steps) images += step.Changes.size();
  // A handful of images go at once; thousands (a whole page moved, then undone and moved again) are
  // given back on a thread of their own. They are plain values: nothing else reaches them.
  if (images < kImagesFreedAside) return;
  if (discarding_.joinable()) discarding_.join();
  discarding_ = std::thread([gone = std::move(steps)]() mutable { gone.clear(); });
}

TEntityImage TDiagramHistory::ImageOf(const TEntity& entity) const {
  TEntityImage image = entity.Image();
  image.Position = static_cast<size_t>(panel_.IndexOfSerial(entity.Serial()));
  return image;
}

std::vector<TEntity*> TDiagramHistory::ScopeOf(TEntity* entity) {
  std::vector<TEntity*> scope;
  if (!entity) return scope;
  scope.push_back(entity);
  const auto addOwners = [&scope](const TLinkTarget& target) {
    for (const TLinkBox* box : target.LinkedBy())
      if (TEntity* owner = box->OwnerEntity(); owner && std::find(scope.begin(), scope.end(), owner) == scope.end())
        scope.push_back(owner);
  };
  addOwners(*entity);
  for (const auto& slot : entity->PropertyList()) addOwners(*slot.Object);
  for (const auto& slot : entity->MethodList()) addOwners(*slot.Object);
  return scope;
}

void TDiagramHistory::Edit(const std::string& what, const std::vector<TEntity*>& scope, TEditReach reach,
                           const std::function<void()>& action) {
  const TEditStep step(&panel_, what, scope, reach);
  action();
}

void TDiagramHistory::Begin(const std::string& what, const std::vector<TEntity*>& scope, TEditReach reach) {
  panel_.LayoutMayHaveChanged();
  if (depth_++ > 0 || applying_ || suspended_) return;
  const auto& entities = panel_.Entities();
  pending_ = TStep{};
  pending_.Name = what;
  pending_.PanelBefore = panel_.Image(reach == TEditReach::WholeDiagram);
  held_.clear();
  watching_ = reach == TEditReach::Scope;
  if (reach != TEditReach::Scope) {
    for (const auto& entity : entities) Hold(ImageOf(*entity));
  } else {
    for (const TEntity* entity : scope)
      if (entity && panel_.EntityBySerial(entity->Serial()) == entity && !held_.count(entity->Serial()))
        Hold(ImageOf(*entity));
  }
  firstNew_ = panel_.NextSerial();
}

void TDiagramHistory::Hold(TEntityImage image) {
  held_.insert(image.Serial);
  pending_.Changes.push_back({std::move(image), std::nullopt});
}

bool TDiagramHistory::Watches(const TEntity& entity) const {
  return depth_ > 0 && watching_ && !applying_ && entity.Serial() < firstNew_ && !held_.count(entity.Serial());
}

void TDiagramHistory::BeforeShow(const TEntity& entity) { entity.Placing(placedBefore_); }

void TDiagramHistory::AfterShow(const TEntity& entity) {
  entity.Placing(placedAfter_);
  if (placedAfter_ == placedBefore_ || panel_.IndexOfSerial(entity.Serial()) < 0) return;
  TEntityImage image = ImageOf(entity);
  image.SetPlacing(placedBefore_);
  Hold(std::move(image));
}

void TDiagramHistory::End() {
  panel_.LayoutMayHaveChanged();
  if (depth_ == 0 || --depth_ > 0 || applying_ || suspended_) return;
  watching_ = false;
  held_.clear();
  TStep step = std::move(pending_);
  pending_ = TStep{};
  const auto& now = panel_.Entities();
  for (TEntityChange& change : step.Changes)
    if (const TEntity* entity = panel_.EntityBySerial(change.Before->Serial)) change.After = ImageOf(*entity);
  // The entities the edit made stand at the end of the list.
  size_t made = now.size();
  while (made > 0 && now[made - 1]->Serial() >= firstNew_) --made;
  for (size_t i = made; i < now.size(); ++i) step.Changes.push_back({std::nullopt, ImageOf(*now[i])});
  step.PanelAfter = panel_.Image(step.PanelBefore.WithFile);
  std::erase_if(step.Changes, [](const TEntityChange& change) { return change.Before == change.After; });
  if (step.Changes.empty() && step.PanelBefore == step.PanelAfter) return;
  // A new edit after some undos: what could have been redone is gone, and with it a clean point
  // that lay there.
  const auto unreachable = steps_.begin() + static_cast<std::ptrdiff_t>(position_);
  Discard(std::vector<TStep>(std::make_move_iterator(unreachable), std::make_move_iterator(steps_.end())));
  steps_.erase(unreachable, steps_.end());
  if (clean_ > static_cast<long long>(position_)) clean_ = -1;
  steps_.push_back(std::move(step));
  ++position_;
  ++recorded_;
  if (steps_.size() > MaxSteps) {
    std::vector<TStep> oldest;
    oldest.push_back(std::move(steps_.front()));
    Discard(std::move(oldest));
    steps_.pop_front();
    --position_;
    clean_ = clean_ > 0 ? clean_ - 1 : -1;
  }
  panel_.HistoryChanged();
}

TEditStep::TEditStep(TOOAPanel* panel, const std::string& what, const std::vector<TEntity*>& scope, TEditReach reach)
    : panel_(panel) {
  if (panel_) panel_->History().Begin(what, scope, reach);
}

TEditStep::~TEditStep() {
  if (panel_) panel_->History().End();
}

std::string TDiagramHistory::UndoName() const { return CanUndo() ? steps_[position_ - 1].Name : std::string(); }
std::string TDiagramHistory::RedoName() const { return CanRedo() ? steps_[position_].Name : std::string(); }

void TDiagramHistory::Undo() {
  if (!CanUndo() || depth_ > 0) return;
  --position_;
  ApplyOrStay(steps_[position_], false, 1);
}

void TDiagramHistory::Redo() {
  if (!CanRedo() || depth_ > 0) return;
  ++position_;
  ApplyOrStay(steps_[position_ - 1], true, -1);
}

void TDiagramHistory::ApplyOrStay(const TStep& step, bool forward, int back) {
  try {
    Apply(step, forward);
  } catch (...) {
    // A command that failed half way (a toolkit error) leaves the step where it stood, to be taken
    // again, and the history recording: every later edit is a step as before.
    applying_ = false;
    position_ = static_cast<size_t>(static_cast<long long>(position_) + back);
    panel_.HistoryChanged();
    throw;
  }
}

void TDiagramHistory::MarkClean() {
  clean_ = static_cast<long long>(position_);
  panel_.HistoryChanged();
}

void TDiagramHistory::MarkUnsaved() {
  clean_ = -1;
  panel_.HistoryChanged();
}

void TDiagramHistory::Clear() {
  steps_.clear();
  position_ = 0;
  clean_ = 0;
  panel_.HistoryChanged();
}

void TDiagramHistory::Apply(const TStep& step, bool forward) {
  applying_ = true;
  panel_.LayoutMayHaveChanged();
  const TPanelImage& panelImage = forward ? step.PanelAfter : step.PanelBefore;
  const auto target = [forward](const TEntityChange& change) -> const std::optional<TEntityImage>& {
    return forward ? change.After : change.Before;
  };
  const auto serialOf = [](const TEntityChange& change) {
    return change.Before ? change.Before->Serial : change.After->Serial;
  };
  // The pages of the moment. The step holds every entity its edit changed, those a page showing
  // placed too; the others stand as they stood, unless another page was selected since: then they
  // are shown on the page of the step's moment, as a selection of that page would show them.
  if (panel_.RestorePages(panelImage)) panel_.ShowActivePage();
  // Entities that are not in the target state go, those that are come back at their places, and
  // every one the step holds takes its image; links last, when every object stands.
  for (const TEntityChange& change : step.Changes)
    if (!target(change))
      if (const int at = panel_.IndexOfSerial(serialOf(change)); at >= 0) panel_.DestroyEntityAt(static_cast<size_t>(at));
  std::vector<const TEntityImage*> comeBack;
  for (const TEntityChange& change : step.Changes)
    if (target(change) && panel_.IndexOfSerial(serialOf(change)) < 0) comeBack.push_back(&*target(change));
  std::sort(comeBack.begin(), comeBack.end(),
            [](const TEntityImage* a, const TEntityImage* b) { return a->Position < b->Position; });
  for (const TEntityImage* image : comeBack) panel_.RemakeEntity(image->Serial, image->Position);
  std::vector<std::pair<TEntity*, const TEntityImage*>> restored;
  for (const TEntityChange& change : step.Changes) {
    if (!target(change)) continue;
    TEntity& entity = *panel_.EntityBySerial(target(change)->Serial);
    entity.Restore(*target(change));
    restored.emplace_back(&entity, &*target(change));
  }
  const auto entityOf = [this](long long serial) { return panel_.EntityBySerial(serial); };
  for (const auto& [entity, image] : restored) entity->RestoreLinks(*image, entityOf);
  panel_.RestoreSelection(panelImage);
  panel_.UpdateMenuCaption();
  panel_.Invalidate();
  applying_ = false;
  panel_.RefreshPageEditor();
  panel_.HistoryChanged();
}
