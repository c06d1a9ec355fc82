#include "mermaid_export.h"

#include <unordered_set>
#include <vector>

#include "entity.h"
#include "file_access.h"
#include "model_documentation.h"
#include "property.h"
#include "relation.h"
#include "text.h"

namespace {
bool IsMermaidKey(const std::string& name) {
  if (name.size() != 2) return false;
  const std::string key{UpperAscii(name[0]), UpperAscii(name[1])};
  return key == "PK" || key == "FK" || key == "UK";
}

bool IsForeignKey(const TRelation& relation) {
  const auto* key = dynamic_cast<const TProperty*>(TargetEnd(relation).Row);
  return key && key->PrimaryKey() && SourceEnd(relation).Row;
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(MermaidText(text)).push_back('"');
  return quoted;
}

std::string AttributeType(const TProperty& row) {
  std::string type = DataTypeName(row.DataType());
  if (row.DataSize() > 0 || row.DataScale() > 0) {
    Append(type, "(", std::to_string(row.DataSize()));
    if (row.DataScale() > 0) Append(type, ",", std::to_string(row.DataScale()));
    type += ")";
  }
  return type;
}
}  // namespace

std::string MermaidIdentifier(const std::string& prefix, std::string_view text, bool beyondAscii,
                              std::unordered_map<std::string, int>& taken) {
  std::string base = prefix;
  bool joined = false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsAsciiAlnum(byte) || (beyondAscii && byte >= 0x80)) {
      base += c;
      joined = false;
    } else if (!joined) {
      base += '_';
      joined = true;
    }
  }
  // An attribute may not be named as a key, nor start with a digit.
  if (IsMermaidKey(base)) base += '_';
  if (base.empty() || (base[0] >= '0' && base[0] <= '9')) {
    std::string underscored(1, '_');
    underscored.append(base);
    base.swap(underscored);
  }
  auto [at, fresh] = taken.try_emplace(base, 2);
  if (fresh) return base;
  int& next = at->second;
  for (;;) {
    std::string candidate = base;
    candidate.append(1, '_').append(std::to_string(next++));
    if (taken.try_emplace(candidate, 2).second) return candidate;
  }
}

std::string MermaidText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    // Mermaid takes any line holding "direction" and TB, BT, RL or LR for a direction statement.
    if ((c == 'd' || c == 'D') && text.size() - i >= 9) {
      std::string word(text.substr(i, 9));
      for (char& w : word) w = static_cast<char>(w >= 'A' && w <= 'Z' ? w - 'A' + 'a' : w);
      if (word == "direction") {
        out += c == 'd' ? "#100;" : "#68;";
        continue;
      }
    }
    switch (c) {
      case '"': out += "#quot;"; break;
      case '#': out += "#35;"; break;
      case '%': out += "#37;"; break;
      case '\\': out += "#92;"; break;
      case '<': out += "#lt;"; break;
      case '>': out += "#gt;"; break;
      case '&': out += "#amp;"; break;
      case '~': out += "#126;"; break;
      default: out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
    }
  }
  return out;
}

std::string MermaidDiagram(const TModelDocument& document) {
  std::string out = "erDiagram\n";
  if (!document.DiagramName.empty()) Append(out, "    %% ", MermaidText(document.DiagramName), "\n");
  std::unordered_set<const TRow*> sources;
  for (const TDocumentedEntity& entry : document.Entities)
    for (const auto& slot : entry.Entity->RelationList())
      if (slot.Object && IsForeignKey(*slot.Object)) sources.insert(slot.Object->SourceRow());
  std::unordered_map<std::string, int> taken;
  std::vector<std::string> ids;
  ids.reserve(document.Entities.size());
  for (const TDocumentedEntity& entry : document.Entities) {
    const TEntity& entity = *entry.Entity;
    ids.push_back(MermaidIdentifier("E_", entity.EntityDesc(), true, taken));
    Append(out, "    ", ids.back());
    if (!entity.EntityDesc().empty()) Append(out, "[", Quoted(entity.EntityDesc()), "]");
    std::unordered_map<std::string, int> names;
    std::string attributes;
    for (const auto& slot : entity.PropertyList()) {
      const TProperty* row = slot.Object.get();
      if (!row) continue;
      const std::string name = MermaidIdentifier("", row->Desc(), false, names);
      Append(attributes, "        ", AttributeType(*row), " ", name);
      std::string keys = row->PrimaryKey() ? "PK" : "";
      if (sources.count(row)) keys += keys.empty() ? "FK" : ", FK";
      if (!keys.empty()) Append(attributes, " ", keys);
      if (name != row->Desc()) Append(attributes, " ", Quoted(row->Desc()));
      attributes += "\n";
    }
    if (!attributes.empty()) Append(out, " {\n", attributes, "    }");
    out += "\n";
  }
  for (const TDocumentedEntity& entry : document.Entities) {
    for (const auto& slot : entry.Entity->RelationList()) {
      const TRelation* relation = slot.Object.get();
      if (!relation) continue;
      const auto source = document.IndexOf.find(SourceEnd(*relation).Entity);
      const auto target = document.IndexOf.find(TargetEnd(*relation).Entity);
      if (source == document.IndexOf.end() || target == document.IndexOf.end()) {
        Append(out, "    %% ", MermaidText(relation->Desc()), ": an end links no entity\n");
        continue;
      }
      const TBoxEnd from = SourceEnd(*relation);
      const TBoxEnd to = TargetEnd(*relation);
      const std::string label = Cat(relation->Desc(), " (", from.Row ? from.Row->Desc() : "", " \u2192 ",
                                    to.Row ? to.Row->Desc() : "", ")");
      if (IsForeignKey(*relation))
        Append(out, "    ", ids[target->second], " ||--o{ ", ids[source->second], " : ", Quoted(label), "\n");
      else
        Append(out, "    ", ids[source->second], " }o..o{ ", ids[target->second], " : ", Quoted(label), "\n");
    }
  }
  return out;
}

void WriteMermaidDiagram(TOOAPanel& panel, const std::string& fileName) {
  WriteFileAtomically(fileName, MermaidDiagram(DocumentModel(panel)));
}
