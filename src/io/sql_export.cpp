#include "sql_export.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "entity.h"
#include "entity_event.h"
#include "file_access.h"
#include "method.h"
#include "ooa_panel.h"
#include "picture_file.h"
#include "platform.h"
#include "property.h"
#include "relation.h"
#include "text.h"

namespace {
// The length of the well-formed UTF-8 character at the start of the text, with its code point; 0
// where the bytes there are not one (engines refuse such bytes even inside a comment).
size_t Utf8At(std::string_view text, char32_t& code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return code = lead, 1;
  const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (n == 0 || lead > 0xF4 || text.size() < n) return 0;
  code = lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3F);
  }
  if ((n == 3 && code < 0x800) || (n == 4 && (code < 0x10000 || code > 0x10FFFF)) || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return n;
}

// The text with every byte that is not well-formed UTF-8 and every control character (line ends
// included, so that no text leaves its comment) replaced by one character; beyondBmp also replaces
// the characters MySQL's names cannot hold.
std::string Cleaned(std::string_view text, char replacement, bool beyondBmp) {
  std::string clean;
  clean.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    char32_t code = 0;
    const size_t n = Utf8At(text.substr(at), code);
    if (n == 0 || code < 0x20 || code == 0x7F || (beyondBmp && code > 0xFFFF))
      clean += replacement;
    else
      clean.append(text, at, n);
    at += n == 0 ? 1 : n;
  }
  return clean;
}

std::string Comment(std::string_view text) { return Cleaned(text, ' ', false); }
std::string Quoted(std::string_view text) { return "\"" + Comment(text) + "\""; }

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = LowerAscii(c);
  return folded;
}

// The name cut to what the dialect keeps, room left for a suffix of `room` characters: PostgreSQL
// cuts names at 63 bytes (two longer names would be one), MySQL refuses names over 64 characters or
// ending in a blank. Cuts fall between characters.
std::string Cut(std::string name, TSqlDialect dialect, size_t room) {
  if (dialect == TSqlDialect::PostgreSql && name.size() + room > 63) {
    size_t end = 63 - room;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  } else if (dialect == TSqlDialect::MySql) {
    size_t characters = 0, end = 0;
    for (; end < name.size() && characters + room < 64; ++characters) {
      ++end;
      while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) ++end;
    }
    name.resize(end);
    while (!name.empty() && name.back() == ' ') name.pop_back();
  }
  return name;
}

// Hands out the names of one kind within one scope (tables, a table's columns, constraints), each
// distinct from the others letter case ignored. A clash takes the first free "_2", "_3", ...; the
// number to try next is kept per name, so that thousands of one name cost no more than other names.
class TSqlNamer {
 public:
  explicit TSqlNamer(TSqlDialect dialect) : dialect_(dialect) {}
  std::string Take(std::string_view desc, const std::string& fallback, bool table = false) {
    std::string name = Cut(Cleaned(desc, '_', dialect_ == TSqlDialect::MySql), dialect_, 0);
    if (name.empty()) name = fallback;
    // SQLite keeps names starting so for its own tables and refuses them to others.
    if (table && dialect_ == TSqlDialect::Sqlite && Folded(name).starts_with("sqlite_")) name = "_" + name;
    if (taken_.insert(Folded(name)).second) return name;
    for (int& n = next_.try_emplace(Folded(name), 2).first->second;; ++n) {
      const std::string suffix = "_" + IntToText(n);
      std::string candidate = Cut(name, dialect_, suffix.size()) + suffix;
      if (taken_.insert(Folded(candidate)).second) return candidate;
    }
  }

 private:
  TSqlDialect dialect_;
  std::unordered_set<std::string> taken_;
  std::unordered_map<std::string, int> next_;
};

// A column's type as the script writes it; columns of one family may reference each other.
struct TColumnType {
  std::string Text;
  std::string Family;
  // MySQL indexes no TEXT or BLOB column without a prefix length, so no key can hold one.
  bool Indexable = true;
};

TColumnType TypeOf(const TProperty& row, TSqlDialect dialect) {
  // Held at the row's largest, as an import holds them (PostgreSQL refuses longer VARCHARs).
  const int size = std::clamp(row.DataSize(), 0, TProperty::MaxDataSize), scale = std::max(0, row.DataScale());
  const std::string sized = "(" + IntToText(size) + ")";
  const bool my = dialect == TSqlDialect::MySql, pg = dialect == TSqlDialect::PostgreSql;
  switch (row.DataType()) {
    case pdtVachar:
      if (!my) return {size > 0 ? "VARCHAR" + sized : "TEXT", "text"};
      // utf8mb4 takes up to 4 bytes a character, and a row at most 65,535 bytes.
      if (size > 0 && size <= 16383) return {"VARCHAR" + sized, "varchar"};
      if (row.PrimaryKey()) return {"VARCHAR(255)", "varchar"};
      return {size > 0 ? "MEDIUMTEXT" : "TEXT", "varchar", false};
    case pdtInteger:
      return {my ? "INT" : "INTEGER", "integer"};
    case pdtDouble: {
      const int most = my ? 65 : pg ? 1000 : TProperty::MaxDataSize;
      if (size > 0 && size <= most && scale <= size && (!my || scale <= 30)) {
        const std::string text = (my ? "DECIMAL(" : "NUMERIC(") + IntToText(size) + "," + IntToText(scale) + ")";
        // MySQL references a fixed-point column only from one of the same precision and scale.
        return {text, my ? text : "numeric"};
      }
      if (size > 0 && pg) return {"NUMERIC", "numeric"};
      return {pg ? "DOUBLE PRECISION" : my ? "DOUBLE" : "REAL", "float"};
    }
    case pdtBool:
      return {"BOOLEAN", "boolean"};
    case pdtBinary:
      if (pg) return {"BYTEA", "bytea"};
      if (!my) return {size > 0 ? "VARBINARY" + sized : "BLOB", "binary"};
      if (size > 0 && size <= 65535) return {"VARBINARY" + sized, "varbinary"};
      if (row.PrimaryKey()) return {"VARBINARY(255)", "varbinary"};
      return {size > 0 ? "LONGBLOB" : "BLOB", "varbinary", false};
  }
  return {"TEXT", "text"};
}

struct TTable {
  const TEntity* Entity = nullptr;
  TSqlTableNames Names;
  std::vector<const TProperty*> Rows;
  std::vector<TColumnType> Types;
  std::vector<size_t> PrimaryKey;
  std::vector<std::vector<size_t>> Uniques;
  std::vector<size_t> ForeignKeys;  // indexes into the script's keys
};

struct TForeignKey {
  size_t Table = 0, RefTable = 0;
  std::vector<size_t> Columns, RefColumns;
  std::string Desc, Name, Label;
  bool Kept = true;
  // Added after every table: it closes a cycle of references.
  bool Later = false;
};

class TSqlScript {
 public:
  TSqlScript(const TOOAPanel& panel, TSqlDialect dialect) : panel_(panel), dialect_(dialect) {
    TSqlNamer tables(dialect);
    for (const auto& entity : panel.Entities()) {
      if (!entity) continue;
      TTable& table = tables_.emplace_back();
      table.Entity = entity.get();
      table.Names.Table = tables.Take(entity->EntityDesc(), "table" + IntToText(static_cast<long long>(tables_.size())), true);
      TSqlNamer columns(dialect);
      for (const auto& slot : entity->PropertyList()) {
        if (!slot.Object) continue;
        const TProperty& row = *slot.Object;
        rowAt_.emplace(&row, std::pair{tables_.size() - 1, table.Rows.size()});
        table.Rows.push_back(&row);
        table.Names.Columns.push_back(columns.Take(row.PropertyDesc(), "column" + IntToText(static_cast<long long>(table.Rows.size()))));
        if (row.PrimaryKey()) table.PrimaryKey.push_back(table.Rows.size() - 1);
      }
    }
  }

  std::vector<TSqlTableNames> Names() const {
    std::vector<TSqlTableNames> names;
    for (const TTable& table : tables_) names.push_back(table.Names);
    return names;
  }

  std::string Text() {
    for (TTable& table : tables_)
      for (const TProperty* row : table.Rows) table.Types.push_back(TypeOf(*row, dialect_));
    GatherKeys();
    for (TForeignKey& key : keys_) CheckKey(key);
    TSqlNamer constraints(dialect_);
    for (size_t k = 0; k < keys_.size(); ++k) {
      TForeignKey& key = keys_[k];
      if (!key.Kept) continue;
      key.Name = constraints.Take(key.Desc, tables_[key.Table].Names.Table + "_fkey");
      tables_[key.Table].ForeignKeys.push_back(k);
    }
    const std::vector<size_t> order = Order();
    std::string text = Header();
    for (const size_t t : order) AppendTable(text, tables_[t]);
    for (const TForeignKey& key : keys_)
      if (key.Kept && key.Later && dialect_ != TSqlDialect::Sqlite)
        text += "ALTER TABLE " + Name(tables_[key.Table].Names.Table) + " ADD " + KeyClause(key) + ";\n";
    if (dialect_ != TSqlDialect::MySql) text += "COMMIT;\n";
    return text;
  }

 private:
  std::string Name(std::string_view name) const {
    const char quote = dialect_ == TSqlDialect::MySql ? '`' : '"';
    std::string quoted(1, quote);
    for (const char c : name) (c == quote ? quoted += std::string(2, c) : quoted += c);
    return quoted + quote;
  }

  std::string Columns(const TTable& table, const std::vector<size_t>& columns) const {
    std::string list;
    for (const size_t c : columns) list += (list.empty() ? "" : ", ") + Name(table.Names.Columns[c]);
    return "(" + list + ")";
  }

  std::string KeyClause(const TForeignKey& key) const {
    const TTable &table = tables_[key.Table], &ref = tables_[key.RefTable];
    return "CONSTRAINT " + Name(key.Name) + " FOREIGN KEY " + Columns(table, key.Columns) + " REFERENCES " +
           Name(ref.Names.Table) + " " + Columns(ref, key.RefColumns);
  }

  std::string RowLabel(const TProperty& row) const {
    return Quoted(row.OwnerEntity() ? row.OwnerEntity()->EntityDesc() : std::string()) + "." + Quoted(row.PropertyDesc());
  }

  // One key per relation box with both ends set; the boxes an import made of one key of several
  // columns (one box per column, the key's name, the same two tables) go back as that one key.
  void GatherKeys() {
    std::unordered_map<std::string, size_t> keyOf;
    for (const TTable& table : tables_)
      for (const auto& slot : table.Entity->RelationList()) {
        if (!slot.Object) continue;
        const TRelation& relation = *slot.Object;
        const TProperty *source = relation.SourceProperty(), *target = relation.TargetProperty();
        std::string label = Quoted(relation.RelationDesc());
        if (!source || !target) {
          notKeys_.push_back(label + ": its " + (source ? "target" : target ? "source" : "source and target") +
                             (source || target ? " row is" : " rows are") + " not set");
          continue;
        }
        label += " (" + RowLabel(*source) + " -> " + RowLabel(*target) + ")";
        const auto from = rowAt_.find(source), to = rowAt_.find(target);
        if (from == rowAt_.end() || to == rowAt_.end()) {
          notKeys_.push_back(label + ": a row it links is not in the diagram");
          continue;
        }
        const auto [table, column] = from->second;
        const auto [refTable, refColumn] = to->second;
        const std::string group = IntToText(static_cast<long long>(table)) + '\x1f' +
                                  IntToText(static_cast<long long>(refTable)) + '\x1f' + relation.RelationDesc();
        const auto found = keyOf.find(group);
        if (found != keyOf.end()) {
          TForeignKey& key = keys_[found->second];
          if (std::find(key.Columns.begin(), key.Columns.end(), column) == key.Columns.end() &&
              std::find(key.RefColumns.begin(), key.RefColumns.end(), refColumn) == key.RefColumns.end()) {
            key.Columns.push_back(column);
            key.RefColumns.push_back(refColumn);
            key.Label += "; " + label;
            continue;
          }
        }
        keyOf[group] = keys_.size();
        keys_.push_back({table, refTable, {column}, {refColumn}, relation.RelationDesc(), {}, label, true, false});
      }
  }

  // Whether the engine can make the key; when its referenced columns are not the table's primary
  // key, the table gets the UNIQUE constraint every engine asks of them.
  void CheckKey(TForeignKey& key) {
    TTable &table = tables_[key.Table], &ref = tables_[key.RefTable];
    for (size_t i = 0; i < key.Columns.size() && key.Kept; ++i) {
      const TColumnType &type = table.Types[key.Columns[i]], &refType = ref.Types[key.RefColumns[i]];
      if (!type.Indexable || !refType.Indexable) {
        notKeys_.push_back(key.Label + ": MySQL cannot index the " + (type.Indexable ? refType : type).Text + " column");
        key.Kept = false;
      } else if (dialect_ != TSqlDialect::Sqlite && type.Family != refType.Family) {
        notKeys_.push_back(key.Label + ": its columns' types " + type.Text + " and " + refType.Text + " do not match");
        key.Kept = false;
      }
    }
    if (!key.Kept) return;
    std::vector<size_t> refColumns = key.RefColumns, primaryKey = ref.PrimaryKey;
    // MySQL wants the referenced columns in the order of their index; the others take them as a set.
    if (dialect_ != TSqlDialect::MySql) {
      std::sort(refColumns.begin(), refColumns.end());
      std::sort(primaryKey.begin(), primaryKey.end());
    }
    if (refColumns == primaryKey) return;
    if (std::find(ref.Uniques.begin(), ref.Uniques.end(), key.RefColumns) == ref.Uniques.end())
      ref.Uniques.push_back(key.RefColumns);
  }

  // The tables referenced first: a depth-first walk along the keys in the diagram's order, each table
  // after the ones it references; a key back to a table still being walked closes a cycle and is
  // added once every table stands.
  std::vector<size_t> Order() {
    std::vector<size_t> order;
    std::vector<char> state(tables_.size(), 0);  // 0 not reached, 1 being walked, 2 done
    for (size_t root = 0; root < tables_.size(); ++root) {
      if (state[root]) continue;
      std::vector<std::pair<size_t, size_t>> stack{{root, 0}};
      state[root] = 1;
      while (!stack.empty()) {
        const size_t t = stack.back().first;
        if (stack.back().second == tables_[t].ForeignKeys.size()) {
          state[t] = 2;
          order.push_back(t);
          stack.pop_back();
          continue;
        }
        TForeignKey& key = keys_[tables_[t].ForeignKeys[stack.back().second++]];
        if (key.RefTable == t) continue;
        if (state[key.RefTable] == 1) {
          key.Later = true;
        } else if (state[key.RefTable] == 0) {
          state[key.RefTable] = 1;
          stack.push_back({key.RefTable, 0});
        }
      }
    }
    return order;
  }

  std::string Header() const {
    const bool my = dialect_ == TSqlDialect::MySql;
    std::string text = "-- The diagram " + Quoted(panel_.DiagramName()) + " as " + (dialect_ == TSqlDialect::Sqlite ? "an " : "a ") +
                       SqlDialectTitle(dialect_) + " script.\n"
                       "-- A table per entity, named by its description; a column per property row, with its data type,\n"
                       "-- key and not-null marks (a key column is always NOT NULL); a foreign key per relation box whose\n"
                       "-- two ends are set (boxes of one name between the same two tables make one key of several\n"
                       "-- columns); methods, events and calls as comments.\n"
                       "-- Names: a byte that is not UTF-8 and a control character become \"_\"";
    if (my) text += ", and so does a character beyond U+FFFF;\n-- blanks at the end are dropped; names are cut to 64 characters";
    if (dialect_ == TSqlDialect::PostgreSql) text += ";\n-- names are cut to 63 bytes, what PostgreSQL keeps";
    text += ";\n-- an empty name becomes tableN or columnN (N its place)";
    if (dialect_ == TSqlDialect::Sqlite) text += ";\n-- a table name starting with \"sqlite_\" gets \"_\" before it";
    text += ".\n-- A name equal to an earlier one of its kind (a table's to a table's, a column's to one of its\n"
            "-- table's, a key's to a key's), letter case ignored, gets the first of \"_2\", \"_3\", ... that\n"
            "-- makes it unique.\n";
    std::vector<std::string> empty;
    for (const TTable& table : tables_)
      if (table.Rows.empty() && dialect_ != TSqlDialect::PostgreSql) empty.push_back(Quoted(table.Names.Table));
    if (!empty.empty()) {
      text += "-- Entities without property rows get the column \"no_property_rows\" (" +
              std::string(SqlDialectTitle(dialect_)) + " has no table without columns):\n";
      for (const std::string& name : empty) text += "--   " + name + "\n";
    }
    if (!notKeys_.empty()) {
      text += "-- Relation boxes that are no foreign key:\n";
      for (const std::string& line : notKeys_) text += "--   " + line + "\n";
    }
    if (my) return text + "SET NAMES utf8mb4;\n\n";
    if (dialect_ == TSqlDialect::PostgreSql) text += "SET client_encoding = 'UTF8';\n";
    return text + "BEGIN;\n\n";
  }

  void AppendTable(std::string& text, const TTable& table) const {
    const TEntity& entity = *table.Entity;
    text += "-- Entity " + Quoted(entity.EntityDesc()) + "\nCREATE TABLE " + Name(table.Names.Table) + " (";
    std::string separator = "\n  ";
    for (size_t c = 0; c < table.Rows.size(); ++c) {
      const TProperty& row = *table.Rows[c];
      text += separator + Name(table.Names.Columns[c]) + " " + table.Types[c].Text +
              (row.NotNull() || row.PrimaryKey() ? " NOT NULL" : "");
      separator = ",\n  ";
    }
    if (table.Rows.empty() && dialect_ != TSqlDialect::PostgreSql) text += separator + "no_property_rows INTEGER";
    if (!table.PrimaryKey.empty()) text += separator + "PRIMARY KEY " + Columns(table, table.PrimaryKey);
    for (const std::vector<size_t>& unique : table.Uniques) text += separator + "UNIQUE " + Columns(table, unique);
    for (const size_t k : table.ForeignKeys)
      if (!keys_[k].Later || dialect_ == TSqlDialect::Sqlite) text += separator + KeyClause(keys_[k]);
    text += dialect_ == TSqlDialect::MySql ? "\n) DEFAULT CHARSET=utf8mb4;\n" : "\n);\n";
    for (const auto& slot : entity.MethodList()) {
      if (!slot.Object) continue;
      const TMethod& method = *slot.Object;
      text += "-- method " + Quoted(method.MethodDesc());
      if (const TMethod* called = method.CallMethod())
        text += ", calls " + Quoted(called->OwnerEntity() ? called->OwnerEntity()->EntityDesc() : std::string()) + "." +
                Quoted(called->MethodDesc());
      text += "\n";
    }
    const auto end = [](const TMethod* method) {
      if (!method) return std::string("(not set)");
      return Quoted(method->OwnerEntity() ? method->OwnerEntity()->EntityDesc() : std::string()) + "." +
             Quoted(method->MethodDesc());
    };
    for (const auto& slot : entity.EventList())
      if (slot.Object)
        text += "-- event " + Quoted(slot.Object->EventDesc()) + ": " + end(slot.Object->SourceMethod()) + " -> " +
                end(slot.Object->TargetMethod()) + "\n";
    text += "\n";
  }

  const TOOAPanel& panel_;
  TSqlDialect dialect_;
  std::vector<TTable> tables_;
  std::vector<TForeignKey> keys_;
  std::vector<std::string> notKeys_;
  std::unordered_map<const TProperty*, std::pair<size_t, size_t>> rowAt_;
};

constexpr struct {
  TSqlDialect Dialect;
  const char* Name;
  const char* Title;
} kDialects[] = {{TSqlDialect::PostgreSql, "postgresql", "PostgreSQL"},
                 {TSqlDialect::MySql, "mysql", "MySQL"},
                 {TSqlDialect::Sqlite, "sqlite", "SQLite"}};
}  // namespace

std::optional<TSqlDialect> SqlDialectByName(std::string_view name) {
  for (const auto& dialect : kDialects)
    if (SameText(name, dialect.Name)) return dialect.Dialect;
  return std::nullopt;
}

const char* SqlDialectTitle(TSqlDialect dialect) {
  for (const auto& each : kDialects)
    if (each.Dialect == dialect) return each.Title;
  return "";
}

std::vector<TSqlTableNames> SqlNamesOf(const TOOAPanel& panel, TSqlDialect dialect) {
  return TSqlScript(panel, dialect).Names();
}

std::string SqlScriptOf(const TOOAPanel& panel, TSqlDialect dialect) { return TSqlScript(panel, dialect).Text(); }

void WriteSqlScript(const TOOAPanel& panel, const std::string& fileName, TSqlDialect dialect) {
  WriteFileAtomically(fileName, SqlScriptOf(panel, dialect));
}

void ExportSqlCommand(TOOAPanel& panel) {
  Platform& platform = panel.GetPlatformRef();
  std::vector<std::string> dialects;
  for (const auto& each : kDialects) dialects.push_back(each.Title);
  // Closed any other way, the dialog exports nothing.
  const ChoiceDialog dialog = PickOneDialog("Export SQL", "SQL Dialect", std::move(dialects), "OK");
  const std::string chosen = platform.Choose(dialog);
  const auto dialect = std::find_if(std::begin(kDialects), std::end(kDialects),
                                    [&](const auto& each) { return chosen == each.Title; });
  if (dialect == std::end(kDialects)) return;
  FileDialogOptions options;
  const std::string name = panel.DiagramName().empty() ? std::string("NoName") : PageNameForFile(panel.DiagramName());
  const std::string& folder = panel.DiagramFolder();
  options.FileName = (folder.empty() || folder.back() == '/' ? folder : folder + "/") + name + ".sql";
  options.Filter = std::string(dialect->Title) + " Script|*.sql";
  options.DefaultExt = "sql";
  options.SuffixFromFilter = true;
  options.Title = "Export SQL";
  const std::optional<std::string> file = platform.SaveFileDialog(options);
  if (file && panel.MayReplace(*file, options.Title)) WriteSqlScript(panel, *file, dialect->Dialect);
}

void InstallSqlExport(TOOAPanel& panel) { panel.FileHandlers.ExportSql = ExportSqlCommand; }
