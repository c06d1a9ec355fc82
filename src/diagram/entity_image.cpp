// An entity's image, with its rows and boxes: taken for a step of the edit history and given back
// when the step is undone or redone.
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "control.h"
#include "diagram_images.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"

TPlaceImage PlaceOf(const Control& control) {
  return {{control.Left(), control.Top(), control.Left() + control.Width(), control.Top() + control.Height()},
          control.Visible()};
}

void SetPlace(Control& control, const TPlaceImage& place) {
  control.SetBounds(place.Bounds.Left, place.Bounds.Top, place.Bounds.Width(), place.Bounds.Height());
  control.SetVisible(place.Visible);
}

void CapturePart(const Control& part, long long id, const std::string& desc, TPartImage& image) {
  image.Id = id;
  image.Name = part.Name();
  image.Desc = desc;
  image.Place = PlaceOf(part);
  image.Color = part.Color();
}

void RestorePart(Control& part, const TPartImage& image) {
  part.SetName(image.Name);
  SetPlace(part, image.Place);
  part.SetColor(image.Color);
}

namespace {
template <class Member>
long long IdOf(const Member* member) {
  return member ? member->Id() : 0;
}

template <class Member>
Member* FindById(const std::vector<TMemberSlot<Member>>& list, long long id) {
  if (id == 0) return nullptr;
  for (const auto& slot : list)
    if (slot.Object && slot.Object->Id() == id) return slot.Object.get();
  return nullptr;
}

template <class Member, class Image>
std::vector<Image> ImagesOf(const std::vector<TMemberSlot<Member>>& list) {
  std::vector<Image> images;
  images.reserve(list.size());
  for (const auto& slot : list) images.push_back(slot.Object->Image());
  return images;
}

// Makes the member list hold exactly the imaged members in the imaged order: members the image
// lacks go (their destructors unhook every link to them), members it has are kept or made again with
// their number (named in the entity's index, under their parent, with their menu), then each takes
// its imaged state.
template <class Member, class Image>
void Reconcile(TEntity& entity, std::vector<TMemberSlot<Member>>& list, TNameIndex<Member>& names,
               const std::vector<Image>& images, Control& parent) {
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
    if (found != kept.end()) {
      list.push_back({std::move(found->second)});
      continue;
    }
    auto member = std::make_unique<Member>(entity, image.Id);
    names.Add(member->Name(), member.get());
    member->SetParent(&parent);
    member->BuildMenu();
    member->SetPopupMenu(&member->Menu());
    list.push_back({std::move(member)});
  }
  for (size_t i = 0; i < images.size(); ++i) list[i].Object->Restore(images[i]);
}
}  // namespace

TEntityImage TEntity::Image() const {
  TEntityImage image;
  image.Serial = serial_;
  image.Name = Name();
  image.Desc = entityDesc_;
  image.Type = entityType_;
  image.PropertyDefHeight = propertyDefHeight_;
  image.MethodDefHeight = methodDefHeight_;
  image.ShowProperty = showProperty_;
  image.ShowMethod = showMethod_;
  image.Entries = ActivePages();
  image.Place = PlaceOf(*this);
  image.Color = Color();
  image.RowsWidth = rowsWidth_;
  image.SelectedProperty = IdOf(selectedProperty_);
  image.SelectedMethod = IdOf(selectedMethod_);
  image.SelectedRelation = IdOf(selectedRelation_);
  image.SelectedEvent = IdOf(selectedEvent_);
  image.Properties = ImagesOf<TProperty, TPropertyImage>(properties_);
  image.Methods = ImagesOf<TMethod, TMethodImage>(methods_);
  image.Relations = ImagesOf<TRelation, TBoxImage>(relations_);
  image.Events = ImagesOf<TEntityEvent, TBoxImage>(events_);
  return image;
}

void TEntity::Restore(const TEntityImage& image) {
  SetName(image.Name);
  entityDesc_ = image.Desc;
  entityType_ = image.Type;
  propertyDefHeight_ = image.PropertyDefHeight;
  methodDefHeight_ = image.MethodDefHeight;
  showProperty_ = image.ShowProperty;
  showMethod_ = image.ShowMethod;
  SetActivePages(image.Entries);
  Reconcile(*this, properties_, propertyNames_, image.Properties, *this);
  Reconcile(*this, methods_, methodNames_, image.Methods, *this);
  // Boxes stand on the panel, rows in the entity.
  Control& boxParent = panel_ ? static_cast<Control&>(*panel_) : static_cast<Control&>(*this);
  Reconcile(*this, relations_, relationNames_, image.Relations, boxParent);
  Reconcile(*this, events_, eventNames_, image.Events, boxParent);
  RowOrderChanged();
  relationNames_.OrderChanged();
  eventNames_.OrderChanged();
  selectedProperty_ = FindById(properties_, image.SelectedProperty);
  selectedMethod_ = FindById(methods_, image.SelectedMethod);
  selectedRelation_ = FindById(relations_, image.SelectedRelation);
  selectedEvent_ = FindById(events_, image.SelectedEvent);
  // The entity's own place last: its resize must leave the rows as imaged, so it takes them as
  // already as wide as the entity.
  rowsWidth_ = image.Place.Bounds.Width();
  SetPlace(*this, image.Place);
  rowsWidth_ = image.RowsWidth;
  SetColor(image.Color);
}

void TEntity::RestoreLinks(const TEntityImage& image, const std::function<TEntity*(long long serial)>& entityOf) {
  for (size_t i = 0; i < image.Relations.size(); ++i) relations_[i].Object->RestoreLinks(image.Relations[i], entityOf);
  for (size_t i = 0; i < image.Events.size(); ++i) events_[i].Object->RestoreLinks(image.Events[i], entityOf);
  for (size_t i = 0; i < image.Methods.size(); ++i)
    methods_[i].Object->SetCallMethod(FindById(methods_, image.Methods[i].Call));
  UpdateMenuCaptions();
  UpdateAllAnchors();
}

TRow* TEntity::RowById(long long id) const {
  if (TProperty* row = FindById(properties_, id)) return row;
  return FindById(methods_, id);
}

// The placing's places in one order, the entity's first, then each property's, method's,
// relation's and event's: Placing takes them in it and SetPlacing gives them back in it.
void TEntity::Placing(TPlacing& placing) const {
  placing.ShowProperty = showProperty_;
  placing.ShowMethod = showMethod_;
  placing.RowsWidth = rowsWidth_;
  placing.Places.clear();
  placing.Places.push_back(PlaceOf(*this));
  for (const auto& slot : properties_) placing.Places.push_back(PlaceOf(*slot.Object));
  for (const auto& slot : methods_) placing.Places.push_back(PlaceOf(*slot.Object));
  for (const auto& slot : relations_) placing.Places.push_back(PlaceOf(*slot.Object));
  for (const auto& slot : events_) placing.Places.push_back(PlaceOf(*slot.Object));
}

void TEntityImage::SetPlacing(const TPlacing& placing) {
  ShowProperty = placing.ShowProperty;
  ShowMethod = placing.ShowMethod;
  RowsWidth = placing.RowsWidth;
  auto place = placing.Places.begin();
  Place = *place++;
  for (auto& row : Properties) row.Place = *place++;
  for (auto& row : Methods) row.Place = *place++;
  for (auto& box : Relations) box.Place = *place++;
  for (auto& box : Events) box.Place = *place++;
}
