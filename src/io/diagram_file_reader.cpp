#include "diagram_file_reader.h"

#include <unordered_map>

#include "diagram_file_words.h"
#include "entity.h"
#include "entity_event.h"
#include "file_access.h"
#include "method.h"
#include "placement.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "relation.h"
#include "text.h"
#include "text_encoding.h"
#include "toolkit_error.h"

namespace {
enum class TSection { Header, Entity, Property, Method, Relation, EntityEvent };

// Page lists and placement entries take a value unless it repeats the line before; the first one
// unless it is empty.
bool Repeats(const TEntryList& list, const std::string& value) {
  return list.empty() ? value.empty() : value == list.back();
}
void AddUnlessRepeated(TEntryList& list, const std::string& value) {
  if (!Repeats(list, value)) list.push_back(value);
}
void AddUnlessRepeated(TPlacedControl& object, const std::string& value) {
  if (!Repeats(object.ActivePages(), value)) object.AppendEntry(value);
}

bool Holds(std::string_view text, std::string_view word) { return text.find(word) != std::string_view::npos; }

TRelation* NewBox(TEntity& owner, const TRelation*) { return AddRelation(owner, "NEWRelation", true); }
TEntityEvent* NewBox(TEntity& owner, const TEntityEvent*) { return AddEntityEvent(owner, "NEWEntityEvent", true); }
void SetBoxDesc(TRelation& relation, const std::string& desc) { relation.SetRelationDesc(desc); }
void SetBoxDesc(TEntityEvent& event, const std::string& desc) { event.SetEventDesc(desc); }
TRow* RowByName(const TEntity& entity, const std::string& name, const TRelation*) {
  return entity.PropertyByName(name);
}
TRow* RowByName(const TEntity& entity, const std::string& name, const TEntityEvent*) {
  return entity.MethodByName(name);
}

// Partial page showing lasts exactly as long as the reading, however the reading ends.
class TPartialShow {
 public:
  explicit TPartialShow(TOOAPanel& panel) : panel_(panel) { panel_.BeginPartialShow(); }
  ~TPartialShow() { panel_.EndPartialShow(); }
  TPartialShow(const TPartialShow&) = delete;
  TPartialShow& operator=(const TPartialShow&) = delete;

 private:
  TOOAPanel& panel_;
};

// What a paste reads besides a load: the entities it made by the names the text gives them (the
// ends and owners of its boxes name them so), and the names they had there where they were renamed.
struct TPasteNames {
  std::unordered_map<std::string, TEntity*> ByTextName;  // upper case, as entity names compare
  std::unordered_map<const TEntity*, std::string> Renamed;
  std::string TextPage;  // the text's active page: its entries for that page are the ones pasted
  std::vector<TPlacedControl*> Made;
};

class TDiagramReader {
 public:
  explicit TDiagramReader(TOOAPanel& panel, TPasteNames* paste = nullptr) : panel_(panel), paste_(paste) {}

  void Read(std::string_view text) {
    {
      TPartialShow partialShow(panel_);
      bool ended = false;
      while (!text.empty()) {
        const std::string_view trimmed = TrimView(NextLine(text));
        const size_t equals = trimmed.find('=');
        if (equals != std::string_view::npos) {
          Key(TrimView(trimmed.substr(0, equals)), std::string(TrimView(trimmed.substr(equals + 1))));
        } else if (!Marker(trimmed)) {
          ended = true;
          break;
        }
      }
      // A file read to its end whose last marker does not close the diagram was cut short (a disk
      // that filled, a copy stopped half way): what it holds is read, and the user told, before a
      // save makes the loss permanent.
      cut_ = !ended && !closedLast_;
      ResolveCalls();
    }
    panel_.ShowActivePage();
  }

  bool Cut() const { return cut_; }

 private:
  // Every entity whose state the reading changes is shown again by the next page showing.
  void Mark(TEntity* entity) {
    if (entity) panel_.MarkForShow(*entity);
  }

  // A paste ends quietly: what it read so far is pasted, and nothing asks the user about a text
  // that merely lay on the clipboard.
  bool FormatError(const char* message) {
    if (!paste_) panel_.GetPlatformRef().ShowMessage(message);
    return false;
  }

  // An entity as the text names it: within a paste only one the paste made; names of entities the
  // text does not hold are links to objects that are not there.
  TEntity* EntityNamed(const std::string& name) const {
    if (!paste_) return panel_.EntityByName(name);
    const auto found = paste_->ByTextName.find(UpperCase(name));
    return found == paste_->ByTextName.end() ? nullptr : found->second;
  }
  // A row's name as the text gives it, under the name its entity was given instead of the text's:
  // the creation operations name rows and boxes after their entity.
  std::string MemberName(const TEntity* entity, const std::string& name) const {
    if (!paste_ || !entity) return name;
    const auto renamed = paste_->Renamed.find(entity);
    if (renamed == paste_->Renamed.end()) return name;
    const std::string& old = renamed->second;
    if (name.size() > old.size() && name[old.size()] == '_' && SameText(std::string_view(name).substr(0, old.size()), old))
      return entity->Name() + name.substr(old.size());
    return name;
  }
  // A name the text gives that a component name cannot be is left as the object has it.
  static void SetNameIfValid(Control& object, const std::string& name) {
    if (IsValidIdent(name)) object.SetName(name);
  }
  // A paste keeps the entries for the text's active page, moved to the active page here; a load
  // every entry.
  std::optional<std::string> EntryToRead(const std::string& value) const {
    if (!paste_) return value;
    if (PageOfEntryView(value) != paste_->TextPage) return std::nullopt;
    return MakeEntry(panel_.ActivePageName(), LeftOfEntry(value), TopOfEntry(value)) + std::string(FlagsOfEntry(value));
  }
  void Made(TPlacedControl* object) {
    if (paste_ && object) paste_->Made.push_back(object);
  }

  // Returns false when the line ends the reading.
  bool Marker(std::string_view line) {
    for (const TFileSection& section : kFileSections)
      if (IsSectionMarker(line, kSectionOpen, section) || IsSectionMarker(line, kSectionClose, section))
        closedLast_ = IsSectionMarker(line, kSectionClose, kDiagramSection);
    // A marker opening anything but a row ends the entity's rows, "#ENTITY" or not.
    if (line.size() > 1 && line.front() == kSectionOpen && !IsSectionMarker(line, kSectionOpen, kPropertySection) &&
        !IsSectionMarker(line, kSectionOpen, kMethodSection))
      ResolveCalls();
    if (IsSectionMarker(line, kSectionClose, kDiagramSection)) {
      if (diagramOpen_ && !paste_ && panel_.OwnPageList().empty()) panel_.OwnPageList().push_back("NewPage1");
      diagramOpen_ = false;
    } else if (IsSectionMarker(line, kSectionClose, kEntitySection)) {
      ResolveCalls();
      if (entity_) {
        Mark(entity_);
        if (entity_->ActivePages().empty()) entity_->AddPageEntry(panel_.ActivePageName());
      }
      entity_ = nullptr;
    } else if (IsSectionMarker(line, kSectionClose, kPropertySection)) {
      property_ = nullptr;
    } else if (IsSectionMarker(line, kSectionClose, kMethodSection)) {
      method_ = nullptr;
    } else if (IsSectionMarker(line, kSectionClose, kRelationSection)) {
      CloseBox(relation_);
    } else if (IsSectionMarker(line, kSectionClose, kEventSection)) {
      CloseBox(event_);
    } else if (IsSectionMarker(line, kSectionOpen, kDiagramSection)) {
      if (diagramOpen_) return FormatError("File Format Error !! When Init Diagram !! ");
      section_ = TSection::Header;
      diagramOpen_ = true;
      if (!paste_) panel_.OwnPageList().clear();
    } else if (IsSectionMarker(line, kSectionOpen, kEntitySection)) {
      if (entity_) return FormatError("File Format Error !! When Create A Entity Object !! ");
      entity_ = &panel_.CreateEntity("NEWEntity", true);
      Made(entity_);
      Mark(entity_);
      section_ = TSection::Entity;
    } else if (IsSectionMarker(line, kSectionOpen, kPropertySection)) {
      if (!entity_) return FormatError("File Format Error !! When Create A Property Object !! ");
      property_ = AddProperty(*entity_, "NEWProperty", true);
      Mark(entity_);
      section_ = TSection::Property;
    } else if (IsSectionMarker(line, kSectionOpen, kMethodSection)) {
      if (!entity_) return FormatError("File Format Error !! When Create A Method Object !! ");
      method_ = AddMethod(*entity_, "NEWMethod", true);
      Mark(entity_);
      section_ = TSection::Method;
    } else if (IsSectionMarker(line, kSectionOpen, kRelationSection)) {
      section_ = TSection::Relation;
    } else if (IsSectionMarker(line, kSectionOpen, kEventSection)) {
      section_ = TSection::EntityEvent;
    }
    return true;
  }

  // The calls read in the entity's method sections: each names a row of the caller's own entity,
  // other than the caller (a row cannot call itself; no drop makes it do so either). Where rows
  // share the name, the first of them other than the caller: so a call written under that name
  // is read back as a call again.
  void ResolveCalls() {
    // The rows shown stand one under the other, as hiding rows leaves them.
    if (hiddenIn_) {
      hiddenIn_->RestackDisplayedProperties();
      Mark(hiddenIn_);
      hiddenIn_ = nullptr;
    }
    for (const auto& [caller, name] : calls_) {
      TEntity* entity = caller->OwnerEntity();
      TMethod* called = entity ? entity->MethodNames().FirstOther(name, caller) : nullptr;
      if (called) caller->SetCallMethod(called);
    }
    calls_.clear();
  }

  // A box read without placement entries stands on the active page, at no position of its own.
  template <class Box>
  void CloseBox(Box*& box) {
    if (box) {
      Mark(box->OwnerEntity());
      if (box->ActivePages().empty()) box->AppendEntry(panel_.ActivePageName());
    }
    box = nullptr;
  }

  // The key is the text before the first "=", compared whole: a key word inside a value (a
  // description holding NAME, a page named HIDE METHOD) is only text.
  void Key(std::string_view key, const std::string& value) {
    switch (section_) {
      case TSection::Header:
        if (!diagramOpen_) return;
        HeaderKey(key, value);
        panel_.UpdateMenuCaption();
        return;
      case TSection::Entity:
        if (entity_) EntityKey(key, value);
        return;
      case TSection::Property:
        if (!entity_ || !property_) return;
        Mark(property_->OwnerEntity());
        if (key == kKeyName) {
          if (paste_) SetNameIfValid(*property_, MemberName(entity_, value));
          else property_->SetName(value);
        } else if (key == kKeyDesc) {
          property_->SetPropertyDesc(value);
          property_->UpdateMenuCaption();
        } else if (key == kKeyDataType) {
          property_->SetDataType(DataTypeByName(value).value_or(pdtVachar));
        } else if (key == kKeyDataSize) {
          property_->SetDataSize(TextToIntDef(value, 0));
        } else if (key == kKeyDataScale) {
          property_->SetDataScale(TextToIntDef(value, 0));
        } else if (key == kKeyHidden && value == kTrueValue) {
          property_->StoreIsDisplay(false);
          hiddenIn_ = entity_;
        } else if (key == kKeyPrimaryKey) {
          property_->SetPrimaryKey(value == kTrueValue);
        } else if (key == kKeyNotNull) {
          property_->SetNotNull(value == kTrueValue);
        }
        property_->UpdateAnchors();
        return;
      case TSection::Method:
        if (!entity_ || !method_) return;
        Mark(method_->OwnerEntity());
        if (key == kKeyName) {
          if (paste_) SetNameIfValid(*method_, MemberName(entity_, value));
          else method_->SetName(value);
        } else if (key == kKeyDesc) {
          method_->SetMethodDesc(value);
          method_->UpdateMenuCaption();
        } else if (key == kKeyCallMethod) {
          // Found when the entity's section ends, so that a row written after this one is found.
          calls_.push_back({method_, MemberName(entity_, value)});
        } else if (key == kKeyCallDistance) {
          method_->SetCallMethodLineDistance(TextToIntDef(value, 15));
        }
        method_->UpdateAnchors();
        return;
      case TSection::Relation:
        BoxKey(relation_, kRelationWords, key, value);
        return;
      case TSection::EntityEvent:
        BoxKey(event_, kEventWords, key, value);
        return;
    }
  }

  void HeaderKey(std::string_view key, const std::string& value) {
    // A paste takes nothing of the diagram the text came from but the page its objects stood on.
    if (paste_) {
      if (key == kKeyActivePage) paste_->TextPage = value;
      return;
    }
    TEntryList& pages = panel_.OwnPageList();
    if (key == kKeyDiagramName) {
      panel_.SetDiagramName(value.empty() ? "NewDiagram" : value);
    } else if (key == kKeyActivePage) {
      if (!value.empty()) {
        panel_.SetActivePageName(value);
      } else {
        if (pages.empty()) pages.push_back("NewPage1");
        panel_.SetActivePageName(pages.front());
      }
    } else if (key == kKeyOwnPage) {
      AddUnlessRepeated(pages, value);
    }
  }

  void EntityKey(std::string_view key, const std::string& value) {
    TEntity& entity = *entity_;
    Mark(&entity);
    if (key == kKeyName) {
      if (paste_) PasteEntityName(entity, value);
      else entity.SetName(value);
    } else if (key == kKeyDisplayPage) {
      const std::optional<std::string> entry = EntryToRead(value);
      if (!entry) return;
      AddUnlessRepeated(entity, *entry);
      // Nothing sets these back while reading: the final page showing takes both from the entry
      // of the active page.
      if (EntryHidesProperty(*entry)) entity.SetShowProperty(false);
      if (EntryHidesMethod(*entry)) entity.SetShowMethod(false);
    } else if (key == kKeyEntityType) {
      if (Holds(value, "Organization")) entity.SetEntityType(Et_Organization);
      if (Holds(value, "Form")) entity.SetEntityType(Et_Form);
      if (Holds(value, "Data")) entity.SetEntityType(Et_Data);
      if (Holds(value, "Concept")) entity.SetEntityType(Et_Concept);
    } else if (key == kKeyDesc) {
      entity.SetEntityDesc(value);
      entity.UpdateMenuCaptions();
    } else if (key == kKeyTop) {
      entity.SetTop(TextToIntDef(value, 60));
    } else if (key == kKeyLeft) {
      entity.SetLeft(TextToIntDef(value, 60));
    }
  }

  // A pasted entity keeps the text's name unless an entity here bears it (the one its own creation
  // gave it stays then); the text's boxes find it by the text's name either way.
  void PasteEntityName(TEntity& entity, const std::string& name) {
    if (!IsValidIdent(name)) return;
    const TEntity* bearer = panel_.EntityByName(name);
    if (!bearer || bearer == &entity) {
      entity.SetName(name);
    } else {
      paste_->Renamed[&entity] = name;
    }
    paste_->ByTextName.emplace(UpperCase(name), &entity);
  }

  // Owner, source and target lines make the entity they name current, found or not; a box's ends
  // only ever name entities read before it.
  template <class Box>
  void BoxKey(Box*& box, const TBoxFileWords& keys, std::string_view key, const std::string& value) {
    if (key == keys.Owner) {
      entity_ = EntityNamed(value);
      if (paste_) box = nullptr;
      if (entity_) {
        Mark(entity_);
        box = NewBox(*entity_, box);
        Made(box);
      }
      return;
    }
    if (!box) return;
    Mark(box->OwnerEntity());
    if (key == kKeyName) {
      if (paste_) SetNameIfValid(*box, MemberName(box->OwnerEntity(), value));
      else box->SetName(value);
    } else if (key == kKeyDesc) {
      SetBoxDesc(*box, value);
      box->UpdateMenuCaption();
    } else if (key == kKeyTop) {
      box->SetTop(TextToIntDef(value, 160));
    } else if (key == kKeyLeft) {
      box->SetLeft(TextToIntDef(value, 160));
    } else if (key == kKeyDisplayPage) {
      if (const std::optional<std::string> entry = EntryToRead(value)) AddUnlessRepeated(*box, *entry);
    }
    box->UpdateAnchors();
    // A row belongs to its entity: an end that is given another entity lets go of the row it had,
    // which would otherwise link the box to a row of an entity that is not its end.
    if (key == kKeySourceEntity) {
      entity_ = EntityNamed(value);
      if (entity_ && entity_ != box->SourceEntity()) {
        box->SetSourceRow(nullptr);
        box->SetSourceEntity(entity_);
      }
    } else if (key == keys.SourceRow) {
      if (const TEntity* source = box->SourceEntity())
        if (TRow* row = RowByName(*source, MemberName(source, value), box)) box->SetSourceRow(row);
    } else if (key == kKeyTargetEntity) {
      entity_ = EntityNamed(value);
      if (entity_ && entity_ != box->TargetEntity()) {
        box->SetTargetRow(nullptr);
        box->SetTargetEntity(entity_);
      }
    } else if (key == keys.TargetRow) {
      if (const TEntity* target = box->TargetEntity())
        if (TRow* row = RowByName(*target, MemberName(target, value), box)) box->SetTargetRow(row);
    }
  }

  TOOAPanel& panel_;
  TPasteNames* paste_;
  TSection section_ = TSection::Header;
  bool diagramOpen_ = false;
  bool closedLast_ = false;  // the last marker read closes the diagram
  bool cut_ = false;
  TEntity* hiddenIn_ = nullptr;  // an entity whose rows the reading hid, to be stacked again
  TEntity* entity_ = nullptr;
  TProperty* property_ = nullptr;
  TMethod* method_ = nullptr;
  TRelation* relation_ = nullptr;
  TEntityEvent* event_ = nullptr;
  std::vector<std::pair<TMethod*, std::string>> calls_;
};

// Whether some line of the text, trimmed, is one of the twelve section markers of a diagram file.
bool HoldsSectionMarker(std::string_view text) {
  while (!text.empty()) {
    const std::string_view line = TrimView(NextLine(text));
    if (line.empty() || line.find('=') != std::string_view::npos) continue;
    for (const TFileSection& section : kFileSections)
      if (IsSectionMarker(line, kSectionOpen, section) || IsSectionMarker(line, kSectionClose, section)) return true;
  }
  return false;
}
}  // namespace

void LoadDiagramText(TOOAPanel& panel, std::string_view fileBytes, const std::string& fileName) {
  // UTF-8, what this editor writes, is read where it lies; only other text needs a converted copy.
  std::string converted;
  std::string_view text = WithoutByteOrderMark(fileBytes);
  if (!IsValidUtf8(text)) {
    converted = DecodeFileText(fileBytes);
    text = converted;
  }
  // A file in which not one line is a diagram's (an empty file, a text file chosen by mistake) would
  // replace the diagram with an empty one, asking for a page as if it were a diagram without one.
  if (!HoldsSectionMarker(text))
    throw EToolkitError((fileName.empty() ? std::string("The text") : "The file \"" + FullFileName(fileName) + "\"") +
                        " is not a diagram file: none of its lines begins or ends a diagram, an entity, a row, a "
                        "relation or an event.");
  // A load creates every box before its entries are read: an open page editor is reloaded once,
  // with the diagram whole.
  bool cut = false;
  panel.WithOneEditorRefresh([&] {
    panel.ClearDiagram();
    TDiagramReader reader(panel);
    reader.Read(text);
    cut = reader.Cut();
  });
  if (cut)
    panel.GetPlatformRef().ShowNotice(
        (fileName.empty() ? std::string("The text") : "The file \"" + FullFileName(fileName) + "\"") +
        " ends before its last line: what it holds up to there was read, the rest of it is missing.");
}

void LoadDiagramFile(TOOAPanel& panel, const std::string& fileName) {
  const std::optional<std::string> bytes = ReadWholeFile(fileName);
  if (!bytes) return;
  LoadDiagramText(panel, *bytes, fileName);
}

std::vector<TPlacedControl*> ReadDiagramTextInto(TOOAPanel& panel, std::string_view bytes) {
  std::string converted;
  std::string_view text = WithoutByteOrderMark(bytes);
  if (!IsValidUtf8(text)) {
    converted = DecodeFileText(bytes);
    text = converted;
  }
  // Diagram text opens the diagram before anything else: other text that merely holds a marker
  // somewhere is not taken for a diagram.
  std::string_view rest = text;
  std::string_view first;
  while (!rest.empty() && first.empty()) first = TrimView(NextLine(rest));
  if (!IsSectionMarker(first, kSectionOpen, kDiagramSection)) return {};
  TPasteNames names;
  panel.WithOneEditorRefresh([&] {
    TDiagramReader reader(panel, &names);
    reader.Read(text);
  });
  return std::move(names.Made);
}
