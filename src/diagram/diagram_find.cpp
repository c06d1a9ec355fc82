#include "diagram_find.h"

#include <algorithm>
#include <string_view>
#include <tuple>

#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "placement.h"
#include "property.h"
#include "relation.h"
#include "surface_selection.h"
#include "text.h"

namespace {
// A capital's small letter, for the scripts whose capitals and small letters pair one to one and
// take two bytes in UTF-8 either way: Latin-1, Latin Extended-A, Greek and Cyrillic. Descriptions are
// names people type, in their languages; ASCII alone would leave "ÄRGER" apart from "ärger".
unsigned SmallLetter(unsigned c) {
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
    return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c == 0x178) return 0xFF;
  // Latin Extended-A pairs a capital with the letter after it, from an even or an odd place.
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1u;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1u) ? c + 1 : c;
  return c;
}

// The text with its letters small, as the matches compare it; bytes that are no such letter stay.
void Fold(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += LowerAscii(static_cast<char>(byte));
    } else if (byte >= 0xC2 && byte <= 0xDF && i + 1 < text.size() &&
               (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      const unsigned c = SmallLetter(((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu));
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
      ++i;
    } else {
      out += static_cast<char>(byte);
    }
  }
}

TRect BoundsOf(const Control& control) {
  const TPoint origin = control.OriginInRoot();
  return {origin.X, origin.Y, origin.X + control.Width(), origin.Y + control.Height()};
}

// The member of this number in one of an entity's lists, and its place there.
template <class T>
T* MemberById(const std::vector<TMemberSlot<T>>& list, long long id, size_t* place) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].Object && list[i].Object->Id() == id) {
      if (place) *place = i;
      return list[i].Object.get();
    }
  return nullptr;
}

using TKind = TDiagramFind::TKind;

// Whether the object shows on the page as that page's showing shows it: an entity by its entry, a
// row by its entity's entry not hiding its kind (and a property row by its own display flag), a
// relation box by its entry while its owner does not hide properties there, an event box by its entry.
bool ShowsOn(TKind kind, const TEntity& entity, const Control& object, const std::string& page) {
  switch (kind) {
    case TKind::Entity: return entity.IsOnPage(page);
    case TKind::Property:
    case TKind::Method: {
      const std::string* entry = entity.EntryOn(page);
      if (!entry) return false;
      const THideFlags hidden = HideFlagsOf(*entry);
      if (kind == TKind::Method) return !hidden.Method;
      return !hidden.Property && static_cast<const TProperty&>(object).IsDisplay();
    }
    case TKind::Relation: {
      if (!static_cast<const TRelation&>(object).IsOnPage(page)) return false;
      const std::string* ownerEntry = entity.EntryOn(page);
      return !ownerEntry || !HideFlagsOf(*ownerEntry).Property;
    }
    case TKind::Event: return static_cast<const TEntityEvent&>(object).IsOnPage(page);
  }
  return false;
}

// Where the object stands at all, though it may be hidden there: a row with its entity, a box by its
// entry.
bool StandsOn(TKind kind, const TEntity& entity, const Control& object, const std::string& page) {
  switch (kind) {
    case TKind::Relation:
    case TKind::Event: return static_cast<const TLinkBox&>(object).IsOnPage(page);
    default: return entity.IsOnPage(page);
  }
}
}  // namespace

bool TDiagramFind::TMatch::operator<(const TMatch& other) const {
  return std::tie(EntityIndex, Kind, Member) < std::tie(other.EntityIndex, other.Kind, other.Member);
}

TDiagramFind::TDiagramFind(TOOAPanel& panel) : panel_(panel) {}

bool TDiagramFind::Stale() const {
  TDiagramHistory& history = panel_.History();
  return !read_ || recorded_ != history.Recorded() || position_ != history.Position() ||
         entityCount_ != panel_.Entities().size() || nextSerial_ != panel_.NextSerial();
}

void TDiagramFind::Read() {
  read_ = true;
  recorded_ = panel_.History().Recorded();
  position_ = panel_.History().Position();
  entityCount_ = panel_.Entities().size();
  nextSerial_ = panel_.NextSerial();
  objects_.clear();
  starts_.clear();
  described_.clear();
  std::string folded;
  const auto add = [&](const std::string& desc, const TMatch& object) {
    Fold(desc, folded);
    objects_.push_back(object);
    starts_.push_back(described_.size());
    described_ += folded;
    described_ += '\0';
  };
  const auto& entities = panel_.Entities();
  for (size_t e = 0; e < entities.size(); ++e) {
    const TEntity* entity = entities[e].get();
    if (!entity) continue;
    const long long serial = entity->Serial();
    add(entity->EntityDesc(), {serial, TKind::Entity, 0, e, 0});
    const auto members = [&](const auto& list, TKind kind) {
      for (size_t m = 0; m < list.size(); ++m)
        if (list[m].Object) add(list[m].Object->Desc(), {serial, kind, list[m].Object->Id(), e, m});
    };
    members(entity->PropertyList(), TKind::Property);
    members(entity->MethodList(), TKind::Method);
    members(entity->RelationList(), TKind::Relation);
    members(entity->EventList(), TKind::Event);
  }
}

void TDiagramFind::Match() {
  if (Stale()) Read();
  matches_.clear();
  currentIndexKnown_ = false;
  // A zero byte ends every description in the text searched: a text holding one finds nothing.
  if (folded_.empty() || folded_.find('\0') != std::string::npos) return;
  for (size_t at = described_.find(folded_); at != std::string::npos;) {
    // The description the text was found in; the search goes on after it.
    const size_t object = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) - starts_.begin()) - 1;
    matches_.push_back(objects_[object]);
    if (object + 1 >= starts_.size()) break;
    at = described_.find(folded_, starts_[object + 1]);
  }
}

Control* TDiagramFind::Resolve(const TMatch& match) const {
  TEntity* entity = panel_.EntityBySerial(match.Serial);
  if (!entity) return nullptr;
  switch (match.Kind) {
    case TKind::Entity: return entity;
    case TKind::Property: return MemberById(entity->PropertyList(), match.Id, nullptr);
    case TKind::Method: return MemberById(entity->MethodList(), match.Id, nullptr);
    case TKind::Relation: return MemberById(entity->RelationList(), match.Id, nullptr);
    case TKind::Event: return MemberById(entity->EventList(), match.Id, nullptr);
  }
  return nullptr;
}

Control* TDiagramFind::Current() const { return hasCurrent_ ? Resolve(current_) : nullptr; }

size_t TDiagramFind::FirstFromCurrent() const {
  if (!hasCurrent_) {
    // Nothing gone to yet: from the entity the user selected, else from the first.
    const TEntity* selected = panel_.SelectedEntity();
    const int index = selected ? panel_.IndexOfSerial(selected->Serial()) : -1;
    if (index < 0) return 0;
    TMatch from;
    from.EntityIndex = static_cast<size_t>(index);
    return static_cast<size_t>(std::lower_bound(matches_.begin(), matches_.end(), from) - matches_.begin());
  }
  // The current object's place in the order now (entities before it may have gone); where it stood
  // when it went itself.
  TMatch now = current_;
  if (const int index = panel_.IndexOfSerial(current_.Serial); index >= 0) {
    now.EntityIndex = static_cast<size_t>(index);
    const TEntity& entity = *panel_.Entities()[now.EntityIndex];
    size_t member = now.Member;
    switch (now.Kind) {
      case TKind::Entity: member = 0; break;
      case TKind::Property: MemberById(entity.PropertyList(), now.Id, &member); break;
      case TKind::Method: MemberById(entity.MethodList(), now.Id, &member); break;
      case TKind::Relation: MemberById(entity.RelationList(), now.Id, &member); break;
      case TKind::Event: MemberById(entity.EventList(), now.Id, &member); break;
    }
    now.Member = member;
  }
  return static_cast<size_t>(std::lower_bound(matches_.begin(), matches_.end(), now) - matches_.begin());
}

TDiagramFind::TFound TDiagramFind::Find(const std::string& text) {
  if (text == text_ && !Stale() && currentIndexKnown_) return GoTo(currentIndex_);
  text_ = text;
  Fold(text, folded_);
  Match();
  if (matches_.empty()) return {};
  const size_t first = FirstFromCurrent();
  return GoTo(first < matches_.size() ? first : 0);
}

TDiagramFind::TFound TDiagramFind::Next() {
  if (Stale()) Match();
  if (matches_.empty()) return {};
  size_t next = 0;
  if (currentIndexKnown_) {
    next = currentIndex_ + 1;
  } else {
    next = FirstFromCurrent();
    // The current object is itself a match: the next is the one after it.
    if (hasCurrent_ && next < matches_.size() && matches_[next].Serial == current_.Serial &&
        matches_[next].Kind == current_.Kind && matches_[next].Id == current_.Id)
      ++next;
  }
  return GoTo(next < matches_.size() ? next : 0);
}

TDiagramFind::TFound TDiagramFind::Previous() {
  if (Stale()) Match();
  if (matches_.empty()) return {};
  const size_t from = currentIndexKnown_ ? currentIndex_ : FirstFromCurrent();
  return GoTo(from > 0 ? from - 1 : matches_.size() - 1);
}

TDiagramFind::TFound TDiagramFind::GoTo(size_t index) {
  TFound found;
  found.Index = index;
  found.Count = matches_.size();
  const TMatch& match = matches_[index];
  current_ = match;
  hasCurrent_ = true;
  currentIndex_ = index;
  currentIndexKnown_ = true;
  Control* object = Resolve(match);
  TEntity* entity = panel_.EntityBySerial(match.Serial);
  if (!object || !entity) return found;  // found a moment ago: cannot happen unless the list lies
  // The active page when it shows the object, else the first page that does; failing that, one
  // where it stands hidden (a row its entity's page hides).
  const std::string& active = panel_.ActivePageName();
  std::string page;
  const auto firstPage = [&](auto test) {
    if (test(match.Kind, *entity, *object, active)) return active;
    for (const std::string& listed : panel_.OwnPageList())
      if (test(match.Kind, *entity, *object, listed)) return listed;
    return std::string();
  };
  page = firstPage(ShowsOn);
  if (page.empty()) page = firstPage(StandsOn);
  if (page.empty()) return found;
  if (page != active) panel_.ShowPage(page);
  // The object found is the selection alone: what was gathered goes, as a plain click elsewhere lets
  // it go, so that Delete never takes objects the user no longer sees selected.
  if (!panel_.Selection().Empty()) panel_.ClearSelection();
  // Selected as a press on it selects it (without the menu a right press would open, nor the drag of
  // a left one), so that Delete and the menus act on it.
  object->MouseDown(TMouseButton::Right, 0, 0, 0);
  if (panel_.SelectionChanged) panel_.SelectionChanged();
  found.Shown = true;
  found.Bounds = BoundsOf(object->Visible() || !entity->Visible() ? *object : *entity);
  return found;
}
