#include "ooa_panel.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "canvas.h"
#include "editor_window.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "own_surface_items.h"
#include "platform.h"
#include "property.h"
#include "relation.h"
#include "text.h"
#include "toolkit_error.h"

TOOAPanel::TOOAPanel(Platform& platform)
    : platform_(platform),
      connectors_([this] { Invalidate(); }),
      entityIndex_(true, [](const TEntity* a, const TEntity* b) { return a->Serial() < b->Serial(); }) {
  std::error_code error;
  diagramFolder_ = std::filesystem::current_path(error).string();
  SetColor(clrWhite);
  bitmap_ = platform_.CreateBitmap();
  if (bitmap_) bitmap_->GetCanvas().SetBrushColor(clrWhite);
  SetBounds(0, 0, 160, 160);
  surfaceMenu_ = std::make_unique<PopupMenu>();
  BuildSurfaceMenu();
  SetPopupMenu(surfaceMenu_.get());
}

TOOAPanel::~TOOAPanel() {
  // First, while the panel is whole: an open page editor must not outlive the panel it works on.
  if (editorWindow_) editorWindow_->DestroyPageEditor(*this);
  SetPopupMenu(nullptr);
  surfaceMenu_.reset();
  selectedEntity_ = nullptr;
  pressedEntity_ = nullptr;
  bitmap_.reset();
  ownPageList_.clear();
  entityPopList_.clear();
  // Entities go in list order; each takes its rows and boxes with it and unhooks every link to them.
  ReleaseChildren();
  for (auto& entity : entities_) entity.reset();
  entities_.clear();
}

void TOOAPanel::RefreshPageEditor() {
  if (pageEditorShown_ && editorRefreshHeld_ == 0 && editorWindow_) editorWindow_->RefreshPageEditor();
}

void TOOAPanel::WithOneEditorRefresh(const std::function<void()>& work) {
  ++editorRefreshHeld_;
  try {
    work();
  } catch (...) {
    --editorRefreshHeld_;
    RefreshPageEditor();
    throw;
  }
  --editorRefreshHeld_;
  RefreshPageEditor();
}

TEntity* TOOAPanel::FindEntity(const std::string& desc) const {
  for (const auto& entity : entities_)
    if (entity && entity->EntityDesc() == desc) return entity.get();
  return nullptr;
}

TRelation* TOOAPanel::FindRelation(const std::string& desc) const {
  for (const auto& entity : entities_) {
    if (!entity) continue;
    for (const auto& slot : entity->RelationList())
      if (slot.Object && slot.Object->RelationDesc() == desc) return slot.Object.get();
  }
  return nullptr;
}

TEntityEvent* TOOAPanel::FindEntityEvent(const std::string& desc) const {
  for (const auto& entity : entities_) {
    if (!entity) continue;
    for (const auto& slot : entity->EventList())
      if (slot.Object && slot.Object->EventDesc() == desc) return slot.Object.get();
  }
  return nullptr;
}

TEntity* TOOAPanel::EntityByName(const std::string& name) const {
  return entityIndex_.First(name);
}

int TOOAPanel::IndexOfEntity(const TEntity* entity) const {
  if (!entity) return -1;
  for (size_t i = 0; i < entities_.size(); ++i)
    if (entities_[i].get() == entity) return static_cast<int>(i);
  return -1;
}

int TOOAPanel::IndexOfSerial(long long serial) const {
  auto found = std::lower_bound(entities_.begin(), entities_.end(), serial,
                                [](const std::unique_ptr<TEntity>& entity, long long s) { return entity->Serial() < s; });
  return found != entities_.end() && (*found)->Serial() == serial ? static_cast<int>(found - entities_.begin()) : -1;
}

TEntity* TOOAPanel::EntityBySerial(long long serial) const {
  const int at = IndexOfSerial(serial);
  return at < 0 ? nullptr : entities_[static_cast<size_t>(at)].get();
}

void TOOAPanel::EntityRenamed(TEntity& entity, const std::string& oldName) {
  entityIndex_.Rename(oldName, entity.Name(), &entity);
}

TEntity& TOOAPanel::CreateEntity(const std::string& name, bool keepHidden) {
  if (activePageName_.empty()) CreatePage();

  auto owned = std::make_unique<TEntity>(*this);
  TEntity& entity = *owned;
  // The name takes the smallest number from count + 1 upwards that no entity bears, so that a name
  // handed out after a removal never resolves to another entity in a saved diagram.
  long long n = 0;
  const std::string componentName =
      entityIndex_.FreeName("Entity", static_cast<long long>(entities_.size()) + 1, &n);
  entity.SetSerial(nextSerial_++);
  entityIndex_.Add(entity.Name(), &entity);
  entity.SetName(componentName);
  entities_.push_back(std::move(owned));

  entity.SetText("");
  entity.SetVisible(false);
  entity.SetParent(this);
  entity.SetTop(lastMouseY_);
  entity.SetLeft(lastMouseX_);
  entity.SetWidth(128);
  entity.SetHeight(TEntity::TitleHeight);

  if (!name.empty()) {
    entity.SetEntityDesc(name);
  } else {
    entity.SetEntityDesc(platform_.InputBox("Create New Data Entity", "Input New Data Entity's Name :",
                                            "NewEntity" + IntToText(n)));
    entity.Repaint();
  }
  if (!keepHidden && entity.ActivePages().empty()) {
    entity.AddPageEntry(activePageName_);
    entity.Repaint();
  }
  entity.BuildMenu();
  return entity;
}

TEntity& TOOAPanel::RemakeEntity(long long serial, size_t position) {
  auto owned = std::make_unique<TEntity>(*this);
  TEntity& entity = *owned;
  entity.SetSerial(serial);
  entityIndex_.Add(entity.Name(), &entity);
  const size_t at = std::min(position, entities_.size());
  entities_.insert(entities_.begin() + static_cast<std::ptrdiff_t>(at), std::move(owned));
  entity.SetText("");
  entity.SetVisible(false);
  entity.SetParent(this);
  entity.BuildMenu();
  return entity;
}

TPanelImage TOOAPanel::Image(bool withFile) const {
  TPanelImage image;
  image.ActivePage = activePageName_;
  image.Pages = ownPageList_;
  if (const TEntity* selected = selectedEntity_) {
    image.SelectedEntity = selected->Serial();
    image.SelectedProperty = selected->SelectedProperty() ? selected->SelectedProperty()->Id() : 0;
    image.SelectedMethod = selected->SelectedMethod() ? selected->SelectedMethod()->Id() : 0;
  }
  image.WithFile = withFile;
  if (withFile) {
    image.DiagramName = diagramName_;
    image.DiagramFolder = diagramFolder_;
    image.DiagramFile = diagramFile_;
  }
  return image;
}

bool TOOAPanel::RestorePages(const TPanelImage& image) {
  const bool pageChanged = activePageName_ != image.ActivePage;
  ownPageList_ = image.Pages;
  activePageName_ = image.ActivePage;
  if (image.WithFile) {
    diagramName_ = image.DiagramName;
    diagramFolder_ = image.DiagramFolder;
    diagramFile_ = image.DiagramFile;
  }
  return pageChanged;
}

void TOOAPanel::RestoreSelection(const TPanelImage& image) {
  // As a press would leave it: the entity selected before lets go of its rows.
  TEntity* next = EntityBySerial(image.SelectedEntity);
  if (TEntity* previous = selectedEntity_; previous && previous != next) {
    previous->SetSelectedProperty(nullptr);
    previous->SetSelectedMethod(nullptr);
    previous->Invalidate();
  }
  selectedEntity_ = next;
  if (next) {
    const auto rowOf = [next](long long id) { return id == 0 ? nullptr : next->RowById(id); };
    next->SetSelectedProperty(dynamic_cast<TProperty*>(rowOf(image.SelectedProperty)));
    next->SetSelectedMethod(dynamic_cast<TMethod*>(rowOf(image.SelectedMethod)));
    next->Invalidate();
  }
  if (SelectionChanged) SelectionChanged();
}

void TOOAPanel::DetachLinksTo(TEntity& entity) {
  const std::vector<TLinkBox*> boxes = entity.LinkedBy();
  // Relations first, then events, as the diagram has always unhooked them; the boxes stay, unlinked.
  // Newest link first: each box then leaves the lists of linking boxes from their ends, which
  // costs nothing even with thousands of boxes on one entity or row. The order changes nothing else.
  for (const bool relations : {true, false}) {
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
      TLinkBox* box = *it;
      if ((dynamic_cast<TRelation*>(box) != nullptr) != relations) continue;
      if (box->SourceEntity() == &entity) box->ClearSource();
      if (box->TargetEntity() == &entity) box->ClearTarget();
    }
  }
}

void TOOAPanel::DestroyEntityAt(size_t index) {
  TEntity& entity = *entities_[index];
  DetachLinksTo(entity);
  if (selectedEntity_ == &entity) selectedEntity_ = nullptr;
  if (pressedEntity_ == &entity) pressedEntity_ = nullptr;
  entityIndex_.Remove(entity.Name(), &entity);
  entities_[index].reset();
  entities_.erase(entities_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TOOAPanel::RemoveSelectedEntity() {
  const int index = IndexOfEntity(selectedEntity_);
  if (index < 0) return;
  DestroyEntityAt(static_cast<size_t>(index));
  selectedEntity_ = nullptr;
  if (SelectionChanged) SelectionChanged();
  Invalidate();
  RefreshPageEditor();
}

void TOOAPanel::DeleteCommand() {
  if (!selection_.Empty()) {
    DeleteSelection();
    return;
  }
  using TPart = TEntity::TPressedPart;
  if (TEntity* pressed = pressedEntity_) {
    const TPart part = pressed->PressedPart();
    TLinkBox* box = part == TPart::Relation ? static_cast<TLinkBox*>(pressed->SelectedRelation())
                    : part == TPart::Event  ? static_cast<TLinkBox*>(pressed->SelectedEvent())
                                            : nullptr;
    if (box) {
      box->RemoveThisBox();
      return;
    }
    // A row goes only while its entity is the one selected (a press elsewhere on the surface, or a
    // diagram reloaded, leaves none).
    if (pressed == selectedEntity_) {
      if (TProperty* row = part == TPart::Property ? pressed->SelectedProperty() : nullptr) {
        row->RemoveProperty();
        return;
      }
      if (TMethod* row = part == TPart::Method ? pressed->SelectedMethod() : nullptr) {
        row->RemoveMethod();
        return;
      }
    }
  }
  if (selectedEntity_) selectedEntity_->RemoveThisEntity();
}

void TOOAPanel::ClearDiagram() {
  activePageName_.clear();
  ownPageList_.clear();
  if (entities_.empty()) return;
  // The same as removing the first entity until none is left, done in one pass: every link into an
  // entity is cleared before that entity goes, and the page editor is reloaded once at the end.
  selectedEntity_ = nullptr;
  pressedEntity_ = nullptr;
  ReleaseChildren();
  // Every entity goes: the index is emptied at once rather than searched name by name.
  entityIndex_.Clear();
  for (auto& entity : entities_) {
    DetachLinksTo(*entity);
    entity.reset();
  }
  entities_.clear();
  Invalidate();
  RefreshPageEditor();
}

void TOOAPanel::CloseDiagram() {
  diagramName_.clear();
  diagramFile_.clear();
  activePageName_.clear();
  ClearDiagram();
}

void TOOAPanel::Paint() {
  SetColor(clrWhite);
  Canvas& canvas = GetCanvas();
  // The panel's own look: a lowered outer and a raised inner one-pixel bevel around a white face.
  const int w = Width();
  const int h = Height();
  canvas.SetBrushColor(clrWhite);
  auto frame = [&canvas](int left, int top, int right, int bottom, TColor topColour, TColor bottomColour) {
    canvas.SetPenColor(topColour);
    canvas.Polyline({{left, bottom - 1}, {left, top}, {right, top}});
    canvas.SetPenColor(bottomColour);
    canvas.Polyline({{right - 1, top}, {right - 1, bottom - 1}, {left - 1, bottom - 1}});
  };
  const TColor savedPen = canvas.PenColor();
  frame(0, 0, w, h, clrGray, clrWhite);
  frame(1, 1, w - 1, h - 1, clrWhite, clrGray);
  canvas.SetPenColor(clrWhite);
  canvas.Rectangle(2, 2, w - 2, h - 2);
  canvas.SetPenColor(savedPen);
  DrawConnectorsIn(canvas, canvas.PaintedPart());
}

void TOOAPanel::DrawConnectorsIn(Canvas& canvas, const TRect& part) {
  // The same lines in the same order and pens as every entity's DrawConnectors in turn, but only
  // those the index finds reaching into the part: a repaint of two boxes on a large diagram draws a
  // handful of lines instead of asking every box of the diagram where its lines run.
  struct TKeyed {
    TEntity* Entity;
    TLineKind Kind;
    int No;
    TConnectorIndex::TFound Found;
  };
  connectorsFound_.clear();
  connectors_.Collect(part, connectorsFound_);
  std::vector<TKeyed> lines;
  lines.reserve(connectorsFound_.size());
  for (const TConnectorIndex::TFound& found : connectorsFound_) {
    if (found.Box) {
      if (TEntity* owner = found.Box->OwnerEntity())
        lines.push_back({owner, dynamic_cast<TRelation*>(found.Box) ? TLineKind::Relation : TLineKind::Event,
                         found.Box->No(), found});
    } else if (TEntity* owner = found.Caller->OwnerEntity()) {
      lines.push_back({owner, TLineKind::Call, found.Caller->RowIndex(), found});
    }
  }
  std::sort(lines.begin(), lines.end(), [](const TKeyed& a, const TKeyed& b) {
    if (a.Entity != b.Entity) return a.Entity->Serial() < b.Entity->Serial();
    return a.Kind != b.Kind ? a.Kind < b.Kind : a.No < b.No;
  });
  const TColor startPen = canvas.PenColor();
  const std::string& page = ActivePageName();
  const TEntity* current = nullptr;
  std::optional<TColor> callPen;
  for (const TKeyed& line : lines) {
    if (line.Entity != current) {
      current = line.Entity;
      callPen.reset();
      canvas.SetPenColor(startPen);
    }
    if (line.Kind == TLineKind::Relation) {
      line.Entity->DrawRelationConnectors(canvas, static_cast<const TRelation&>(*line.Found.Box), page);
    } else if (line.Kind == TLineKind::Event) {
      if (line.Entity->ShowMethod())
        line.Entity->DrawEventConnectors(canvas, static_cast<const TEntityEvent&>(*line.Found.Box), page);
    } else {
      if (!callPen) callPen = line.Entity->CallLinePen(startPen, page);
      canvas.SetPenColor(*callPen);
      line.Entity->DrawCallConnector(canvas, *line.Found.Caller, page);
    }
  }
  canvas.SetPenColor(startPen);
}

void TOOAPanel::DrawToCanvas(Canvas& canvas) {
  for (const auto& entity : entities_) {
    if (!entity) continue;
    // Each entity's lines start from the pen the screen's lines start from, whatever was drawn before.
    canvas.ResetState();
    entity->DrawConnectors(canvas);
    entity->DrawToCanvas(canvas);
  }
}

void TOOAPanel::DrawPicture(Canvas& canvas, int width, int height) {
  // Every picture starts from a fresh canvas, so that the same diagram always gives the same
  // picture: colours a drawing leaves behind (a selected row's text colour) do not reach the next.
  canvas.ResetState();
  canvas.SetBrushColor(clrWhite);
  canvas.Rectangle(0, 0, width, height);
  DrawToCanvas(canvas);
}

void TOOAPanel::DrawToBitmap() {
  if (!bitmap_) throw EToolkitError("No picture can be painted here");
  DrawPicture(bitmap_->GetCanvas(), bitmap_->Width(), bitmap_->Height());
}

void TOOAPanel::SaveToBitmapFile(const std::string& fileName, TPictureFormat format) {
  DrawToBitmap();
  bitmap_->SaveToFile(fileName, format);
}

void TOOAPanel::Resize() {
  bitmapWidth_ = Width();
  bitmapHeight_ = Height();
  if (bitmap_) bitmap_->SetSize(Width(), Height());
}

void TOOAPanel::MouseMove(TShiftState, int x, int y) { SetLastMouse(x, y); }

void TOOAPanel::DragOver(Control&, int, int, TDragState, bool& accept) { accept = true; }

void TOOAPanel::DragDrop(Control& source, int x, int y) {
  TEntity* entity = nullptr;
  TPlacedControl* moved = nullptr;
  if (auto* relation = dynamic_cast<TRelation*>(&source)) {
    moved = relation;
    entity = relation->OwnerEntity();
  } else if (auto* event = dynamic_cast<TEntityEvent*>(&source)) {
    moved = event;
    entity = event->OwnerEntity();
  } else if (auto* dropped = dynamic_cast<TEntity*>(&source)) {
    moved = dropped;
    entity = dropped;
  }
  if (!moved) return;
  // A selected object carries the whole selection along.
  if (selection_.Size() > 1 && selection_.Contains(*moved)) {
    MoveSelection(std::max(0, x - dragGrab_.X) - moved->Left(), std::max(0, y - dragGrab_.Y) - moved->Top());
    return;
  }
  const bool box = moved != entity;
  const std::string desc = box ? static_cast<TLinkBox*>(moved)->Desc() : entity->EntityDesc();
  const TEditStep step(this, std::string("Move ") + (box ? (dynamic_cast<TRelation*>(moved) ? "Relation " : "Event ") : "Entity ") + desc,
                       TDiagramHistory::ScopeOf(entity));
  moved->SetLeft(std::max(0, x - dragGrab_.X));
  moved->SetTop(std::max(0, y - dragGrab_.Y));
  moved->StorePagePosition(activePageName_);
  if (entity) entity->UpdateAllAnchors();
  Invalidate();
}
