#include "diagram_history.h"

#include <algorithm>
#include <functional>
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

namespace {
// The entity list stands in creation order, which is serial order: a removed entity comes back at
// its place, a new one at the end.
int IndexOfSerial(const TOOAPanel& panel, long long serial) {
  const auto& entities = panel.Entities();
  auto found = std::lower_bound(entities.begin(), entities.end(), serial,
                                [](const std::unique_ptr<TEntity>& entity, long long s) { return entity->Serial() < s; });
  return found != entities.end() && (*found)->Serial() == serial ? static_cast<int>(found - entities.begin()) : -1;
}

TRect BoundsOf(const Control& control) {
  return {control.Left(), control.Top(), control.Left() + control.Width(), control.Top() + control.Height()};
}

void SetBoundsOf(Control& control, const TRect& bounds) {
  control.SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
}

template <class Object>
long long IdOf(const Object* object) {
  return object ? object->Id() : 0;
}

// The fields rows and boxes share, taken and given back alike. A row's text is given back without
// the repaint its SetDesc makes: a paint measures, and may widen the entity or ask for a page
// showing, while the entity is only half set.
template <class Part>
void CapturePart(const Part& part, TPartImage& image) {
  image.Id = part.Id();
  image.Name = part.Name();
  image.Desc = part.Desc();
  image.Bounds = BoundsOf(part);
  image.Visible = part.Visible();
  image.Color = part.Color();
}

template <class Part>
void RestorePart(Part& part, const TPartImage& image, const std::function<void(const std::string&)>& setDesc) {
  part.SetName(image.Name);
  setDesc(image.Desc);
  SetBoundsOf(part, image.Bounds);
  part.SetVisible(image.Visible);
  part.SetColor(image.Color);
}

TRowImage CaptureRow(const TRow& row) {
  TRowImage image;
  CapturePart(row, image);
  image.RowIndex = row.RowIndex();
  return image;
}

TBoxImage CaptureBox(const TLinkBox& box) {
  TBoxImage image;
  CapturePart(box, image);
  image.No = box.No();
  image.Entries = box.ActivePages();
  if (box.SourceEntity()) image.Source = {box.SourceEntity()->Serial(), IdOf(box.SourceRow())};
  if (box.TargetEntity()) image.Target = {box.TargetEntity()->Serial(), IdOf(box.TargetRow())};
  return image;
}

// What a page showing sets, in one order: the entity's flags, place and size, then each row's and
// each box's, as whole numbers. A placing changes no member list, so the order stays.
void AppendPlacing(const TEntity& entity, int rowsWidth, std::vector<int>& out) {
  out.clear();
  const auto place = [&out](const Control& control) {
    out.insert(out.end(), {control.Visible() ? 1 : 0, control.Left(), control.Top(), control.Width(), control.Height()});
  };
  out.push_back(entity.ShowProperty() ? 1 : 0);
  out.push_back(entity.ShowMethod() ? 1 : 0);
  out.push_back(rowsWidth);
  place(entity);
  for (const auto& slot : entity.PropertyList()) place(*slot.Object);
  for (const auto& slot : entity.MethodList()) place(*slot.Object);
  for (const auto& slot : entity.RelationList()) place(*slot.Object);
  for (const auto& slot : entity.EventList()) place(*slot.Object);
}

// Writes a placing kept by AppendPlacing into an image of the same entity.
void PatchPlacing(TEntityImage& image, const std::vector<int>& in) {
  size_t at = 0;
  const auto next = [&in, &at] { return in[at++]; };
  const auto place = [&next](bool& visible, TRect& bounds) {
    visible = next() != 0;
    bounds.Left = next();
    bounds.Top = next();
    bounds.Right = bounds.Left + next();
    bounds.Bottom = bounds.Top + next();
  };
  image.ShowProperty = next() != 0;
  image.ShowMethod = next() != 0;
  image.RowsWidth = next();
  place(image.Visible, image.Bounds);
  for (auto* rows : {&image.Properties, &image.Methods})
    for (TRowImage& row : *rows) place(row.Visible, row.Bounds);
  for (auto* boxes : {&image.Relations, &image.Events})
    for (TBoxImage& box : *boxes) place(box.Visible, box.Bounds);
}

template <class Row>
Row* FindById(const std::vector<TMemberSlot<Row>>& list, long long id) {
  if (id == 0) return nullptr;
  for (const auto& slot : list)
    if (slot.Object && slot.Object->Id() == id) return slot.Object.get();
  return nullptr;
}

// Makes the member list hold exactly the imaged members in the imaged order: members the image
// lacks go (their destructors unhook every link to them), members it has are kept or made with their
// number, then each takes its imaged state through restore.
template <class Member, class Image, class Make, class Restore>
void Reconcile(std::vector<TMemberSlot<Member>>& list, const std::vector<Image>& images, Make make, Restore restore) {
  std::unordered_map<long long, std::unique_ptr<Member>> kept;
  std::unordered_set<long long> wanted;
  for (const Image& image : images) wanted.insert(image.Id);
  for (auto& slot : list) {
    if (!slot.Object) continue;
    if (wanted.count(slot.Object->Id())) {
      const long long id = slot.Object->Id();
      kept.emplace(id, std::move(slot.Object));
    } else {
      slot.Object.reset();
    }
  }
  list.clear();
  for (const Image& image : images) {
    auto found = kept.find(image.Id);
    list.push_back({found != kept.end() ? std::move(found->second) : make(image)});
  }
  for (size_t i = 0; i < images.size(); ++i) restore(*list[i].Object, images[i]);
}
}  // namespace

TDiagramHistory::TDiagramHistory(TOOAPanel& panel) : panel_(panel) {}

TEntityImage TDiagramHistory::Capture(const TEntity& entity, size_t position) {
  TEntityImage image;
  image.Serial = entity.Serial();
  image.Position = position;
  image.Name = entity.Name();
  image.Desc = entity.EntityDesc();
  image.Type = entity.EntityType();
  image.PropertyDefHeight = entity.PropertyDefHeight();
  image.MethodDefHeight = entity.MethodDefHeight();
  image.ShowProperty = entity.ShowProperty();
  image.ShowMethod = entity.ShowMethod();
  image.Entries = entity.ActivePages();
  image.Bounds = BoundsOf(entity);
  image.Visible = entity.Visible();
  image.Color = entity.Color();
  image.RowsWidth = entity.rowsWidth_;
  image.SelectedProperty = IdOf(entity.SelectedProperty());
  image.SelectedMethod = IdOf(entity.SelectedMethod());
  image.SelectedRelation = IdOf(entity.SelectedRelation());
  image.SelectedEvent = IdOf(entity.SelectedEvent());
  for (const auto& slot : entity.PropertyList()) {
    const TProperty& row = *slot.Object;
    TRowImage rowImage = CaptureRow(row);
    rowImage.IsDisplay = row.IsDisplay();
    rowImage.DisplaySlot = row.DisplaySlot();
    rowImage.DataType = row.DataType();
    rowImage.DataSize = row.DataSize();
    rowImage.DataScale = row.DataScale();
    image.Properties.push_back(std::move(rowImage));
  }
  for (const auto& slot : entity.MethodList()) {
    const TMethod& row = *slot.Object;
    TRowImage rowImage = CaptureRow(row);
    rowImage.Call = IdOf(row.CallMethod());
    rowImage.CallDistance = row.CallMethodLineDistance();
    image.Methods.push_back(std::move(rowImage));
  }
  for (const auto& slot : entity.RelationList()) image.Relations.push_back(CaptureBox(*slot.Object));
  for (const auto& slot : entity.EventList()) image.Events.push_back(CaptureBox(*slot.Object));
  return image;
}

TPanelImage TDiagramHistory::CapturePanel(bool withFile) const {
  TPanelImage image;
  image.ActivePage = panel_.ActivePageName();
  image.Pages = panel_.OwnPageList();
  if (const TEntity* selected = panel_.SelectedEntity()) {
    image.SelectedEntity = selected->Serial();
    image.SelectedProperty = IdOf(selected->SelectedProperty());
    image.SelectedMethod = IdOf(selected->SelectedMethod());
  }
  image.WithFile = withFile;
  if (withFile) {
    image.DiagramName = panel_.DiagramName();
    image.DiagramFolder = panel_.DiagramFolder();
  }
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
  if (depth_++ > 0 || applying_ || suspended_) return;
  const auto& entities = panel_.Entities();
  const bool withFile = reach == TEditReach::WholeDiagram;
  pending_ = TStep{};
  pending_.Name = what;
  pending_.PanelBefore = CapturePanel(withFile);
  ++edit_;
  watching_ = reach == TEditReach::Scope;
  const auto before = [this](const TEntity& entity, size_t position) { Hold(entity, Capture(entity, position)); };
  if (reach != TEditReach::Scope) {
    for (size_t i = 0; i < entities.size(); ++i) before(*entities[i], i);
  } else {
    for (const TEntity* entity : scope)
      if (const int at = entity ? IndexOfSerial(panel_, entity->Serial()) : -1;
          at >= 0 && entities[static_cast<size_t>(at)].get() == entity && entity->heldByEdit_ != edit_)
        before(*entity, static_cast<size_t>(at));
  }
  firstNew_ = panel_.nextSerial_;
}

void TDiagramHistory::Hold(const TEntity& entity, TEntityImage image) {
  entity.heldByEdit_ = edit_;
  pending_.Changes.push_back({std::move(image), std::nullopt});
}

bool TDiagramHistory::Watches(const TEntity& entity) const {
  return depth_ > 0 && watching_ && !applying_ && entity.heldByEdit_ != edit_ && entity.Serial() < firstNew_;
}

void TDiagramHistory::BeforeShow(const TEntity& entity) { AppendPlacing(entity, entity.rowsWidth_, placedBefore_); }

void TDiagramHistory::AfterShow(const TEntity& entity) {
  AppendPlacing(entity, entity.rowsWidth_, placedAfter_);
  if (placedAfter_ == placedBefore_) return;
  const int at = IndexOfSerial(panel_, entity.Serial());
  if (at < 0) return;
  TEntityImage image = Capture(entity, static_cast<size_t>(at));
  PatchPlacing(image, placedBefore_);
  Hold(entity, std::move(image));
}

void TDiagramHistory::End() {
  if (depth_ == 0 || --depth_ > 0 || applying_ || suspended_) return;
  watching_ = false;
  TStep step = std::move(pending_);
  pending_ = TStep{};
  const auto& now = panel_.Entities();
  for (TEntityChange& change : step.Changes)
    if (const int at = IndexOfSerial(panel_, change.Before->Serial); at >= 0)
      change.After = Capture(*now[static_cast<size_t>(at)], static_cast<size_t>(at));
  // The entities the edit made stand at the end of the list.
  size_t made = now.size();
  while (made > 0 && now[made - 1]->Serial() >= firstNew_) --made;
  for (size_t i = made; i < now.size(); ++i) step.Changes.push_back({std::nullopt, Capture(*now[i], i)});
  step.PanelAfter = CapturePanel(step.PanelBefore.WithFile);
  std::erase_if(step.Changes, [](const TEntityChange& change) { return change.Before == change.After; });
  if (step.Changes.empty() && step.PanelBefore == step.PanelAfter) return;
  // A new edit after some undos: what could have been redone is gone, and with it a clean point
  // that lay there.
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(position_), steps_.end());
  if (clean_ > static_cast<long long>(position_)) clean_ = -1;
  steps_.push_back(std::move(step));
  ++position_;
  ++recorded_;
  if (steps_.size() > MaxSteps) {
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
  Apply(steps_[position_], false);
}

void TDiagramHistory::Redo() {
  if (!CanRedo() || depth_ > 0) return;
  ++position_;
  Apply(steps_[position_ - 1], true);
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

TEntity* TDiagramHistory::InsertEntity(const TEntityImage& image) {
  auto owned = std::make_unique<TEntity>(panel_);
  TEntity& entity = *owned;
  entity.SetSerial(image.Serial);
  panel_.entityIndex_.Add(entity.Name(), &entity);
  const size_t at = std::min(image.Position, panel_.entities_.size());
  panel_.entities_.insert(panel_.entities_.begin() + static_cast<std::ptrdiff_t>(at), std::move(owned));
  entity.SetText("");
  entity.SetVisible(false);
  entity.SetParent(&panel_);
  entity.BuildMenu();
  return &entity;
}

void TDiagramHistory::RestoreEntity(TEntity& entity, const TEntityImage& image) {
  entity.SetName(image.Name);
  entity.SetEntityDesc(image.Desc);
  entity.SetEntityType(image.Type);
  entity.SetPropertyDefHeight(image.PropertyDefHeight);
  entity.SetMethodDefHeight(image.MethodDefHeight);
  entity.SetShowProperty(image.ShowProperty);
  entity.SetShowMethod(image.ShowMethod);
  entity.SetActivePages(image.Entries);
  const auto restoreRow = [](TRow& row, const TRowImage& rowImage) {
    RestorePart(row, rowImage, [&row](const std::string& desc) {
      row.desc_ = desc;
      row.SetText(desc);
    });
    row.SetRowIndex(rowImage.RowIndex);
  };
  // A row or box made again: owned by the entity, known by its number, indexed by its name, under
  // its parent (rows stand in the entity, boxes on the panel), with its menu.
  const auto makePart = [&entity](auto* kind, auto& names, long long id, Control& parent) {
    using Part = std::remove_pointer_t<decltype(kind)>;
    auto part = std::make_unique<Part>(entity);
    part->id_ = id;
    names.Add(part->Name(), part.get());
    part->SetParent(&parent);
    part->BuildMenu();
    part->SetPopupMenu(&part->Menu());
    return part;
  };
  Reconcile(
      entity.properties_, image.Properties,
      [&](const TRowImage& rowImage) {
        return makePart(static_cast<TProperty*>(nullptr), entity.propertyNames_, rowImage.Id, entity);
      },
      [&](TProperty& row, const TRowImage& rowImage) {
        restoreRow(row, rowImage);
        row.StoreIsDisplay(rowImage.IsDisplay);
        row.SetDisplaySlot(rowImage.DisplaySlot);
        row.SetDataType(rowImage.DataType);
        row.SetDataSize(rowImage.DataSize);
        row.SetDataScale(rowImage.DataScale);
      });
  Reconcile(
      entity.methods_, image.Methods,
      [&](const TRowImage& rowImage) { return makePart(static_cast<TMethod*>(nullptr), entity.methodNames_, rowImage.Id, entity); },
      [&](TMethod& row, const TRowImage& rowImage) {
        restoreRow(row, rowImage);
        row.SetCallMethodLineDistance(rowImage.CallDistance);
      });
  const auto restoreBox = [](TLinkBox& box, const TBoxImage& boxImage) {
    RestorePart(box, boxImage, [&box](const std::string& desc) { box.SetDesc(desc); });
    box.SetNo(boxImage.No);
    box.SetActivePages(boxImage.Entries);
  };
  Reconcile(
      entity.relations_, image.Relations,
      [&](const TBoxImage& boxImage) {
        return makePart(static_cast<TRelation*>(nullptr), entity.relationNames_, boxImage.Id, panel_);
      },
      restoreBox);
  Reconcile(
      entity.events_, image.Events,
      [&](const TBoxImage& boxImage) {
        return makePart(static_cast<TEntityEvent*>(nullptr), entity.eventNames_, boxImage.Id, panel_);
      },
      restoreBox);
  entity.RowOrderChanged();
  entity.relationNames_.OrderChanged();
  entity.eventNames_.OrderChanged();
  // The entity's own place last: its resize must leave the rows as imaged, so it takes them as
  // already as wide as the entity.
  entity.rowsWidth_ = image.Bounds.Width();
  SetBoundsOf(entity, image.Bounds);
  entity.rowsWidth_ = image.RowsWidth;
  entity.SetVisible(image.Visible);
  entity.SetColor(image.Color);
}

void TDiagramHistory::RestoreLinks(TEntity& entity, const TEntityImage& image) {
  const auto entityOf = [this](long long serial) -> TEntity* {
    const int at = serial < 0 ? -1 : IndexOfSerial(panel_, serial);
    return at < 0 ? nullptr : panel_.Entities()[static_cast<size_t>(at)].get();
  };
  const auto rowOf = [](TEntity* owner, long long id, bool properties) -> TRow* {
    if (!owner || id == 0) return nullptr;
    if (properties) return FindById(owner->PropertyList(), id);
    return FindById(owner->MethodList(), id);
  };
  const auto link = [&](TLinkBox& box, const TBoxImage& boxImage, bool properties) {
    TEntity* source = entityOf(boxImage.Source.Entity);
    TEntity* target = entityOf(boxImage.Target.Entity);
    box.ClearSource();
    box.ClearTarget();
    box.SetSourceEntity(source);
    box.SetSourceRow(rowOf(source, boxImage.Source.Row, properties));
    box.SetTargetEntity(target);
    box.SetTargetRow(rowOf(target, boxImage.Target.Row, properties));
  };
  for (size_t i = 0; i < image.Relations.size(); ++i) link(*entity.relations_[i].Object, image.Relations[i], true);
  for (size_t i = 0; i < image.Events.size(); ++i) link(*entity.events_[i].Object, image.Events[i], false);
  for (size_t i = 0; i < image.Methods.size(); ++i)
    entity.methods_[i].Object->SetCallMethod(FindById(entity.methods_, image.Methods[i].Call));
  entity.SetSelectedProperty(FindById(entity.properties_, image.SelectedProperty));
  entity.SetSelectedMethod(FindById(entity.methods_, image.SelectedMethod));
  entity.SetSelectedRelation(FindById(entity.relations_, image.SelectedRelation));
  entity.SetSelectedEvent(FindById(entity.events_, image.SelectedEvent));
  entity.UpdateMenuCaptions();
  entity.UpdateAllAnchors();
}

void TDiagramHistory::Apply(const TStep& step, bool forward) {
  applying_ = true;
  const TPanelImage& panelImage = forward ? step.PanelAfter : step.PanelBefore;
  const auto target = [forward](const TEntityChange& change) -> const std::optional<TEntityImage>& {
    return forward ? change.After : change.Before;
  };
  const auto index = [this](long long serial) { return IndexOfSerial(panel_, serial); };
  const auto serialOf = [&](const TEntityChange& change) {
    return change.Before ? change.Before->Serial : change.After->Serial;
  };
  // The pages of the moment. The step holds every entity its edit changed, those a page showing
  // placed too; the others stand as they stood, unless another page was selected since: then they
  // are shown on the page of the step's moment, as a selection of that page would show them.
  const bool pageChanged = panel_.ActivePageName() != panelImage.ActivePage;
  panel_.SetOwnPageList(panelImage.Pages);
  panel_.SetActivePageName(panelImage.ActivePage);
  if (panelImage.WithFile) {
    panel_.SetDiagramName(panelImage.DiagramName);
    panel_.SetDiagramFolder(panelImage.DiagramFolder);
  }
  if (pageChanged) panel_.ShowActivePage();
  // Entities that are not in the target state go, those that are come back at their places, and
  // every one the step holds takes its image; links last, when every object stands.
  for (const TEntityChange& change : step.Changes)
    if (!target(change))
      if (const int at = index(serialOf(change)); at >= 0) panel_.DestroyEntityAt(static_cast<size_t>(at));
  std::vector<const TEntityImage*> comeBack;
  for (const TEntityChange& change : step.Changes)
    if (target(change) && index(serialOf(change)) < 0) comeBack.push_back(&*target(change));
  std::sort(comeBack.begin(), comeBack.end(),
            [](const TEntityImage* a, const TEntityImage* b) { return a->Position < b->Position; });
  for (const TEntityImage* image : comeBack) InsertEntity(*image);
  std::vector<std::pair<TEntity*, const TEntityImage*>> restored;
  for (const TEntityChange& change : step.Changes) {
    if (!target(change)) continue;
    TEntity& entity = *panel_.Entities()[static_cast<size_t>(index(target(change)->Serial))];
    RestoreEntity(entity, *target(change));
    restored.emplace_back(&entity, &*target(change));
  }
  for (const auto& [entity, image] : restored) RestoreLinks(*entity, *image);
  // The selection of the moment, as a press would leave it: the entity selected before lets go of
  // its rows.
  const int selected = index(panelImage.SelectedEntity);
  TEntity* next = selected >= 0 ? panel_.Entities()[static_cast<size_t>(selected)].get() : nullptr;
  if (TEntity* previous = panel_.SelectedEntity(); previous && previous != next) {
    previous->SetSelectedProperty(nullptr);
    previous->SetSelectedMethod(nullptr);
    previous->Invalidate();
  }
  panel_.SetSelectedEntity(next);
  if (next) {
    next->SetSelectedProperty(FindById(next->PropertyList(), panelImage.SelectedProperty));
    next->SetSelectedMethod(FindById(next->MethodList(), panelImage.SelectedMethod));
    next->Invalidate();
  }
  panel_.UpdateMenuCaption();
  panel_.Invalidate();
  applying_ = false;
  panel_.RefreshPageEditor();
  panel_.HistoryChanged();
}
