// Reading SQLite files: databases made here through SQLite, and files that are no database.
#include "sqlite_schema_reader.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <optional>

#include "io_test_support.h"
#include "toolkit_error.h"

using namespace std::string_literals;

TEST(SqliteSchemaReader, ReadsTablesColumnsKeysAndForeignKeys) {
  const struct {
    const char *sql, *described;
  } cases[] = {
      // Composite and WITHOUT ROWID keys, an untyped column, quoted names, keys to a primary key named
      // in another letter case, a named key; neither the view nor SQLite's own table is a table.
      {"CREATE TABLE customers(id INTEGER PRIMARY KEY AUTOINCREMENT, \"full \"\"nick\"\" name\" VARCHAR(40) NOT NULL);"
       "CREATE VIEW big AS SELECT id FROM customers; CREATE TABLE \"order lines\"(\"order\" INT, line INT, note,"
       " PRIMARY KEY(\"order\", line), FOREIGN KEY(\"order\") REFERENCES Customers) WITHOUT ROWID;"
       "CREATE TABLE 'it''s'(id TEXT PRIMARY KEY, o INT NOT NULL, l INT, CONSTRAINT \"to lines\" FOREIGN KEY(o, l)"
       " REFERENCES \"order lines\"(\"order\", line), FOREIGN KEY(id) REFERENCES customers(id))",
       "customers: id INTEGER pk nn, full \"nick\" name VARCHAR(40) nn\norder lines: order INT pk nn, line INT pk nn, note\n"
       "it's: id TEXT pk nn, o INT nn, l INT\norder lines(order) -> customers()\n"
       "it's(o, l) -> order lines(order, line) to lines\nit's(id) -> customers(id)\n"},
      // A table made again stands where the schema table has it; a key to no table is read as written.
      {"CREATE TABLE a(x); CREATE TABLE z(y REFERENCES gone(w)); DROP TABLE a; CREATE TABLE a(x)",
       "z: y\na: x\nz(y) -> gone(w)\n"},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    const std::string fileName = folder / "shop?#%41 data.sqlite";  // letters a URI reads otherwise
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(fileName.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, c.sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    EXPECT_EQ(DescribeSchema(ReadSqliteSchema(fileName)), c.described) << c.sql;
    EXPECT_TRUE(IsSqliteHeader(ReadBytes(fileName)));
  }
}

TEST(SqliteSchemaReader, RefusesWhatIsNoDatabaseAndCreatesNothing) {
  const struct {
    std::optional<std::string> bytes;  // none: no file
    bool header;
    const char* reason;
  } cases[] = {
      {std::nullopt, false, "unable to open database file"},
      {"", false, "file is not a database"},
      {"CREATE TABLE t(x);\n", false, "file is not a database"},
      {"SQLite format 3", false, "file is not a database"},  // the zero byte is part of the header
      {"SQLite format 3\0"s + std::string(200, 'x'), true, "file is not a database"},
      {"SQLite format 2\0"s + std::string(200, '\0'), false, "file is not a database"},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    const std::string fileName = folder / "x.db";
    if (c.bytes) WriteBytes(fileName, *c.bytes);
    EXPECT_EQ(IsSqliteHeader(c.bytes.value_or("")), c.header);
    try {
      ReadSqliteSchema(fileName);
      ADD_FAILURE() << "read " << c.bytes.value_or("no file");
    } catch (const EToolkitError& error) {
      EXPECT_EQ(error.what(), "Cannot read the SQLite database \"" + fileName + "\": " + c.reason);
    }
    EXPECT_EQ(std::filesystem::exists(fileName) ? std::optional(ReadBytes(fileName)) : std::nullopt, c.bytes);
  }
}
