// The tables and foreign keys of a SQLite database file, asked of SQLite itself through its schema
// table and its table-valued pragmas, so that every quirk of SQLite's own SQL is SQLite's to parse.
#include "sqlite_schema_reader.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "sql_schema_reader.h"
#include "library_handle.h"
#include "text.h"
#include "toolkit_error.h"

namespace {
using TSqliteHandle = TLibraryHandle<sqlite3, sqlite3_close_v2>;
using TStatement = TLibraryHandle<sqlite3_stmt, sqlite3_finalize>;

EToolkitError ReadError(const std::string& fileName, const std::string& reason) {
  return EToolkitError("Cannot read the SQLite database \"" + fileName + "\": " + reason);
}

// The file as a "file:" URI, so that "mode=ro" can be asked for: a read-only open of a name that does
// not exist then fails instead of leaving a new empty database behind. Every byte that could end the
// path or start an escape is escaped; the path is made absolute so that no name is read as a host.
std::string ReadOnlyUri(const std::string& fileName) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(fileName, error);
  if (error) path = fileName;
  std::string uri = "file://";
  for (const unsigned char c : path.string()) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain || c == '/' || c == '.' || c == '-' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri + "?mode=ro";
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column))) : std::string();
}

class TSqliteReader {
 public:
  explicit TSqliteReader(const std::string& fileName) : fileName_(fileName) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(ReadOnlyUri(fileName).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    db_.reset(db);
    if (opened != SQLITE_OK) throw Failure();
    // Another program may be writing the database; its locks last moments.
    sqlite3_busy_timeout(db, 2000);
  }

  TDatabaseSchema Read() {
    // SQLite takes an empty file for an empty database, but nobody imports one: it is no database.
    TStatement pages = Prepare("PRAGMA page_count");
    if (Step(pages.get()) && sqlite3_column_int64(pages.get(), 0) == 0)
      throw ReadError(fileName_, sqlite3_errstr(SQLITE_NOTADB));
    TDatabaseSchema schema;
    // In the schema table's order, which is the order the tables were made in. Virtual tables are left
    // out: their columns are their module's, which this program may not have.
    TStatement tables = Prepare(
        "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
        " AND coalesce(sql, '') NOT LIKE 'CREATE VIRTUAL TABLE%' ORDER BY rowid");
    std::vector<std::string> sqlOf;
    while (Step(tables.get())) {
      schema.Tables.emplace_back().Name = ColumnText(tables.get(), 0);
      sqlOf.push_back(ColumnText(tables.get(), 1));
    }
    TStatement columns = Prepare("SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1) ORDER BY cid");
    // Ids count the keys from the last declared back; descending, they come in the table's order.
    TStatement keys = Prepare(
        "SELECT id, \"table\", \"from\", \"to\" FROM pragma_foreign_key_list(?1) ORDER BY id DESC, seq");
    for (size_t index = 0; index < schema.Tables.size(); ++index) {
      TSchemaTable& table = schema.Tables[index];
      Bind(columns.get(), table.Name);
      while (Step(columns.get())) {
        const bool primaryKey = sqlite3_column_int(columns.get(), 3) > 0;
        table.Columns.push_back({.Name = ColumnText(columns.get(), 0),
                                 .Type = ColumnText(columns.get(), 1),
                                 .PrimaryKey = primaryKey,
                                 .NotNull = primaryKey || sqlite3_column_int(columns.get(), 2) != 0});
      }
      const size_t firstKey = schema.ForeignKeys.size();
      ReadForeignKeys(keys.get(), table.Name, schema);
      if (schema.ForeignKeys.size() > firstKey)
        NameForeignKeys(sqlOf[index], std::span(schema.ForeignKeys).subspan(firstKey));
    }
    return schema;
  }

 private:
  void ReadForeignKeys(sqlite3_stmt* keys, const std::string& table, TDatabaseSchema& schema) {
    Bind(keys, table);
    int lastId = -1;
    bool toPrimaryKey = false;
    while (Step(keys)) {
      const int id = sqlite3_column_int(keys, 0);
      if (id != lastId) {
        TSchemaForeignKey& key = schema.ForeignKeys.emplace_back();
        key.Table = table;
        key.RefTable = TableNamed(ColumnText(keys, 1), schema);
        lastId = id;
        toPrimaryKey = false;
      }
      TSchemaForeignKey& key = schema.ForeignKeys.back();
      key.Columns.push_back(ColumnText(keys, 2));
      // No referenced column named: the key references the other table's primary key.
      if (sqlite3_column_type(keys, 3) == SQLITE_NULL) toPrimaryKey = true;
      if (toPrimaryKey)
        key.RefColumns.clear();
      else
        key.RefColumns.push_back(ColumnText(keys, 3));
    }
  }

  // SQLite's pragmas do not name the keys; the table's SQL does where it names them, and a key is
  // known there by its columns and the table it references.
  static void NameForeignKeys(const std::string& sql, std::span<TSchemaForeignKey> keys) {
    const auto sameNames = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
      return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) { return SameText(x, y); });
    };
    const TDatabaseSchema declared = ReadSqlSchema(sql);
    for (TSchemaForeignKey& key : keys)
      for (const TSchemaForeignKey& named : declared.ForeignKeys)
        if (!named.Name.empty() && sameNames(named.Columns, key.Columns) && SameText(named.RefTable, key.RefTable)) {
          key.Name = named.Name;
          break;
        }
  }

  // SQLite finds tables by name whatever the letter case; a reference is given the table's own
  // spelling, so that it meets the table it means.
  static std::string TableNamed(const std::string& name, const TDatabaseSchema& schema) {
    for (const TSchemaTable& table : schema.Tables)
      if (SameText(table.Name, name)) return table.Name;
    return name;
  }

  TStatement Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    const int prepared = sqlite3_prepare_v2(db_.get(), sql, -1, &statement, nullptr);
    TStatement owned(statement);
    if (prepared != SQLITE_OK) throw Failure();
    return owned;
  }

  void Bind(sqlite3_stmt* statement, const std::string& value) {
    sqlite3_reset(statement);
    if (sqlite3_bind_text(statement, 1, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) != SQLITE_OK)
      throw Failure();
  }

  bool Step(sqlite3_stmt* statement) {
    const int stepped = sqlite3_step(statement);
    if (stepped == SQLITE_ROW) return true;
    if (stepped != SQLITE_DONE) throw Failure();
    return false;
  }

  EToolkitError Failure() const {
    return ReadError(fileName_, db_ ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(SQLITE_NOMEM));
  }

  std::string fileName_;
  TSqliteHandle db_;
};
}  // namespace

bool IsSqliteHeader(std::string_view firstBytes) {
  static constexpr std::string_view kHeader("SQLite format 3\0", 16);
  return firstBytes.starts_with(kHeader);
}

TDatabaseSchema ReadSqliteSchema(const std::string& fileName) { return TSqliteReader(fileName).Read(); }
