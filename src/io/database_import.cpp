#include "database_import.h"

#include <algorithm>
#include <unordered_map>

#include "entity.h"
#include "file_access.h"
#include "graph_layout.h"
#include "ooa_panel.h"
#include "page_arrangement.h"
#include "placement.h"
#include "postgres_schema_reader.h"
#include "property.h"
#include "relation.h"
#include "schema_import.h"
#include "sql_schema_reader.h"
#include "sqlite_schema_reader.h"
#include "text.h"
#include "toolkit_error.h"

namespace {
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string LowerText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

// "1 table", "2 tables".
std::string Count(size_t n, const std::string& one, const std::string& many) {
  return IntToText(static_cast<long long>(n)) + " " + (n == 1 ? one : many);
}

// The tables of a schema by name: exactly as written, then letter case ignored (unquoted names are
// folded by some engines and not by others), then by name alone when one schema's table has it.
class TTableIndex {
 public:
  explicit TTableIndex(const std::vector<TSchemaTable>& tables) {
    for (size_t i = 0; i < tables.size(); ++i) {
      exact_.try_emplace(Key(tables[i].Schema, tables[i].Name), i);
      folded_.try_emplace(LowerText(Key(tables[i].Schema, tables[i].Name)), i);
      const auto [named, added] = byName_.try_emplace(LowerText(tables[i].Name), i);
      if (!added && named->second != i) named->second = kAmbiguous;
    }
  }

  // The table a foreign key names: its own schema where it names none.
  std::optional<size_t> Find(const std::string& schema, const std::string& name) const {
    if (const auto found = exact_.find(Key(schema, name)); found != exact_.end()) return found->second;
    if (const auto found = folded_.find(LowerText(Key(schema, name))); found != folded_.end()) return found->second;
    if (const auto found = byName_.find(LowerText(name)); found != byName_.end() && found->second != kAmbiguous)
      return found->second;
    return std::nullopt;
  }

 private:
  static constexpr size_t kAmbiguous = static_cast<size_t>(-1);
  static std::string Key(const std::string& schema, const std::string& name) { return schema + '\x1f' + name; }
  std::unordered_map<std::string, size_t> exact_, folded_, byName_;
};

std::optional<size_t> FindColumn(const TSchemaTable& table, const std::string& name) {
  for (size_t i = 0; i < table.Columns.size(); ++i)
    if (table.Columns[i].Name == name) return i;
  for (size_t i = 0; i < table.Columns.size(); ++i)
    if (SameText(table.Columns[i].Name, name)) return i;
  return std::nullopt;
}

// One relation to make: a referencing column and the column it references.
struct TColumnLink {
  size_t Table = 0;
  size_t Column = 0;
  size_t RefTable = 0;
  size_t RefColumn = 0;
  std::string Name;
};

struct TResolved {
  std::vector<TColumnLink> Links;
  std::vector<std::string> LeftOut;  // foreign keys naming what the source does not hold
};

TResolved ResolveForeignKeys(const TDatabaseSchema& schema) {
  TResolved resolved;
  const TTableIndex tables(schema.Tables);
  for (const TSchemaForeignKey& key : schema.ForeignKeys) {
    const std::string fallbackName =
        key.Table + "_" + (key.Columns.empty() ? std::string() : key.Columns.front()) + "_fkey";
    const std::string name = IsBlank(key.Name) ? fallbackName : key.Name;
    const std::optional<size_t> from = tables.Find(key.Schema, key.Table);
    const std::optional<size_t> to = tables.Find(key.RefSchema.empty() ? key.Schema : key.RefSchema, key.RefTable);
    std::vector<std::string> refColumns = key.RefColumns;
    if (to && refColumns.empty())
      for (const TSchemaColumn& column : schema.Tables[*to].Columns)
        if (column.PrimaryKey) refColumns.push_back(column.Name);
    std::vector<TColumnLink> links;
    bool whole = from && to && !key.Columns.empty() && key.Columns.size() == refColumns.size();
    for (size_t i = 0; whole && i < key.Columns.size(); ++i) {
      const std::optional<size_t> column = FindColumn(schema.Tables[*from], key.Columns[i]);
      const std::optional<size_t> refColumn = FindColumn(schema.Tables[*to], refColumns[i]);
      whole = column && refColumn;
      if (whole) links.push_back({*from, *column, *to, *refColumn, name});
    }
    if (whole)
      resolved.Links.insert(resolved.Links.end(), links.begin(), links.end());
    else
      resolved.LeftOut.push_back(name);
  }
  return resolved;
}

// A page name from the source's: without " @", which ends a page's name in an entry, and not one
// the diagram has already (letter case ignored).
std::string FreePageName(const TOOAPanel& panel, std::string name) {
  for (size_t at; (at = name.find(" @")) != std::string::npos;) name.replace(at, 2, " _");
  if (IsBlank(name)) name = "Database";
  const auto taken = [&panel](const std::string& candidate) {
    return std::any_of(panel.OwnPageList().begin(), panel.OwnPageList().end(),
                       [&](const std::string& page) { return SameText(page, candidate); });
  };
  std::string candidate = name;
  for (int n = 2; taken(candidate); ++n) candidate = name + " (" + IntToText(n) + ")";
  return candidate;
}

std::string NewPage(TOOAPanel& panel, const std::string& name) {
  const std::string page = FreePageName(panel, name);
  panel.OwnPageList().push_back(page);
  return page;
}

// What the import made, to be told when it is done.
struct TMade {
  std::vector<TEntity*> Entities;       // by table
  std::vector<TRelation*> Relations;    // by column link
  std::vector<std::string> Pages;       // the overview first, when there is one
  size_t OverviewPages = 1;
  std::vector<std::string> Crowded;  // pages whose tables could not all be placed apart
};

class TSchemaBuilder {
 public:
  TSchemaBuilder(TOOAPanel& panel, const TDatabaseSchema& schema, const TResolved& resolved)
      : panel_(panel), schema_(schema), resolved_(resolved), qualified_(Qualified(schema)) {}

  TMade Build(const std::string& pageName) {
    made_.Pages.push_back(NewPage(panel_, pageName));
    const std::string page = made_.Pages.front();
    panel_.SetActivePageName(page);
    panel_.BeginPartialShow();
    try {
      for (const TSchemaTable& table : schema_.Tables) MakeEntity(table, page);
      for (const TColumnLink& link : resolved_.Links) MakeRelation(link, page);
      panel_.ShowActivePage();
    } catch (...) {
      panel_.EndPartialShow();
      throw;
    }
    panel_.EndPartialShow();
    Lay(page);
    panel_.SetActivePageName(made_.Pages.front());
    panel_.ShowActivePage();
    return made_;
  }

 private:
  // Tables are named with their schema only where the source holds more than one.
  static bool Qualified(const TDatabaseSchema& schema) {
    return std::any_of(schema.Tables.begin(), schema.Tables.end(),
                       [&](const TSchemaTable& table) { return table.Schema != schema.Tables.front().Schema; });
  }

  void MakeEntity(const TSchemaTable& table, const std::string& page) {
    std::string desc = qualified_ && !table.Schema.empty() ? table.Schema + "." + table.Name : table.Name;
    if (IsBlank(desc)) desc = "Table" + IntToText(static_cast<long long>(made_.Entities.size() + 1));
    TEntity& entity = panel_.CreateEntity(desc, true);
    panel_.MarkForShow(entity);
    entity.SetEntityType(Et_Data);
    entity.AppendEntry(MakeEntry(page, 0, 0));
    for (size_t i = 0; i < table.Columns.size(); ++i) {
      const TSchemaColumn& column = table.Columns[i];
      // A row without a name would stop the import to ask for one.
      const std::string name = IsBlank(column.Name) ? "column" + IntToText(static_cast<long long>(i + 1)) : column.Name;
      TProperty& row = *AddProperty(entity, name, true);
      const TColumnKind kind = ColumnKindOf(column.Type);
      row.SetDataType(kind.Type);
      row.SetDataSize(kind.Size);
      row.SetDataScale(kind.Scale);
      row.SetPrimaryKey(column.PrimaryKey);
      row.SetNotNull(column.NotNull);
    }
    made_.Entities.push_back(&entity);
  }

  TProperty* Row(size_t table, size_t column) const {
    return made_.Entities[table]->PropertyList()[column].Object.get();
  }

  void MakeRelation(const TColumnLink& link, const std::string& page) {
    TEntity& owner = *made_.Entities[link.Table];
    TRelation& relation = *AddRelation(owner, link.Name, true);
    relation.SetSourceEntity(&owner);
    relation.SetSourceProperty(Row(link.Table, link.Column));
    relation.SetTargetEntity(made_.Entities[link.RefTable]);
    relation.SetTargetProperty(Row(link.RefTable, link.RefColumn));
    relation.AppendEntry(MakeEntry(page, 0, 0));
    made_.Relations.push_back(&relation);
  }

  std::vector<TLayoutLink> TableLinks() const {
    std::vector<TLayoutLink> links;
    for (const TColumnLink& link : resolved_.Links)
      if (link.Table != link.RefTable) links.push_back({static_cast<int>(link.Table), static_cast<int>(link.RefTable)});
    return links;
  }

  std::vector<TLayoutBox> TableBoxes() const {
    std::vector<TLayoutBox> boxes;
    for (const TEntity* entity : made_.Entities) boxes.push_back({entity->Width(), entity->Height()});
    return boxes;
  }

  // The page shown first by the arrangement itself, so that the sizes it lays out are that page's.
  void Arrange(const std::string& page) {
    panel_.SetActivePageName(page);
    if (!ArrangeActivePage(panel_)) made_.Crowded.push_back(page);
  }

  // One page when the tables fit readably on it; else one page per group the relations make, each
  // with the tables its own reference, behind an overview of every table by its title (itself on
  // several pages when even the titles do not fit on one).
  void Lay(const std::string& page) {
    const std::vector<TLayoutLink> links = TableLinks();
    std::vector<TLayoutBox> boxes = TableBoxes();
    const std::vector<std::vector<int>> groups = GroupBoxesForPages(boxes, links, TOOAPanel::EditorSurfaceSize);
    if (groups.size() <= 1) {
      Arrange(page);
      return;
    }
    for (TRelation* relation : made_.Relations) relation->ClearEntries();
    for (TLayoutBox& box : boxes) box.Height = TEntity::TitleHeight;
    std::vector<int> byGroup;
    for (const std::vector<int>& group : groups) byGroup.insert(byGroup.end(), group.begin(), group.end());
    std::vector<std::vector<int>> overviews;
    OverviewPages(boxes, byGroup, overviews);
    for (size_t o = 0; o < overviews.size(); ++o) {
      if (o > 0) made_.Pages.push_back(NewPage(panel_, page + " overview " + IntToText(static_cast<long long>(o + 1))));
      for (const int table : overviews[o])
        made_.Entities[static_cast<size_t>(table)]->ReplaceEntry(0, MakeEntry(made_.Pages.back(), 0, 0) +
                                                                        HideFlagsText({true, false}));
    }
    const size_t firstGroupPage = made_.OverviewPages = made_.Pages.size();
    std::vector<size_t> groupOf(made_.Entities.size());
    for (size_t g = 0; g < groups.size(); ++g) {
      made_.Pages.push_back(NewPage(panel_, page + " " + IntToText(static_cast<long long>(g + 1))));
      for (const int table : groups[g]) {
        groupOf[static_cast<size_t>(table)] = g;
        made_.Entities[static_cast<size_t>(table)]->AppendEntry(MakeEntry(made_.Pages.back(), 0, 0));
      }
    }
    for (size_t i = 0; i < made_.Relations.size(); ++i) {
      const TColumnLink& link = resolved_.Links[i];
      const std::string& own = made_.Pages[firstGroupPage + groupOf[link.Table]];
      made_.Relations[i]->AppendEntry(MakeEntry(own, 0, 0));
      // The referenced table stands on the page too, so that the relation's line reaches its row.
      TEntity& target = *made_.Entities[link.RefTable];
      if (!target.IsOnPage(own)) target.AppendEntry(MakeEntry(own, 0, 0));
    }
    for (const std::string& each : made_.Pages) Arrange(each);
  }

  // The overview shows titles only, with no relation to follow: as many tables as pack onto a page
  // go on one, in the order of their groups, so that linked tables stand near each other.
  static void OverviewPages(const std::vector<TLayoutBox>& boxes, const std::vector<int>& tables,
                            std::vector<std::vector<int>>& pages) {
    std::vector<TLayoutBox> these;
    for (const int table : tables) these.push_back(boxes[static_cast<size_t>(table)]);
    if (tables.size() <= 1 || LayoutBoxes(these, {}, TOOAPanel::EditorSurfaceSize).Fits) {
      pages.push_back(tables);
      return;
    }
    const auto half = tables.begin() + static_cast<std::ptrdiff_t>(tables.size() / 2);
    OverviewPages(boxes, std::vector<int>(tables.begin(), half), pages);
    OverviewPages(boxes, std::vector<int>(half, tables.end()), pages);
  }

  TOOAPanel& panel_;
  const TDatabaseSchema& schema_;
  const TResolved& resolved_;
  TMade made_;
  const bool qualified_;
};

std::string Summary(const TDatabaseSchema& schema, const TResolved& resolved, const TMade& made,
                    const std::string& sourceName) {
  size_t columns = 0;
  std::vector<std::pair<std::string, size_t>> others;  // types read as Varchar, first seen first
  std::unordered_map<std::string, size_t> otherAt;
  for (const TSchemaTable& table : schema.Tables)
    for (const TSchemaColumn& column : table.Columns) {
      ++columns;
      if (ColumnKindOf(column.Type).Known) continue;
      const std::string type = IsBlank(column.Type) ? "(none)" : LowerText(Trim(column.Type));
      const auto [at, added] = otherAt.try_emplace(type, others.size());
      if (added) others.push_back({type, 0});
      ++others[at->second].second;
    }
  std::string text = "Imported " + Count(schema.Tables.size(), "table", "tables") + " with " +
                     Count(columns, "column", "columns") + " and " +
                     Count(made.Relations.size(), "relation", "relations") + " from " + sourceName;
  if (made.Pages.size() == 1) {
    text += " onto the page " + Quoted(made.Pages.front()) + ".";
  } else {
    const size_t overviews = made.OverviewPages;
    text += " onto " + Count(made.Pages.size(), "page", "pages") + ": " + Quoted(made.Pages.front()) +
            (overviews > 1 ? " to " + Quoted(made.Pages[overviews - 1]) + " show" : " shows") +
            " every table by its title, " + Quoted(made.Pages[overviews]) +
            (made.Pages.size() > overviews + 1 ? " to " + Quoted(made.Pages.back()) : std::string()) +
            " the tables linked, group by group.";
  }
  constexpr size_t kNamed = 8;
  if (!others.empty()) {
    size_t count = 0;
    std::string list;
    for (size_t i = 0; i < others.size(); ++i) {
      count += others[i].second;
      if (i < kNamed) list += (i ? ", " : "") + others[i].first + " (" + IntToText(static_cast<long long>(others[i].second)) + ")";
    }
    if (others.size() > kNamed) list += ", ...";
    text += "\n" + Count(count, "column of another type was", "columns of other types were") + " read as Varchar: " + list + ".";
  }
  if (!resolved.LeftOut.empty()) {
    std::string list;
    for (size_t i = 0; i < resolved.LeftOut.size() && i < kNamed; ++i) list += (i ? ", " : "") + resolved.LeftOut[i];
    if (resolved.LeftOut.size() > kNamed) list += ", ...";
    text += "\n" + Count(resolved.LeftOut.size(), "foreign key was", "foreign keys were") +
            " left out, naming a table or column the source does not hold: " + list + ".";
  }
  if (schema.SkippedCount > 0) {
    std::string list;
    for (size_t i = 0; i < schema.Skipped.size(); ++i)
      list += std::string(i ? ", " : "") + "line " + IntToText(schema.Skipped[i].Line) + " " + Quoted(schema.Skipped[i].Text);
    if (static_cast<size_t>(schema.SkippedCount) > schema.Skipped.size()) list += ", ...";
    text += "\n" + Count(static_cast<size_t>(schema.SkippedCount), "statement was", "statements were") +
            " not understood and skipped: " + list + ".";
  }
  if (!made.Crowded.empty()) {
    std::string list;
    for (const std::string& page : made.Crowded) list += (list.empty() ? "" : ", ") + Quoted(page);
    text += "\nOn " + std::string(made.Crowded.size() == 1 ? "the page " : "the pages ") + list +
            " the tables did not all fit without overlapping.";
  }
  return text;
}

// The file's name without its folder and its last extension: what its page is named after.
std::string SourceBaseName(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return base;
}

bool IsSchemaExportLine(std::string_view bytes) {
  const std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
  if (line.size() < 4) return false;
  return std::all_of(line.begin(), line.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  });
}

void ImportFile(TOOAPanel& panel, const std::string& fileName) {
  const std::string bytes = ReadExistingFile(fileName);
  TDatabaseSchema schema;
  switch (SchemaSourceKindOf(fileName, bytes)) {
    case TSchemaSourceKind::SchemaExport:
      panel.Edit("Import Schema", {}, [&] { ImportSchemaBytes(panel, SchemaEntityName(fileName), bytes); });
      return;
    case TSchemaSourceKind::Sqlite:
      schema = ReadSqliteSchema(fileName);
      break;
    default:
      schema = ReadSqlSchema(bytes);
      break;
  }
  const std::string summary = ImportDatabaseSchema(panel, schema, SourceBaseName(fileName), Quoted(FullFileName(fileName)));
  panel.GetPlatformRef().ShowNotice(summary);
}

void ImportPostgres(TOOAPanel& panel, const std::string& connection) {
  Platform& platform = panel.GetPlatformRef();
  std::string database;
  const TDatabaseSchema schema = ReadPostgresSchema(
      connection,
      [&platform] { return platform.AskPassword("PostgreSQL Password", "Password of the database's user :"); },
      &database);
  const std::string summary = ImportDatabaseSchema(panel, schema, database, "the PostgreSQL database " + Quoted(database));
  platform.ShowNotice(summary);
}
}  // namespace

std::string ImportDatabaseSchema(TOOAPanel& panel, const TDatabaseSchema& schema, const std::string& pageName,
                                 const std::string& sourceName) {
  if (schema.Tables.empty()) {
    std::string text = "No table was found in " + sourceName + ".";
    if (schema.SkippedCount > 0)
      text += " " + Count(static_cast<size_t>(schema.SkippedCount), "statement was", "statements were") +
              " not understood, the first at line " + IntToText(schema.Skipped.front().Line) + ".";
    throw EToolkitError(text);
  }
  const TResolved resolved = ResolveForeignKeys(schema);
  TMade made;
  panel.WithOneEditorRefresh([&] {
    panel.Edit("Import Database Schema", {}, [&] { made = TSchemaBuilder(panel, schema, resolved).Build(pageName); });
  });
  return Summary(schema, resolved, made, sourceName);
}

TSchemaSourceKind SchemaSourceKindOf(const std::string& source, std::string_view firstBytes) {
  if (IsPostgresUri(source)) return TSchemaSourceKind::Postgres;
  if (IsSqliteHeader(firstBytes)) return TSchemaSourceKind::Sqlite;
  const size_t dot = source.rfind('.');
  const bool exportName = dot != std::string::npos && SameText(std::string_view(source).substr(dot), ".SFD");
  if (exportName || IsSchemaExportLine(firstBytes)) return TSchemaSourceKind::SchemaExport;
  return TSchemaSourceKind::SqlScript;
}

void ImportSchemaSource(TOOAPanel& panel, const std::string& source) {
  if (IsPostgresUri(source))
    ImportPostgres(panel, source);
  else
    ImportFile(panel, source);
}

void ImportDatabaseFileCommand(TOOAPanel& panel) {
  FileDialogOptions options;
  options.Filter =
      "Database Schema|*.sql;*.db;*.sqlite;*.sqlite3|SQL Script|*.sql|SQLite Database|*.db;*.sqlite;*.sqlite3|"
      "All Files|*";
  options.Title = "Import Database Schema";
  const std::optional<std::string> chosen = panel.GetPlatformRef().OpenFileDialog(options);
  if (chosen) ImportFile(panel, *chosen);
}

void ImportPostgresCommand(TOOAPanel& panel) {
  Platform& platform = panel.GetPlatformRef();
  // No proposal: the box answers it when cancelled, and an empty connection is no database to read.
  const std::string connection = Trim(platform.InputBox(
      "Import PostgreSQL Database", "Connection (postgresql://user@host:port/database, or host=... dbname=...) :", ""));
  if (connection.empty()) return;
  ImportPostgres(panel, connection);
}

void InstallDatabaseImport(TOOAPanel& panel) {
  panel.FileHandlers.ImportDatabaseFile = ImportDatabaseFileCommand;
  panel.FileHandlers.ImportPostgres = ImportPostgresCommand;
}
