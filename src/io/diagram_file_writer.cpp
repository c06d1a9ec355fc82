#include "diagram_file_writer.h"

#include <string_view>

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

// Appends one line: the marker or key text as it stands, then the value. A value is free text
// that the file cannot quote; a line break in it would end the line early and let the rest be read
// as lines of their own (a marker, another key), so it is written as a blank.
void Line(std::string& out, std::string_view head, std::string_view value = {}) {
  out += head;
  const size_t start = out.size();
  out += value;
  for (size_t i = out.find_first_of("\r\n", start); i != std::string::npos; i = out.find_first_of("\r\n", i + 1))
    out[i] = ' ';
  out += kLineEnd;
}

void PlacementLines(std::string& out, std::string_view key, const TEntryList& entries) {
  for (const auto& entry : entries)
    if (!entry.empty()) Line(out, key, entry);
}

void AppendProperty(std::string& out, const TProperty& row) {
  Line(out, "  @PROPERTY");
  Line(out, "   NAME=", row.Name());
  Line(out, "   DESC=", row.PropertyDesc());
  Line(out, "  #PROPERTY");
}

void AppendMethod(std::string& out, const TMethod& row) {
  Line(out, "  @METHOD");
  Line(out, "   NAME=", row.Name());
  Line(out, "   DESC=", row.MethodDesc());
  Line(out, "  #METHOD");
}

void AppendEntity(std::string& out, const TEntity& entity) {
  Line(out, " @ENTITY");
  Line(out, "  NAME=", entity.Name());
  Line(out, "  DESC=", entity.EntityDesc());
  Line(out, "  ENTITYTYPE=", EntityTypeName(entity.EntityType()));
  PlacementLines(out, "  DISPLAYPAGE=", entity.ActivePages());
  for (const auto& slot : entity.PropertyList())
    if (slot.Object) AppendProperty(out, *slot.Object);
  for (const auto& slot : entity.MethodList())
    if (slot.Object) AppendMethod(out, *slot.Object);
  Line(out, " #ENTITY");
}

std::string_view NameOf(const Control* control) {
  return control ? std::string_view(control->Name()) : std::string_view();
}

// The lines relation and event sections share. An end whose entity is set is written with its row's
// name, empty when the row is missing, so that reading the file back gives the same end again.
void AppendLinkBox(std::string& out, const TLinkBox& box, std::string_view open, std::string_view ownerKey,
                   std::string_view desc, std::string_view sourceRowKey, std::string_view targetRowKey,
                   std::string_view close) {
  Line(out, open);
  Line(out, ownerKey, NameOf(box.OwnerEntity()));
  Line(out, "   NAME=", box.Name());
  Line(out, "   DESC=", desc);
  Line(out, "   TOP=", IntToText(box.Top()));
  Line(out, "   LEFT=", IntToText(box.Left()));
  if (box.SourceEntity()) {
    Line(out, "   SOURCEENTITY=", box.SourceEntity()->Name());
    Line(out, sourceRowKey, NameOf(box.SourceRow()));
  }
  if (box.TargetEntity()) {
    Line(out, "   TARGETENTITY=", box.TargetEntity()->Name());
    Line(out, targetRowKey, NameOf(box.TargetRow()));
  }
  PlacementLines(out, "   DISPLAYPAGE=", box.ActivePages());
  Line(out, close);
}

void AppendRelation(std::string& out, const TRelation& relation) {
  AppendLinkBox(out, relation, "  @RELATION", "   RELOWNERENTITY=", relation.RelationDesc(), "   SOURCEPROPERTY=",
                "   TARGETPROPERTY=", "  #RELATION");
}

void AppendEvent(std::string& out, const TEntityEvent& event) {
  AppendLinkBox(out, event, "  @ENTITYEVENT", "   EVTOWNERENTITY=", event.EventDesc(), "   SOURCEMETHOD=",
                "   TARGETMETHOD=", "  #ENTITYEVENT");
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
size_t ExpectedSize(const TOOAPanel& panel) {
  size_t size = 256;
  for (const auto& entity : panel.Entities()) {
    if (!entity) continue;
    size += 160 + 48 * entity->ActivePages().size();
    size += 96 * (entity->PropertyList().size() + entity->MethodList().size());
    size += 320 * (entity->RelationList().size() + entity->EventList().size());
  }
  return size;
}
}  // namespace

std::string DiagramFileText(const TOOAPanel& panel) {
  std::string out;
  out.reserve(ExpectedSize(panel));
  Line(out, "@ERDIAGRAM");
  Line(out, " DIAGRAMNAME=", panel.DiagramName());
  for (const auto& page : panel.OwnPageList()) Line(out, " OWNPAGE=", page);
  Line(out, " ACTIVEPAGE=", panel.ActivePageName());
  for (const auto& entity : panel.Entities())
    if (entity) AppendEntity(out, *entity);
  for (const auto& entity : panel.Entities()) {
    if (!entity) continue;
    for (const auto& slot : entity->RelationList())
      if (slot.Object) AppendRelation(out, *slot.Object);
    for (const auto& slot : entity->EventList())
      if (slot.Object) AppendEvent(out, *slot.Object);
  }
  Line(out, "#ERDIAGRAM");
  return out;
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
  WriteFileAtomically(ExistingSpellingOf(DiagramFileName(fileName)), DiagramFileText(panel));
}
