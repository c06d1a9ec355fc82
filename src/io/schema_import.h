// Import of one entity from a Tarnesk export schema file (".SFD"): unscrambling its first line,
// splitting the plain payload into property names, and the surface menu's command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TOOAPanel;

// The key the exporting tool scrambles its payload with; both sides must hold the same letters.
inline constexpr std::string_view kSchemaKey = "krilto";

// The plain payload of a scrambled first line: a seed pair, then one pair of hexadecimal digits per
// payload byte, each taken exclusive-or the next key letter and less the pair before it. Pairs are
// counted in characters, not bytes, so that an error message never quotes half a character.
// A pair that is not hexadecimal (an empty one included, from a line shorter than three characters)
// raises EToolkitError "'$XX' is not a valid integer value". The result is the payload's bytes as
// they come out, not yet decoded (the importer reads them as UTF-8 or Windows-1252).
std::string UnscrambleSchemaText(const std::string& text, const std::string& key);

// The property names of a plain payload, in item order. An item (ended by ",") names a property by
// its third field, the text between its second and third "."; an item whose third field is not
// closed by a "." in that item, or is empty, names none. Text after the last "," is no item.
std::vector<std::string> SchemaPropertyNames(std::string_view plainText);

// The entity's description for a schema file: the file name without its folder ("/" or "\"
// separated), up to its first ".".
std::string SchemaEntityName(const std::string& fileName);

// Creates one entity described as entityName at the panel's last mouse position on the active page
// (asking for a page first when there is none), with one property row per name in the payload.
// Nothing is created when the name or the payload is blank.
void CreateEntityFromSchema(TOOAPanel& panel, const std::string& entityName, const std::string& plainText);

// The import of a schema file's bytes already in memory: unscrambles the first line and creates the
// entity described as entityName. Every failure is raised as EToolkitError before anything is
// created: "List index out of bounds (0)" for no bytes at all, or the unscrambling's error.
void ImportSchemaBytes(TOOAPanel& panel, const std::string& entityName, std::string_view fileBytes);

// Reads the file's first line, unscrambles it and creates the entity. Every failure is raised as
// EToolkitError before anything is created: "Cannot open file "NAME". REASON", "List index out of
// bounds (0)" for an empty file, or the unscrambling's error.
void ImportSchemaFromFile(TOOAPanel& panel, const std::string& fileName);

// The surface menu's command: asks for a schema file and imports it; a cancelled dialog does nothing.
void ImportSchemaFile(TOOAPanel& panel);

// Makes the panel's schema menu command run ImportSchemaFile.
void InstallSchemaImport(TOOAPanel& panel);
