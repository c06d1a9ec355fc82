#include "diagram_file_writer.h"

#include <string_view>

#include "diagram_file_words.h"
#include "entity.h"
#include "entity_event.h"
#include "file_access.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"
#include "text.h"

namespace {
constexpr std::string_view kLineEnd = "\r\n";

void Marker(std::string& out, char mark, const TFileSection& section) {
  out.append(static_cast<size_t>(section.Depth), ' ');
  out += mark;
  out += section.Word;
  out += kLineEnd;
}

// Appends one key line of the section: the key, "=" and the value. A value is free text that the
// file cannot quote; a line break in it would end the line early and let the rest be read as lines
// of their own (a marker, another key), so it is written as a blank.
void Line(std::string& out, const TFileSection& section, std::string_view key, std::string_view value) {
  out.append(static_cast<size_t>(section.Depth + 1), ' ');
  out += key;
  out += '=';
  const size_t start = out.size();
  out += value;
  for (size_t i = out.find_first_of("\r\n", start); i != std::string::npos; i = out.find_first_of("\r\n", i + 1))
    out[i] = ' ';
  out += kLineEnd;
}

void PlacementLines(std::string& out, const TFileSection& section, const TEntryList& entries) {
  for (const auto& entry : entries)
    if (!entry.empty()) Line(out, section, kKeyDisplayPage, entry);
}

// A row's section: its name and description, then what the row holds beyond the defaults.
template <class Row, class Extra>
void AppendRow(std::string& out, const Row& row, const TFileSection& section, Extra extra) {
  Marker(out, kSectionOpen, section);
  Line(out, section, kKeyName, row.Name());
  Line(out, section, kKeyDesc, row.Desc());
  extra();
  Marker(out, kSectionClose, section);
}

void AppendProperty(std::string& out, const TProperty& row) {
  const TFileSection& section = kPropertySection;
  AppendRow(out, row, section, [&] {
    if (row.DataType() != pdtVachar) Line(out, section, kKeyDataType, DataTypeName(row.DataType()));
    if (row.DataSize() != 0) Line(out, section, kKeyDataSize, IntToText(row.DataSize()));
    if (row.DataScale() != 0) Line(out, section, kKeyDataScale, IntToText(row.DataScale()));
    if (!row.IsDisplay()) Line(out, section, kKeyHidden, kTrueValue);
    if (row.PrimaryKey()) Line(out, section, kKeyPrimaryKey, kTrueValue);
    if (row.NotNull()) Line(out, section, kKeyNotNull, kTrueValue);
  });
}

void AppendMethod(std::string& out, const TMethod& row) {
  const TFileSection& section = kMethodSection;
  AppendRow(out, row, section, [&] {
    if (!row.CallMethod()) return;
    Line(out, section, kKeyCallMethod, row.CallMethod()->Name());
    Line(out, section, kKeyCallDistance, IntToText(row.CallMethodLineDistance()));
  });
}

void AppendEntity(std::string& out, const TEntity& entity) {
  const TFileSection& section = kEntitySection;
  Marker(out, kSectionOpen, section);
  Line(out, section, kKeyName, entity.Name());
  Line(out, section, kKeyDesc, entity.EntityDesc());
  Line(out, section, kKeyEntityType, EntityTypeName(entity.EntityType()));
  PlacementLines(out, section, entity.ActivePages());
  for (const auto& slot : entity.PropertyList())
    if (slot.Object) AppendProperty(out, *slot.Object);
  for (const auto& slot : entity.MethodList())
    if (slot.Object) AppendMethod(out, *slot.Object);
  Marker(out, kSectionClose, section);
}

std::string_view NameOf(const Control* control) {
  return control ? std::string_view(control->Name()) : std::string_view();
}

// The lines relation and event sections share. An end whose entity is set is written with its row's
// name, empty when the row is missing, so that reading the file back gives the same end again.
void AppendLinkBox(std::string& out, const TLinkBox& box, const TBoxFileWords& words, std::string_view desc) {
  const TFileSection& section = words.Section;
  Marker(out, kSectionOpen, section);
  Line(out, section, words.Owner, NameOf(box.OwnerEntity()));
  Line(out, section, kKeyName, box.Name());
  Line(out, section, kKeyDesc, desc);
  Line(out, section, kKeyTop, IntToText(box.Top()));
  Line(out, section, kKeyLeft, IntToText(box.Left()));
  if (box.SourceEntity()) {
    Line(out, section, kKeySourceEntity, box.SourceEntity()->Name());
    Line(out, section, words.SourceRow, NameOf(box.SourceRow()));
  }
  if (box.TargetEntity()) {
    Line(out, section, kKeyTargetEntity, box.TargetEntity()->Name());
    Line(out, section, words.TargetRow, NameOf(box.TargetRow()));
  }
  PlacementLines(out, section, box.ActivePages());
  Marker(out, kSectionClose, section);
}

void AppendRelation(std::string& out, const TRelation& relation) {
  AppendLinkBox(out, relation, kRelationWords, relation.RelationDesc());
}

void AppendEvent(std::string& out, const TEntityEvent& event) {
  AppendLinkBox(out, event, kEventWords, event.EventDesc());
}

// A section as RecordText gives it: without the line end after its closing marker.
template <class T, class Append>
std::string Record(const T& object, Append append) {
  std::string out;
  append(out, object);
  out.resize(out.size() - kLineEnd.size());
  return out;
}
// Room for the whole file up front: growing a text of megabytes step by step copies it over and
// over into fresh memory.
template <class Entities>
size_t ExpectedSize(const Entities& entities) {
  size_t size = 256;
  for (const auto& entity : entities) {
    if (!entity) continue;
    size += 160 + 48 * entity->ActivePages().size();
    size += 96 * (entity->PropertyList().size() + entity->MethodList().size());
    size += 320 * (entity->RelationList().size() + entity->EventList().size());
  }
  return size;
}
}  // namespace

namespace {
// The file's sections for these entities, in this order, and then the boxes they own (onPage: those
// of them with an entry for that page).
template <class Entities>
std::string DiagramText(const TOOAPanel& panel, const Entities& entities, const TEntryList& pages,
                        const std::string* onPage = nullptr) {
  auto written = [&](const TLinkBox& box) { return !onPage || IndexOfPage(*onPage, box.ActivePages()) >= 0; };
  std::string out;
  out.reserve(ExpectedSize(entities));
  const TFileSection& section = kDiagramSection;
  Marker(out, kSectionOpen, section);
  Line(out, section, kKeyDiagramName, panel.DiagramName());
  for (const auto& page : pages) Line(out, section, kKeyOwnPage, page);
  Line(out, section, kKeyActivePage, panel.ActivePageName());
  for (const auto& entity : entities)
    if (entity) AppendEntity(out, *entity);
  for (const auto& entity : entities) {
    if (!entity) continue;
    for (const auto& slot : entity->RelationList())
      if (slot.Object && written(*slot.Object)) AppendRelation(out, *slot.Object);
    for (const auto& slot : entity->EventList())
      if (slot.Object && written(*slot.Object)) AppendEvent(out, *slot.Object);
  }
  Marker(out, kSectionClose, section);
  return out;
}
}  // namespace

std::string DiagramFileText(const TOOAPanel& panel) { return DiagramText(panel, panel.Entities(), panel.OwnPageList()); }

std::string DiagramFileText(const TOOAPanel& panel, const std::vector<TEntity*>& entities) {
  return DiagramText(panel, entities, TEntryList{panel.ActivePageName()}, &panel.ActivePageName());
}

std::string RecordText(const TEntity& entity) { return Record(entity, AppendEntity); }
std::string RecordText(const TProperty& row) { return Record(row, AppendProperty); }
std::string RecordText(const TMethod& row) { return Record(row, AppendMethod); }
std::string RecordText(const TRelation& relation) { return Record(relation, AppendRelation); }
std::string RecordText(const TEntityEvent& event) { return Record(event, AppendEvent); }

std::string DiagramFileName(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = fileName.find('.', nameStart);
  if (dot == std::string::npos || IsBlank(std::string_view(fileName).substr(nameStart, dot - nameStart)))
    return fileName + ".ERD";
  // ".erd" is the diagram extension too, as a user spelled it: kept, so that the file chosen is the
  // file written.
  if (SameText(std::string_view(fileName).substr(dot), ".ERD")) return fileName;
  return fileName.substr(0, dot) + ".ERD";
}

void SaveDiagramFile(TOOAPanel& panel, const std::string& fileName) {
  if (fileName.empty()) return;
  WriteDiagramFile(panel, ExistingSpellingOf(DiagramFileName(fileName)));
}

void WriteDiagramFile(TOOAPanel& panel, const std::string& fileName) {
  WriteFileAtomically(fileName, DiagramFileText(panel));
}
