// Which row a line keeps: a line keeps the first row of its kind, in row order, that bears its
// description and that no line before it kept; failing that, the row of its kind standing where the
// line stands among the lines of that kind, when no line kept that row by its description (so that
// a rename in place keeps the row with its component name, its links and its calls). Any other line
// makes a new row, as the add commands make one, and a row no line keeps goes, as its removal
// command removes it. Kept rows keep everything the text does not show (whether they are hidden
// one by one, and a size or scale their kind does not use while their kind stays).
#include "rows_text.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "entity.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "text.h"

bool UsesSize(TPropertyDataType type) { return type != pdtBool; }
bool UsesScale(TPropertyDataType type) { return type == pdtDouble; }

namespace {

constexpr const char* kTypeList = "Varchar, Integer, Double, Bool or Binary";

// Trim keeps what it does not drop; a description it would change must be quoted to come back.
bool NeedsQuotes(const std::string& desc) {
  if (desc.empty() || desc.front() == '"' || TrimView(desc).size() != desc.size()) return true;
  return desc.find_first_of("\r\n") != std::string::npos;
}

std::string Described(const std::string& desc) {
  if (!NeedsQuotes(desc)) return desc;
  std::string out = "\"";
  for (const char c : desc) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// "()" at the end of the text, blanks allowed inside as the row draws it ("Name ( )").
bool EndsWithCall(std::string_view text, std::string_view& before) {
  if (text.empty() || text.back() != ')') return false;
  const std::string_view inner = TrimView(text.substr(0, text.size() - 1));
  if (inner.empty() || inner.back() != '(') return false;
  before = inner.substr(0, inner.size() - 1);
  return true;
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

// The quoted description at the start of text; the rest of the text after the closing quote.
// Empty message when it reads.
std::string ReadQuoted(std::string_view text, std::string& desc, std::string_view& rest) {
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      rest = TrimView(text.substr(i + 1));
      return {};
    }
    if (c != '\\') {
      desc += c;
      continue;
    }
    if (++i == text.size()) break;
    switch (text[i]) {
      case '"': desc += '"'; break;
      case '\\': desc += '\\'; break;
      case 'n': desc += '\n'; break;
      case 'r': desc += '\r'; break;
      case 't': desc += '\t'; break;
      default: {
        std::string problem = "unknown escape \"\\";
        problem.append(1, text[i]).append("\" in the quoted name (\\\", \\\\, \\n, \\r, \\t)");
        return problem;
      }
    }
  }
  return "the quoted name has no closing quote";
}

// One number of a type's brackets.
std::string ReadNumber(std::string_view text, const char* what, int& value) {
  const std::string_view digits = TrimView(text);
  if (!TryTextToInt(digits, value) || value < 0 || value > TProperty::MaxDataSize)
    return std::string("the ") + what + " \"" + std::string(digits) + "\" is not a whole number from 0 to " +
           IntToText(TProperty::MaxDataSize);
  return {};
}

// The data type after the ":" of a property line, with its size and scale and the words after it.
std::string ReadType(std::string_view text, TRowLine& row) {
  text = TrimView(text);
  if (text.empty()) return std::string("the data type is missing after \":\" (") + kTypeList + ")";
  size_t end = 0;
  while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || (text[end] >= 'A' && text[end] <= 'Z'))) ++end;
  const std::string_view name = text.substr(0, end);
  bool known = false;
  for (int kind = 0; kind < kPropertyDataTypeCount && !known; ++kind)
    if (!name.empty() && SameText(name, DataTypeName(static_cast<TPropertyDataType>(kind)))) {
      row.DataType = static_cast<TPropertyDataType>(kind);
      known = true;
    }
  if (!known) {
    const std::string_view shown = name.empty() ? text.substr(0, text.find(' ')) : name;
    return "unknown data type \"" + std::string(shown) + "\" (" + kTypeList + ")";
  }
  std::string_view rest = TrimView(text.substr(end));
  const std::string typeName = DataTypeName(row.DataType);
  if (!rest.empty() && rest.front() == '(') {
    const size_t close = rest.find(')');
    if (close == std::string_view::npos) return "the \")\" after the size is missing";
    const std::string_view inside = rest.substr(1, close - 1);
    rest = TrimView(rest.substr(close + 1));
    const size_t comma = inside.find(',');
    if (!UsesSize(row.DataType)) return typeName + " takes no size";
    if (comma != std::string_view::npos && !UsesScale(row.DataType))
      return typeName + " takes a size alone, no scale";
    if (comma != std::string_view::npos && inside.find(',', comma + 1) != std::string_view::npos)
      return typeName + " takes a size and a scale, no more";
    if (std::string problem = ReadNumber(inside.substr(0, comma), "size", row.DataSize); !problem.empty()) return problem;
    if (comma != std::string_view::npos)
      if (std::string problem = ReadNumber(inside.substr(comma + 1), "scale", row.DataScale); !problem.empty())
        return problem;
  }
  // The words after the type, in any order: "key" and "not null".
  while (!rest.empty()) {
    const size_t blank = rest.find_first_of(" \t");
    const std::string word = LowerCase(rest.substr(0, blank));
    rest = blank == std::string_view::npos ? std::string_view() : TrimView(rest.substr(blank));
    if (word == "key") {
      row.PrimaryKey = true;
    } else if (word == "not" && LowerCase(rest.substr(0, 4)) == "null" &&
               (rest.size() == 4 || rest[4] == ' ' || rest[4] == '\t')) {
      row.NotNull = true;
      rest = TrimView(rest.substr(4));
    } else {
      return "\"" + word + "\" cannot follow the data type (only \"key\" and \"not null\" can)";
    }
  }
  return {};
}

// One line that is not blank: the row it describes, or what is wrong with it.
std::string ReadLine(std::string_view line, TRowLine& row) {
  std::string_view rest;
  if (line.front() == '"') {
    if (std::string problem = ReadQuoted(line, row.Desc, rest); !problem.empty()) return problem;
    std::string_view before;
    if (EndsWithCall(rest, before) && TrimView(before).empty()) {
      row.Method = true;
      return {};
    }
    if (rest.empty() || rest.front() != ':')
      return "after the quoted name comes \"()\" for a method or \" : \" and the data type for a property";
    return ReadType(rest.substr(1), row);
  }
  std::string_view before;
  if (EndsWithCall(line, before)) {
    row.Method = true;
    row.Desc = Trim(before);
    if (row.Desc.empty()) return "the method's name is missing before \"()\"";
    return {};
  }
  // The type part holds no ":", so the last one ends the name, which may hold one.
  const size_t colon = line.rfind(':');
  if (colon == std::string_view::npos)
    return "a property is written \"Name : Type\", a method \"Name()\"";
  row.Desc = Trim(line.substr(0, colon));
  if (row.Desc.empty()) return "the property's name is missing before \":\"";
  return ReadType(line.substr(colon + 1), row);
}

TRowLine LineOf(const TProperty& row) {
  return {false, row.PropertyDesc(), row.DataType(), row.DataSize(), row.DataScale(), row.PrimaryKey(), row.NotNull()};
}

// The values a line gives its property row: a size or scale the line's kind does not use is the
// kept row's while its kind stays, and 0 otherwise.
TRowLine ValuesFor(const TRowLine& line, const TProperty* kept) {
  TRowLine values = line;
  const bool sameKind = kept && kept->DataType() == line.DataType;
  if (!UsesSize(line.DataType)) values.DataSize = sameKind ? kept->DataSize() : 0;
  if (!UsesScale(line.DataType)) values.DataScale = sameKind ? kept->DataScale() : 0;
  return values;
}

// For every line of one kind, the row it keeps (see the top of this file), or none.
template <class Row>
std::vector<Row*> KeptRows(const std::vector<TMemberSlot<Row>>& rows, const std::vector<const TRowLine*>& lines) {
  struct TSameDesc {
    std::vector<size_t> Rows;
    size_t Next = 0;
  };
  std::unordered_map<std::string_view, TSameDesc> byDesc;
  for (size_t i = 0; i < rows.size(); ++i) byDesc[rows[i].Object->Desc()].Rows.push_back(i);
  std::vector<Row*> kept(lines.size(), nullptr);
  std::vector<bool> taken(rows.size(), false);
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto found = byDesc.find(lines[i]->Desc);
    if (found == byDesc.end() || found->second.Next == found->second.Rows.size()) continue;
    const size_t row = found->second.Rows[found->second.Next++];
    kept[i] = rows[row].Object.get();
    taken[row] = true;
  }
  for (size_t i = 0; i < lines.size() && i < rows.size(); ++i)
    if (!kept[i] && !taken[i]) {
      kept[i] = rows[i].Object.get();
      taken[i] = true;
    }
  return kept;
}

// Lets the rows no line keeps go (each clearing the links and calls to it as it goes), makes a row
// for each line that keeps none (make(line) appends it to the list) and puts the list in the order
// of the lines.
template <class Row, class Make>
void Rearrange(std::vector<TMemberSlot<Row>>& list, const std::vector<const TRowLine*>& lines,
               std::vector<Row*>& kept, Make make) {
  const std::unordered_set<const Row*> keeps(kept.begin(), kept.end());
  // Out of the list before they go: no slot of it stands empty while a row clears what links to it.
  std::vector<std::unique_ptr<Row>> going;
  for (auto& slot : list)
    if (!keeps.count(slot.Object.get())) going.push_back(std::move(slot.Object));
  std::erase_if(list, [](const TMemberSlot<Row>& slot) { return !slot.Object; });
  for (auto& row : going) row.reset();
  for (size_t i = 0; i < lines.size(); ++i)
    if (!kept[i]) kept[i] = make(*lines[i]);
  std::unordered_map<const Row*, size_t> at;
  for (size_t i = 0; i < list.size(); ++i) at[list[i].Object.get()] = i;
  std::vector<TMemberSlot<Row>> ordered(list.size());
  for (size_t i = 0; i < kept.size(); ++i) ordered[i] = std::move(list[at[kept[i]]]);
  list = std::move(ordered);
  for (size_t i = 0; i < list.size(); ++i) list[i].Object->SetRowIndex(static_cast<int>(i));
}

void Describe(TRow& row, const std::string& desc) {
  if (row.Desc() == desc) return;
  row.SetDesc(desc);
  row.UpdateMenuCaption();
}

}  // namespace

std::string RowLineText(const TRowLine& row) {
  if (row.Method) return Described(row.Desc) + "()";
  std::string line = Described(row.Desc) + " : " + DataTypeName(row.DataType);
  if (UsesScale(row.DataType)) {
    if (row.DataSize != 0 || row.DataScale != 0)
      line.append("(").append(IntToText(row.DataSize)).append(",").append(IntToText(row.DataScale)).append(")");
  } else if (UsesSize(row.DataType) && row.DataSize != 0) {
    line.append("(").append(IntToText(row.DataSize)).append(")");
  }
  if (row.PrimaryKey) line += " key";
  if (row.NotNull) line += " not null";
  return line;
}

std::string RowsTextOf(const TEntity& entity) {
  std::string text;
  for (const auto& slot : entity.PropertyList()) text += RowLineText(LineOf(*slot.Object)) + "\n";
  TRowLine method;
  method.Method = true;
  for (const auto& slot : entity.MethodList()) {
    method.Desc = slot.Object->MethodDesc();
    text += RowLineText(method) + "\n";
  }
  return text;
}

TRowsText ReadRowsText(std::string_view text) {
  TRowsText read;
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    ++number;
    const std::string_view line = TrimView(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (line.empty()) continue;
    TRowLine row;
    if (std::string problem = ReadLine(line, row); !problem.empty())
      read.Problems.push_back({number, std::move(problem)});
    else
      read.Rows.push_back(std::move(row));
  }
  return read;
}

bool ApplyRowLines(TEntity& entity, const std::vector<TRowLine>& lines) {
  std::vector<const TRowLine*> propertyLines;
  std::vector<const TRowLine*> methodLines;
  for (const TRowLine& line : lines) (line.Method ? methodLines : propertyLines).push_back(&line);
  std::vector<TProperty*> properties = KeptRows(entity.PropertyList(), propertyLines);
  std::vector<TMethod*> methods = KeptRows(entity.MethodList(), methodLines);

  bool changed = propertyLines.size() != entity.PropertyList().size() || methodLines.size() != entity.MethodList().size();
  for (size_t i = 0; i < properties.size() && !changed; ++i)
    changed = properties[i] != entity.PropertyByIndex(static_cast<int>(i)) ||
              !(LineOf(*properties[i]) == ValuesFor(*propertyLines[i], properties[i]));
  for (size_t i = 0; i < methods.size() && !changed; ++i)
    changed = methods[i] != entity.MethodByIndex(static_cast<int>(i)) || methods[i]->MethodDesc() != methodLines[i]->Desc;
  if (!changed) return false;

  // A new row's component name is the one the add commands give it; its description is the line's,
  // given below with the kept rows' (an empty one would be asked for).
  const auto firstDesc = [](const TRowLine& line) { return line.Desc.empty() ? std::string("?") : line.Desc; };
  Rearrange(entity.PropertyList(), propertyLines, properties,
            [&](const TRowLine& line) { return AddPropertyLeavingMethods(entity, firstDesc(line)); });
  Rearrange(entity.MethodList(), methodLines, methods,
            [&](const TRowLine& line) { return AddMethod(entity, firstDesc(line), true); });
  for (size_t i = 0; i < properties.size(); ++i) {
    TProperty& row = *properties[i];
    const TRowLine values = ValuesFor(*propertyLines[i], &row);
    Describe(row, values.Desc);
    row.SetDataType(values.DataType);
    row.SetDataSize(values.DataSize);
    row.SetDataScale(values.DataScale);
    row.SetPrimaryKey(values.PrimaryKey);
    row.SetNotNull(values.NotNull);
  }
  for (size_t i = 0; i < methods.size(); ++i) Describe(*methods[i], methodLines[i]->Desc);

  // Numbered and placed as a removal leaves them, the rows hidden one by one skipped as hiding
  // leaves them; the page showing then fits the box to its rows.
  entity.RenumberProperties();
  entity.RestackDisplayedProperties();
  entity.RenumberMethods();
  entity.UpdateAllAnchors();
  if (TOOAPanel* panel = entity.OwnerPanel()) {
    panel->ShowActivePage();
    panel->Invalidate();
  }
  return true;
}
