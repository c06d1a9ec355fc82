#include "diagram_diff.h"

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string_view>
#include <unordered_map>

#include "blank_canvas.h"
#include "diagram_file_reader.h"
#include "diagram_types.h"
#include "entity.h"
#include "entity_event.h"
#include "file_access.h"
#include "method.h"
#include "ooa_panel.h"
#include "placement.h"
#include "property.h"
#include "relation.h"
#include "text.h"
#include "toolkit_error.h"
#include "unattended_platform.h"

namespace {
// A text as the lines show it: in double quotes, a quote or backslash in it after a backslash, so
// that a description holding " -> " or a quote still reads as one field.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + "\"";
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

// The objects of both diagrams paired by name: those only the old one holds, in its order, then
// every object of the new one in its order, with its partner or none.
template <class T>
struct TPairing {
  std::vector<const T*> Removed;
  std::vector<std::pair<const T*, const T*>> Kept;
  // The old objects that have a partner, in the old order, when the new one holds them in another.
  std::vector<const T*> KeptInOldOrder;
};

template <class T, class NameOf>
TPairing<T> Pair(const std::vector<const T*>& older, const std::vector<const T*>& newer, NameOf nameOf) {
  TPairing<T> pairing;
  pairing.Kept.reserve(newer.size());
  // Most lists of a diagram and of an edit of it hold the same names in the same order: paired in
  // place, without an index.
  if (std::equal(older.begin(), older.end(), newer.begin(), newer.end(),
                 [&](const T* one, const T* other) { return nameOf(*one) == nameOf(*other); })) {
    for (size_t i = 0; i < newer.size(); ++i) pairing.Kept.emplace_back(older[i], newer[i]);
    return pairing;
  }
  std::unordered_map<std::string_view, std::vector<size_t>> byName;
  byName.reserve(older.size());
  for (size_t i = 0; i < older.size(); ++i) byName[nameOf(*older[i])].push_back(i);
  std::unordered_map<std::string_view, size_t> taken;
  std::vector<bool> matched(older.size());
  bool inOrder = true;
  size_t last = 0;
  for (const T* object : newer) {
    const std::string_view name = nameOf(*object);
    const T* partner = nullptr;
    if (const auto same = byName.find(name); same != byName.end()) {
      size_t& next = taken[name];
      if (next < same->second.size()) {
        const size_t index = same->second[next++];
        matched[index] = true;
        partner = older[index];
        inOrder = inOrder && index >= last;
        last = index;
      }
    }
    pairing.Kept.emplace_back(partner, object);
  }
  for (size_t i = 0; i < older.size(); ++i) {
    if (!matched[i]) pairing.Removed.push_back(older[i]);
    if (matched[i] && !inOrder) pairing.KeptInOldOrder.push_back(older[i]);
  }
  return pairing;
}

template <class T>
std::vector<const T*> Objects(const std::vector<TMemberSlot<T>>& slots) {
  std::vector<const T*> objects;
  objects.reserve(slots.size());
  for (const auto& slot : slots)
    if (slot.Object) objects.push_back(slot.Object.get());
  return objects;
}

std::string_view NameOf(const Control& control) { return control.Name(); }

// What a line is about: the kind of object and its component name.
struct TSubject {
  const char* Kind;
  const std::string& Name;
  std::string Text() const { return Kind + (" " + Name); }
};

// A link end (or a box's owner, without a row), the same in both diagrams when it names the same.
struct TEnd {
  const TEntity* Entity;
  const TRow* Row;
  bool operator==(const TEnd& other) const {
    const auto name = [](const Control* control) { return control ? std::string_view(control->Name()) : "\n"; };
    return name(Entity) == name(other.Entity) && name(Row) == name(other.Row);
  }
};

// A link end as the lines show it: ENTITY.ROW, ENTITY when the row is not set, or none.
std::string EndText(const TEnd& end) {
  if (!end.Entity) return "none";
  return end.Row ? end.Entity->Name() + "." + end.Row->Name() : end.Entity->Name();
}

std::string HidingText(THideFlags flags) {
  if (flags.Property && flags.Method) return "properties+methods";
  if (flags.Property) return "properties";
  if (flags.Method) return "methods";
  return "none";
}

std::string PlaceText(int left, int top) { return std::to_string(left) + "," + std::to_string(top); }

class TComparer {
 public:
  TComparer(std::vector<std::string>& model, std::vector<std::string>& placement)
      : model_(model), placement_(placement) {}

  void Diagrams(const TOOAPanel& older, const TOOAPanel& newer) {
    if (older.DiagramName() != newer.DiagramName())
      model_.push_back("renamed diagram " + Quoted(older.DiagramName()) + " -> " + Quoted(newer.DiagramName()));
    Pages(older.OwnPageList(), newer.OwnPageList());
    if (older.ActivePageName() != newer.ActivePageName())
      placement_.push_back("active page " + Quoted(older.ActivePageName()) + " -> " + Quoted(newer.ActivePageName()));

    const auto entities = [](const TOOAPanel& panel) {
      std::vector<const TEntity*> list;
      list.reserve(panel.Entities().size());
      for (const auto& entity : panel.Entities())
        if (entity) list.push_back(entity.get());
      return list;
    };
    const TPairing<TEntity> pairing = Pair(entities(older), entities(newer), NameOf);
    for (const TEntity* gone : pairing.Removed) Entity(gone, nullptr);
    for (const auto& [before, after] : pairing.Kept) Entity(before, after);
    Boxes<TRelation>(older, newer, "relation", [](const TEntity& entity) -> const auto& { return entity.RelationList(); });
    Boxes<TEntityEvent>(older, newer, "event", [](const TEntity& entity) -> const auto& { return entity.EventList(); });
  }

 private:
  // Pages are matched by name, exactly as placement entries name them; a page list whose shared
  // pages stand in another order says so once.
  void Pages(const TEntryList& older, const TEntryList& newer) {
    const auto pointers = [](const TEntryList& list) {
      std::vector<const std::string*> pages;
      for (const std::string& page : list) pages.push_back(&page);
      return pages;
    };
    const auto pageName = [](const std::string& page) { return std::string_view(page); };
    const TPairing<std::string> pairing = Pair(pointers(older), pointers(newer), pageName);
    for (const std::string* gone : pairing.Removed) model_.push_back("removed page " + Quoted(*gone));
    for (const auto& [before, after] : pairing.Kept)
      if (!before) model_.push_back("added page " + Quoted(*after));
    Reordered("pages", pairing, [](const std::string& page) { return Quoted(page); });
  }

  // The objects both lists hold, when they stand in another order: "reordered WHAT OLD -> NEW".
  template <class T, class Show>
  void Reordered(const std::string& what, const TPairing<T>& pairing, Show show) {
    if (pairing.KeptInOldOrder.empty()) return;
    std::string before, after;
    for (const T* object : pairing.KeptInOldOrder) before += (before.empty() ? "" : ", ") + show(*object);
    for (const auto& [old, object] : pairing.Kept)
      if (old) after += (after.empty() ? "" : ", ") + show(*object);
    model_.push_back("reordered " + what + " " + before + " -> " + after);
  }

  // One side missing: the object was added or removed, with its rows, and nothing is said of its
  // placement.
  void Entity(const TEntity* before, const TEntity* after) {
    if (!before || !after) {
      const TEntity& only = before ? *before : *after;
      const std::string verb = before ? "removed " : "added ";
      model_.push_back(verb + "entity " + only.Name() + " " + Quoted(only.EntityDesc()));
      for (const TProperty* row : Objects(only.PropertyList()))
        model_.push_back(verb + "property " + row->Name() + " " + Quoted(row->PropertyDesc()));
      for (const TMethod* row : Objects(only.MethodList()))
        model_.push_back(verb + "method " + row->Name() + " " + Quoted(row->MethodDesc()));
      return;
    }
    const TSubject subject{"entity", after->Name()};
    if (before->EntityDesc() != after->EntityDesc())
      model_.push_back("renamed " + subject.Text() + " " + Quoted(before->EntityDesc()) + " -> " + Quoted(after->EntityDesc()));
    Changed(subject, "kind", before->EntityType(), after->EntityType(), EntityTypeName);
    Entries(subject, *before, *after);
    Rows<TProperty>(*before, *after, "property", [](const TEntity& entity) -> const auto& { return entity.PropertyList(); });
    Rows<TMethod>(*before, *after, "method", [](const TEntity& entity) -> const auto& { return entity.MethodList(); });
  }

  template <class Row, class List>
  void Rows(const TEntity& before, const TEntity& after, const char* kind, List list) {
    const TPairing<Row> pairing = Pair(Objects(list(before)), Objects(list(after)), NameOf);
    for (const Row* gone : pairing.Removed)
      model_.push_back("removed " + TSubject{kind, gone->Name()}.Text() + " " + Quoted(gone->Desc()));
    // Rows stand in their entity in the order of its lists.
    Reordered("entity " + after.Name() + " " + kind + " rows", pairing, [](const Row& row) { return row.Name(); });
    for (const auto& [old, row] : pairing.Kept) {
      const TSubject subject{kind, row->Name()};
      if (!old) {
        model_.push_back("added " + subject.Text() + " " + Quoted(row->Desc()));
        continue;
      }
      if (old->Desc() != row->Desc())
        model_.push_back("renamed " + subject.Text() + " " + Quoted(old->Desc()) + " -> " + Quoted(row->Desc()));
      RowDetails(subject, *old, *row);
    }
  }

  // Values are compared as they are and turned into text only for a line: most objects of a large
  // diagram compare the same.
  template <class Value, class Show>
  void Changed(const TSubject& subject, const char* what, const Value& before, const Value& after, Show show) {
    if (!(before == after))
      model_.push_back("changed " + subject.Text() + " " + what + " " + std::string(show(before)) + " -> " +
                       std::string(show(after)));
  }

  void RowDetails(const TSubject& subject, const TProperty& before, const TProperty& after) {
    const auto number = [](int value) { return std::to_string(value); };
    Changed(subject, "type", before.DataType(), after.DataType(), DataTypeName);
    Changed(subject, "size", before.DataSize(), after.DataSize(), number);
    Changed(subject, "scale", before.DataScale(), after.DataScale(), number);
    Changed(subject, "key", before.PrimaryKey(), after.PrimaryKey(), YesNo);
    Changed(subject, "not-null", before.NotNull(), after.NotNull(), YesNo);
    // A row hidden one by one is hidden on every page: its hiding, not what the diagram says.
    if (before.IsDisplay() != after.IsDisplay())
      placement_.push_back("hiding " + subject.Text() + " " + (before.IsDisplay() ? "shown -> hidden" : "hidden -> shown"));
  }

  void RowDetails(const TSubject& subject, const TMethod& before, const TMethod& after) {
    // A row may be named "none" too: no call is no name at all.
    const auto called = [](const TMethod* row) { return row ? std::optional<std::string_view>(row->Name()) : std::nullopt; };
    const auto shown = [](const std::optional<std::string_view>& name) { return name ? std::string(*name) : "none"; };
    Changed(subject, "call", called(before.CallMethod()), called(after.CallMethod()), shown);
    // Where the call's bracket stands is drawing, not model, and means something only with a call.
    if (before.CallMethod() && after.CallMethod() && before.CallMethodLineDistance() != after.CallMethodLineDistance())
      placement_.push_back("moved " + subject.Text() + " call line " + std::to_string(before.CallMethodLineDistance()) +
                           " -> " + std::to_string(after.CallMethodLineDistance()));
  }

  // All boxes of a kind of both diagrams, in the order the file holds them: entity by entity.
  template <class Box, class List>
  void Boxes(const TOOAPanel& older, const TOOAPanel& newer, const char* kind, List list) {
    const auto boxes = [&](const TOOAPanel& panel) {
      std::vector<const Box*> all;
      for (const auto& entity : panel.Entities())
        if (entity)
          for (const auto& slot : list(*entity))
            if (slot.Object) all.push_back(slot.Object.get());
      return all;
    };
    const TPairing<Box> pairing = Pair(boxes(older), boxes(newer), NameOf);
    for (const Box* gone : pairing.Removed)
      model_.push_back("removed " + TSubject{kind, gone->Name()}.Text() + " " + Quoted(gone->Desc()));
    for (const auto& [old, box] : pairing.Kept) {
      const TSubject subject{kind, box->Name()};
      if (!old) {
        model_.push_back("added " + subject.Text() + " " + Quoted(box->Desc()));
        continue;
      }
      if (old->Desc() != box->Desc())
        model_.push_back("renamed " + subject.Text() + " " + Quoted(old->Desc()) + " -> " + Quoted(box->Desc()));
      Changed(subject, "owner", TEnd{old->OwnerEntity(), nullptr}, TEnd{box->OwnerEntity(), nullptr}, EndText);
      Changed(subject, "source", TEnd{old->SourceEntity(), old->SourceRow()}, TEnd{box->SourceEntity(), box->SourceRow()}, EndText);
      Changed(subject, "target", TEnd{old->TargetEntity(), old->TargetRow()}, TEnd{box->TargetEntity(), box->TargetRow()}, EndText);
      Entries(subject, *old, *box);
    }
  }

  // The placement entries page by page, as a page showing reads them: the first entry for a page
  // counts, a blank one none.
  void Entries(const TSubject& subject, const TPlacedControl& before, const TPlacedControl& after) {
    if (before.ActivePages() == after.ActivePages()) return;
    const auto placed = [](const TPlacedControl& object) {
      std::vector<const std::string*> entries;
      std::unordered_map<std::string_view, bool> seen;
      for (const std::string& entry : object.ActivePages()) {
        const std::string_view page = PageOfEntryView(entry);
        if (!page.empty() && seen.emplace(page, true).second) entries.push_back(&entry);
      }
      return entries;
    };
    const auto pageOf = [](const std::string& entry) { return PageOfEntryView(entry); };
    const TPairing<std::string> pairing = Pair(placed(before), placed(after), pageOf);
    const auto on = [&](const std::string& entry) { return subject.Text() + " on " + Quoted(PageOfEntryView(entry)); };
    const auto at = [](const std::string& entry) { return PlaceText(LeftOfEntry(entry), TopOfEntry(entry)); };
    for (const std::string* gone : pairing.Removed) placement_.push_back("unplaced " + on(*gone) + " at " + at(*gone));
    for (const auto& [old, entry] : pairing.Kept) {
      if (!old) {
        placement_.push_back("placed " + on(*entry) + " at " + at(*entry));
        continue;
      }
      if (at(*old) != at(*entry)) placement_.push_back("moved " + on(*entry) + " " + at(*old) + " -> " + at(*entry));
      if (HideFlagsOf(*old) != HideFlagsOf(*entry))
        placement_.push_back("hiding " + on(*entry) + " " + HidingText(HideFlagsOf(*old)) + " -> " +
                             HidingText(HideFlagsOf(*entry)));
    }
  }

  std::vector<std::string>& model_;
  std::vector<std::string>& placement_;
};
}  // namespace

TDiagramDiff::TDiagramDiff(const TOOAPanel& older, const TOOAPanel& newer) {
  TComparer(model_, placement_).Diagrams(older, newer);
}

std::string TDiagramDiff::Text() const {
  std::string text;
  const auto part = [&](const char* heading, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    text += heading;
    for (const std::string& line : lines) text += line + "\n";
  };
  part("# model\n", model_);
  part("# placement\n", placement_);
  return text;
}

// Nobody to ask (every question answered as Cancel would, see TUnattendedPlatform) and nothing
// shown: whatever the reading says is kept, for it means the diagram was not read whole. Text
// measures 7 pixels a character: sizes are no part of the comparison, and the reading needs no
// display.
class TComparedDiagram::TPlatform : public TUnattendedPlatform {
 public:
  std::unique_ptr<Bitmap> CreateBitmap() override { return nullptr; }
  Canvas& MeasureCanvas() override { return measure_; }
  const std::vector<std::string>& Said() const { return said_; }

 protected:
  // Messages, errors and notices alike.
  void Tell(const std::string& text) override { said_.push_back(text); }

 private:
  class TMeasure : public BlankCanvas {
   public:
    int TextWidth(const std::string& text) override { return 7 * CharacterCount(text); }
    int TextHeight(const std::string&) override { return 16; }
  };
  TMeasure measure_;
  std::vector<std::string> said_;
};

TComparedDiagram::TComparedDiagram(const std::optional<std::string>& fileName)
    : platform_(std::make_unique<TPlatform>()), panel_(std::make_unique<TOOAPanel>(*platform_)) {
  // The editor's surface, on which the reading places objects; none of its commands.
  panel_->SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  if (!fileName) return;
  LoadDiagramText(*panel_, ReadExistingFile(*fileName), *fileName);
  if (!platform_->Said().empty())
    throw EToolkitError("The file \"" + FullFileName(*fileName) + "\" cannot be read whole: " + platform_->Said().front());
}

TComparedDiagram::~TComparedDiagram() = default;

namespace {
// The diagrams compared and left to the end of the process; outside any function, so that leak
// checks find them held.
struct TLeftDiagram {
  void* Platform;
  TOOAPanel* Panel;
};
TLeftDiagram gLeftDiagrams[2];
size_t gLeftCount = 0;
}  // namespace

void TComparedDiagram::LeaveToProcessEnd() {
  if (gLeftCount == std::size(gLeftDiagrams)) return;
  gLeftDiagrams[gLeftCount++] = {platform_.release(), panel_.release()};
}

int RunDiff(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  const bool git = files.size() == 7;
  if (files.size() != 2 && !git) {
    err << "quorvane: --diff needs two diagram files, OLD and NEW (see --help)\n";
    return 2;
  }
  // git names a side that does not exist /dev/null, with mode ".".
  const auto side = [&](size_t file, size_t mode) -> std::optional<std::string> {
    if (git && files[mode] == ".") return std::nullopt;
    return files[file];
  };
  try {
    TComparedDiagram older(side(git ? 1 : 0, 3));
    TComparedDiagram newer(side(git ? 4 : 1, 6));
    const TDiagramDiff diff(older.Panel(), newer.Panel());
    if (git && !diff.Same()) out << "# diff " << files[0] << "\n";
    out << diff.Text();
    out.flush();
    older.LeaveToProcessEnd();
    newer.LeaveToProcessEnd();
    return diff.Same() || git ? 0 : 1;
  } catch (const std::exception& error) {
    err << "quorvane: " << error.what() << '\n';
    return 2;
  }
}

std::string DiffUsage() {
  return R"(With --diff, compares two diagram files without a display and prints what changed, one
line per change: first under "# model" what the diagram says, then under "# placement" what
only moved or changed its hiding on a page. Objects are matched by component name (Entity3,
Entity3_Prop2, Entity3_Rel_1, ...); texts stand in double quotes (\" and \\ inside).
  renamed diagram "OLD" -> "NEW"          added page "P"     removed page "P"
  reordered pages "A", "B" -> "B", "A"   reordered entity NAME property|method rows R1, R2 -> R2, R1
  added|removed KIND NAME "DESCRIPTION"   (KIND: entity, property, method, relation, event)
  renamed KIND NAME "OLD" -> "NEW"        (the description changed)
  changed entity NAME kind OLD -> NEW
  changed property NAME type|size|scale|key|not-null OLD -> NEW
  changed method NAME call OLD -> NEW     (a method row's name, or none)
  changed relation|event NAME owner|source|target OLD -> NEW  (ENTITY.ROW, ENTITY or none)
  active page "OLD" -> "NEW"
  moved KIND NAME on "PAGE" X,Y -> X,Y    placed|unplaced KIND NAME on "PAGE" at X,Y
  hiding entity NAME on "PAGE" OLD -> NEW (none, properties, methods, properties+methods)
  hiding property NAME shown -> hidden    moved method NAME call line OLD -> NEW
An object added or removed brings its rows along; its placement is not listed.
Exit status: 0 when both hold the same diagram and layout, 1 when they differ, 2 when a file
cannot be compared (missing, unreadable, not a diagram file, not read whole), with one line
on standard error. Given the seven arguments of a git diff driver (PATH OLD-FILE OLD-HEX
OLD-MODE NEW-FILE NEW-HEX NEW-MODE), a side of mode "." is the empty diagram, the changes
follow a line "# diff PATH", and a difference exits with 0, as git expects of a driver.
)";
}
