#include "page_arrangement.h"

#include <algorithm>
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

TPageObjects ObjectsOn(TOOAPanel& panel, const std::string& page, bool measured) {
  TPageObjects on;
  std::unordered_map<const TEntity*, int> entityAt;
  for (const auto& entity : panel.Entities())
    if (entity->IsOnPage(page)) {
      entityAt.emplace(entity.get(), static_cast<int>(on.Objects.size()));
      on.Objects.push_back(entity.get());
      const int overhang = measured ? OverhangOf(panel, *entity) : 0;
      on.Overhangs.push_back(overhang);
      on.Boxes.push_back({entity->Width() + 2 * overhang, entity->Height()});
    }
  // A box is a node of its own, linked to the entities of its ends that stand on the page, so that
  // it lands between them.
  const auto addBox = [&](TLinkBox& box) {
    if (!box.IsOnPage(page)) return false;
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
