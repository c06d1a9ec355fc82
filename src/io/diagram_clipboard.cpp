#include "diagram_clipboard.h"

#include <algorithm>
#include <unordered_set>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "entity.h"
#include "entity_event.h"
#include "ooa_panel.h"
#include "relation.h"
#include "shifted_canvas.h"

namespace {
// The copied entities and the boxes they own that stand on the page: the group a paste or a
// duplicate places by its top-left corner.
std::vector<TPlacedControl*> GroupOf(const std::vector<TEntity*>& entities) {
  std::vector<TPlacedControl*> group(entities.begin(), entities.end());
  for (const TEntity* entity : entities) {
    for (const auto& slot : entity->RelationList())
      if (slot.Object && slot.Object->Visible()) group.push_back(slot.Object.get());
    for (const auto& slot : entity->EventList())
      if (slot.Object && slot.Object->Visible()) group.push_back(slot.Object.get());
  }
  return group;
}
}  // namespace

std::vector<TEntity*> CopiedEntities(const TOOAPanel& panel) {
  std::vector<TEntity*> entities;
  std::unordered_set<const TEntity*> taken;
  // A box selected without its entity is not copied: a box stands in its owner's list and cannot be
  // pasted without it.
  for (TPlacedControl* object : panel.SelectedObjects())
    if (auto* entity = dynamic_cast<TEntity*>(object); entity && taken.insert(entity).second) entities.push_back(entity);
  if (entities.empty() && panel.Selection().Empty() && panel.SelectedEntity() && panel.SelectedEntity()->Visible())
    entities.push_back(panel.SelectedEntity());
  // The text lists them as the file does, in creation order, which is serial order.
  std::sort(entities.begin(), entities.end(), [](const TEntity* a, const TEntity* b) { return a->Serial() < b->Serial(); });
  return entities;
}

std::string CopyCommand(const TOOAPanel& panel) {
  const std::vector<TEntity*> entities = CopiedEntities(panel);
  return entities.empty() ? std::string() : DiagramFileText(panel, entities);
}

bool PasteCommand(TOOAPanel& panel, const std::string& text, TPoint at) {
  bool pasted = false;
  panel.Edit("Paste", {}, [&] {
    std::vector<TPlacedControl*> made = ReadDiagramTextInto(panel, text);
    std::erase_if(made, [](const TPlacedControl* object) { return !object->Visible(); });
    if (made.empty()) return;
    const TRect bounds = TOOAPanel::BoundsOf(made);
    std::vector<TPoint> places;
    places.reserve(made.size());
    for (const TPlacedControl* object : made)
      places.push_back({object->Left() - bounds.Left + at.X, object->Top() - bounds.Top + at.Y});
    panel.PlaceObjects(made, places);
    panel.SelectObjects(made);
    pasted = true;
  });
  return pasted;
}

namespace {
// The copied entities removed with all their boxes, as one step "Cut".
void RemoveCutEntities(TOOAPanel& panel, const std::vector<TEntity*>& entities) {
  const std::vector<TPlacedControl*> objects(entities.begin(), entities.end());
  const TEditStep step(&panel, "Cut", TOOAPanel::ScopeOfObjects(objects));
  panel.ClearSelection();
  // From the end of the list: the places of the entities still to go do not move.
  panel.WithOneEditorRefresh([&] {
    for (auto it = entities.rbegin(); it != entities.rend(); ++it) {
      const int at = panel.IndexOfSerial((*it)->Serial());
      if (at >= 0) panel.DestroyEntityAt(static_cast<size_t>(at));
    }
  });
  panel.Invalidate();
}
}  // namespace

std::string CutCommand(TOOAPanel& panel) {
  const std::vector<TEntity*> entities = CopiedEntities(panel);
  if (entities.empty()) return {};
  std::string text = DiagramFileText(panel, entities);
  RemoveCutEntities(panel, entities);
  return text;
}

bool DuplicateCommand(TOOAPanel& panel) {
  const std::vector<TEntity*> entities = CopiedEntities(panel);
  if (entities.empty()) return false;
  const TRect bounds = TOOAPanel::BoundsOf(GroupOf(entities));
  const std::string text = DiagramFileText(panel, entities);
  const TEditStep step(&panel, "Duplicate", {});
  return PasteCommand(panel, text, {bounds.Left + kDuplicateOffset.X, bounds.Top + kDuplicateOffset.Y});
}

namespace {
// Puts the copy's text on the clipboard with its picture: the copied entities with their lines, rows
// and boxes drawn as the page draws them, on white, cut out of the page around them. With nothing
// copied, the picture of the whole page as its export draws it.
void PutCopyOnClipboard(TOOAPanel& panel, const std::vector<TEntity*>& entities, const std::string& text) {
  Platform& platform = panel.GetPlatformRef();
  if (entities.empty()) {
    const int width = panel.Width();
    const int height = panel.Height();
    platform.PutOnClipboard({}, width, height, [&](Canvas& canvas) { panel.DrawPicture(canvas, width, height); });
    return;
  }
  const TRect bounds = TOOAPanel::BoundsOf(GroupOf(entities));
  const TPoint origin{bounds.Left - kCopiedPictureMargin, bounds.Top - kCopiedPictureMargin};
  const int width = bounds.Width() + 2 * kCopiedPictureMargin;
  const int height = bounds.Height() + 2 * kCopiedPictureMargin;
  platform.PutOnClipboard(text, width, height, [&](Canvas& canvas) {
    ShiftedCanvas part(canvas, origin);
    part.ResetState();
    part.SetPenColor(clrWhite);
    part.Rectangle(origin.X, origin.Y, origin.X + width, origin.Y + height);
    for (TEntity* entity : entities) {
      part.ResetState();
      entity->DrawConnectors(part);
      entity->DrawToCanvas(part);
    }
  });
}
}  // namespace

void RunClipboardCommand(TOOAPanel& panel, TClipboardAction action, TPoint at) {
  switch (action) {
    case TClipboardAction::Copy: {
      const std::vector<TEntity*> entities = CopiedEntities(panel);
      PutCopyOnClipboard(panel, entities, entities.empty() ? std::string() : DiagramFileText(panel, entities));
      return;
    }
    case TClipboardAction::Cut: {
      // A cut of nothing leaves the clipboard as it was: the page's picture is a copy's alone. The
      // picture is drawn before the entities go.
      const std::vector<TEntity*> entities = CopiedEntities(panel);
      if (entities.empty()) return;
      PutCopyOnClipboard(panel, entities, DiagramFileText(panel, entities));
      RemoveCutEntities(panel, entities);
      return;
    }
    case TClipboardAction::Paste:
      PasteCommand(panel, panel.GetPlatformRef().ClipboardText(), at);
      return;
    case TClipboardAction::Duplicate:
      DuplicateCommand(panel);
      return;
  }
}

void InstallClipboard(TOOAPanel& panel) { panel.FileHandlers.Clipboard = RunClipboardCommand; }
