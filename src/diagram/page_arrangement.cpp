#include "page_arrangement.h"

#include <algorithm>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "canvas.h"
#include "entity.h"
#include "entity_event.h"
#include "graph_layout.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"
#include "text.h"

namespace {
// What stands on one page: every object with its size as shown there, and the links between them.
struct TPageObjects {
  std::vector<TPlacedControl*> Objects;
  std::vector<TLayoutBox> Boxes;
  // How far a row's text reaches out of its entity on either side: a row's text stands centred on
  // the row and is not cut at the box, so the layout keeps room for it.
  std::vector<int> Overhangs;
  std::vector<TLayoutLink> Links;
  // The entities whose images an edit of those places needs: those on the page and the owners of
  // the boxes on it.
  std::vector<TEntity*> Owners;
};

int OverhangOf(TOOAPanel& panel, const TEntity& entity) {
  Canvas& canvas = panel.GetPlatformRef().MeasureCanvas();
  int widest = 0;
  if (entity.ShowProperty())
    for (const auto& slot : entity.PropertyList())
      if (slot.Object->IsDisplay()) widest = std::max(widest, canvas.TextWidth(slot.Object->PropertyDesc()));
  if (entity.ShowMethod())
    for (const auto& slot : entity.MethodList()) widest = std::max(widest, canvas.TextWidth(slot.Object->MethodDesc()));
  return std::max(0, (widest + 4 - entity.Width() + 1) / 2);
}

// The objects on the page, or those of them that the selection holds (taken is not empty).
TPageObjects ObjectsOn(TOOAPanel& panel, const std::string& page, bool measured, bool selectedOnly = false) {
  TPageObjects on;
  std::unordered_map<const TEntity*, int> entityAt;
  const auto wanted = [&](const TPlacedControl& object) {
    return object.IsOnPage(page) && (!selectedOnly || (object.Visible() && panel.Selection().Contains(object)));
  };
  for (const auto& entity : panel.Entities())
    if (wanted(*entity)) {
      entityAt.emplace(entity.get(), static_cast<int>(on.Objects.size()));
      on.Objects.push_back(entity.get());
      const int overhang = measured ? OverhangOf(panel, *entity) : 0;
      on.Overhangs.push_back(overhang);
      on.Boxes.push_back({entity->Width() + 2 * overhang, entity->Height()});
    }
  // A box is a node of its own, linked to the entities of its ends that stand on the page, so that
  // it lands between them.
  const auto addBox = [&](TLinkBox& box) {
    if (!wanted(box)) return false;
    const int at = static_cast<int>(on.Objects.size());
    on.Objects.push_back(&box);
    on.Overhangs.push_back(0);
    on.Boxes.push_back({box.Width(), box.Height(), true});
    // Source, box, target in that order, so that layers run from the one to the other through it.
    if (const auto source = entityAt.find(box.SourceEntity()); source != entityAt.end())
      on.Links.push_back({source->second, at});
    if (const auto target = entityAt.find(box.TargetEntity()); target != entityAt.end())
      on.Links.push_back({at, target->second});
    return true;
  };
  for (const auto& entity : panel.Entities()) {
    bool owns = entityAt.count(entity.get()) > 0;
    for (const auto& slot : entity->RelationList())
      if (slot.Object && addBox(*slot.Object)) owns = true;
    for (const auto& slot : entity->EventList())
      if (slot.Object && addBox(*slot.Object)) owns = true;
    if (owns) on.Owners.push_back(entity.get());
  }
  return on;
}
}  // namespace

bool ArrangeActivePage(TOOAPanel& panel) {
  const std::string page = panel.ActivePageName();
  if (IsBlank(page)) return true;
  // The sizes the boxes have on this page: an entity's rows, a box's text.
  panel.ShowActivePage();
  const TPageObjects on = ObjectsOn(panel, page, true);
  if (on.Objects.empty()) return true;
  const TLayoutResult layout = LayoutBoxes(on.Boxes, on.Links, TOOAPanel::EditorSurfaceSize);
  for (size_t i = 0; i < on.Objects.size(); ++i) {
    TPlacedControl& object = *on.Objects[i];
    object.SetLeft(layout.Places[i].X + on.Overhangs[i]);
    object.SetTop(layout.Places[i].Y);
    // The page's entry takes the place; an entity's keeps the rows it hides there.
    object.StorePagePosition(page);
  }
  panel.ShowActivePage();
  panel.Invalidate();
  return layout.Fits;
}

void ArrangePageCommand(TOOAPanel& panel) {
  bool fits = true;
  panel.Edit("Arrange Page", ObjectsOn(panel, panel.ActivePageName(), false).Owners,
             [&] { fits = ArrangeActivePage(panel); });
  if (!fits)
    panel.GetPlatformRef().ShowMessage(
        "The page holds more than fits on the surface without overlaps; its boxes were placed as well as "
        "they could be.");
}

namespace {
// Each selected object's new place, in the order of the selection's objects, as one step named what.
void PlaceSelection(TOOAPanel& panel, const std::string& what,
                    const std::function<std::vector<TPoint>(const std::vector<TPlacedControl*>&)>& places) {
  const std::vector<TPlacedControl*> objects = panel.SelectedObjects();
  if (objects.empty()) return;
  const std::vector<TPoint> to = places(objects);
  panel.Edit(what, TOOAPanel::ScopeOfObjects(objects), [&] { panel.PlaceObjects(objects, to); });
}

const char* AlignmentName(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::Left: return "Align Left Edges";
    case TAlignment::Right: return "Align Right Edges";
    case TAlignment::Top: return "Align Top Edges";
    case TAlignment::Bottom: return "Align Bottom Edges";
    case TAlignment::CentresAcross: return "Align Centres Across";
    case TAlignment::CentresDown: return "Align Centres Down";
  }
  return "Align";
}
}  // namespace

void AlignSelection(TOOAPanel& panel, TAlignment alignment) {
  if (panel.SelectedObjects().size() < 2) return;
  PlaceSelection(panel, AlignmentName(alignment), [alignment](const std::vector<TPlacedControl*>& objects) {
    const TRect bounds = TOOAPanel::BoundsOf(objects);
    std::vector<TPoint> to;
    for (const TPlacedControl* object : objects) {
      TPoint at{object->Left(), object->Top()};
      switch (alignment) {
        case TAlignment::Left: at.X = bounds.Left; break;
        case TAlignment::Right: at.X = bounds.Right - object->Width(); break;
        case TAlignment::Top: at.Y = bounds.Top; break;
        case TAlignment::Bottom: at.Y = bounds.Bottom - object->Height(); break;
        // Across: the centres on one horizontal line; down: on one vertical line.
        case TAlignment::CentresAcross: at.Y = (bounds.Top + bounds.Bottom) / 2 - object->Height() / 2; break;
        case TAlignment::CentresDown: at.X = (bounds.Left + bounds.Right) / 2 - object->Width() / 2; break;
      }
      to.push_back({std::max(0, at.X), std::max(0, at.Y)});
    }
    return to;
  });
}

void DistributeSelection(TOOAPanel& panel, bool across) {
  if (panel.SelectedObjects().size() < 3) return;
  PlaceSelection(panel, across ? "Distribute Across" : "Distribute Down", [across](const std::vector<TPlacedControl*>& objects) {
    const auto start = [across](const TPlacedControl* o) { return across ? o->Left() : o->Top(); };
    const auto length = [across](const TPlacedControl* o) { return across ? o->Width() : o->Height(); };
    std::vector<size_t> order(objects.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return start(objects[a]) < start(objects[b]); });
    // The outermost two stay; the room between them, less the objects' lengths, is shared out evenly
    // (gaps below zero when they overlap), the remainder a pixel at a time from the first gap.
    const TPlacedControl* first = objects[order.front()];
    const TPlacedControl* last = objects[order.back()];
    long long room = static_cast<long long>(start(last)) - start(first) - length(first);
    for (size_t i = 1; i + 1 < order.size(); ++i) room -= length(objects[order[i]]);
    const long long gaps = static_cast<long long>(order.size()) - 1;
    const long long gap = room >= 0 ? room / gaps : -((-room + gaps - 1) / gaps);
    long long extra = room - gap * gaps;
    std::vector<TPoint> to(objects.size());
    long long at = start(first);
    for (size_t i = 0; i < order.size(); ++i) {
      const TPlacedControl* object = objects[order[i]];
      const int place = i + 1 == order.size() ? start(last) : static_cast<int>(std::max(0LL, at));
      to[order[i]] = across ? TPoint{place, object->Top()} : TPoint{object->Left(), place};
      at += length(object) + gap + (extra > 0 ? 1 : 0);
      if (extra > 0) --extra;
    }
    return to;
  });
}

void ArrangeSelectionCommand(TOOAPanel& panel) {
  const std::string page = panel.ActivePageName();
  if (panel.Selection().Empty() || IsBlank(page)) return;
  const TPageObjects on = ObjectsOn(panel, page, true, true);
  if (on.Objects.empty()) return;
  TRect held = TOOAPanel::BoundsOf(on.Objects);
  const TLayoutResult layout = LayoutBoxes(on.Boxes, on.Links, TOOAPanel::EditorSurfaceSize);
  // The layout's own corner goes where the selection's was.
  TPoint corner = layout.Places.front();
  for (const TPoint& place : layout.Places) corner = {std::min(corner.X, place.X), std::min(corner.Y, place.Y)};
  std::vector<TPoint> to;
  for (size_t i = 0; i < on.Objects.size(); ++i)
    to.push_back({held.Left + layout.Places[i].X - corner.X + on.Overhangs[i], held.Top + layout.Places[i].Y - corner.Y});
  panel.Edit("Arrange Selection", TOOAPanel::ScopeOfObjects(on.Objects), [&] { panel.PlaceObjects(on.Objects, to); });
}
