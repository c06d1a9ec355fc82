// The words of a diagram file, shared by its writer and its reader, so that what the one writes the
// other reads: section markers and keys.
#pragma once

#include <string_view>

// A section opens with a line of "@" and its word and closes with one of "#" and its word, indented
// by its depth; its keys stand one deeper, as "KEY=value".
struct TFileSection {
  std::string_view Word;
  int Depth;
};

inline constexpr char kSectionOpen = '@';
inline constexpr char kSectionClose = '#';

inline constexpr TFileSection kDiagramSection{"ERDIAGRAM", 0};
inline constexpr TFileSection kEntitySection{"ENTITY", 1};
inline constexpr TFileSection kPropertySection{"PROPERTY", 2};
inline constexpr TFileSection kMethodSection{"METHOD", 2};
inline constexpr TFileSection kRelationSection{"RELATION", 2};
inline constexpr TFileSection kEventSection{"ENTITYEVENT", 2};
inline constexpr TFileSection kFileSections[] = {kDiagramSection, kEntitySection,   kPropertySection,
                                                 kMethodSection,  kRelationSection, kEventSection};

// Whether a trimmed line is the marker that opens (mark '@') or closes (mark '#') the section.
constexpr bool IsSectionMarker(std::string_view line, char mark, const TFileSection& section) {
  return line.size() == section.Word.size() + 1 && line.front() == mark && line.substr(1) == section.Word;
}

// The diagram's own keys.
inline constexpr std::string_view kKeyDiagramName = "DIAGRAMNAME";
inline constexpr std::string_view kKeyOwnPage = "OWNPAGE";
inline constexpr std::string_view kKeyActivePage = "ACTIVEPAGE";
// The keys of entities, rows and boxes.
inline constexpr std::string_view kKeyName = "NAME";
inline constexpr std::string_view kKeyDesc = "DESC";
inline constexpr std::string_view kKeyEntityType = "ENTITYTYPE";
inline constexpr std::string_view kKeyDisplayPage = "DISPLAYPAGE";
inline constexpr std::string_view kKeyTop = "TOP";
inline constexpr std::string_view kKeyLeft = "LEFT";
inline constexpr std::string_view kKeySourceEntity = "SOURCEENTITY";
inline constexpr std::string_view kKeyTargetEntity = "TARGETENTITY";
// A property's data type, size and scale, each only when it is not the default (Varchar, 0, 0).
inline constexpr std::string_view kKeyDataType = "DATATYPE";
inline constexpr std::string_view kKeyDataSize = "DATASIZE";
inline constexpr std::string_view kKeyDataScale = "DATASCALE";
// A property row hidden one by one ("-> Hide This Property"), only when it is: HIDDEN=TRUE.
inline constexpr std::string_view kKeyHidden = "HIDDEN";
// A row that is (part of) its entity's primary key, and one whose value may not be left out; each
// written only when set, so that a file without them reads as before in every reader.
inline constexpr std::string_view kKeyPrimaryKey = "PRIMARYKEY";
inline constexpr std::string_view kKeyNotNull = "NOTNULL";
// The value of the keys above that are written only when set.
inline constexpr std::string_view kTrueValue = "TRUE";
// A method's call: the called row's name and the bracket's line distance, only when it has one.
inline constexpr std::string_view kKeyCallMethod = "CALLMETHOD";
inline constexpr std::string_view kKeyCallDistance = "CALLDISTANCE";

// What relation and event sections differ in: their word, and the keys of the owner entity and of
// the rows at their ends.
struct TBoxFileWords {
  TFileSection Section;
  std::string_view Owner;
  std::string_view SourceRow;
  std::string_view TargetRow;
};
inline constexpr TBoxFileWords kRelationWords{kRelationSection, "RELOWNERENTITY", "SOURCEPROPERTY", "TARGETPROPERTY"};
inline constexpr TBoxFileWords kEventWords{kEventSection, "EVTOWNERENTITY", "SOURCEMETHOD", "TARGETMETHOD"};
