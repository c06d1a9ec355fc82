// Reading SQLite files: databases made here through SQLite, and files that are no database.
#include "sqlite_schema_reader.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "io_test_support.h"
#include "toolkit_error.h"

TEST(SqliteSchemaReader, ReadsTablesColumnsKeysAndForeignKeys) {
  const struct {
    const char* sql;
    const char* described;
  } cases[] = {
      // A composite key, a column without a type, quoted names, keys to a primary key named in
      // another letter case, WITHOUT ROWID; neither the view nor SQLite's own table is a table.
      {"CREATE TABLE customers(id INTEGER PRIMARY KEY AUTOINCREMENT, \"full \"\"nick\"\" name\" VARCHAR(40) NOT NULL);"
       "CREATE VIEW big AS SELECT id FROM customers;"
       "CREATE TABLE \"order lines\"(\"order\" INT, line INT, note, PRIMARY KEY(\"order\", line),"
       " FOREIGN KEY(\"order\") REFERENCES Customers) WITHOUT ROWID;"
       "CREATE TABLE 'it''s'(id TEXT PRIMARY KEY, o INT NOT NULL, l INT,"
       " FOREIGN KEY(o, l) REFERENCES \"order lines\"(\"order\", line), FOREIGN KEY(id) REFERENCES customers(id))",
       "customers: id INTEGER pk nn, full \"nick\" name VARCHAR(40) nn\n"
       "order lines: order INT pk nn, line INT pk nn, note\n"
       "it's: id TEXT pk nn, o INT nn, l INT\n"
       "order lines(order) -> customers()\nit's(o, l) -> order lines(order, line)\nit's(id) -> customers(id)\n"},
      // Tables dropped and made again stand where the schema table has them; a key to a table that
      // is not there is read as written.
      {"CREATE TABLE a(x); CREATE TABLE z(y REFERENCES gone(w)); DROP TABLE a; CREATE TABLE a(x)",
       "z: y\na: x\nz(y) -> gone(w)\n"},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    // Letters a URI gives a meaning of its own, in the file's name.
    const std::string fileName = folder / "shop?#%41 data.sqlite";
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
    const char* bytes;  // nullptr: no file
    const char* reason;
  } cases[] = {
      {nullptr, "unable to open database file"},
      {"", "file is not a database"},
      {"CREATE TABLE t(x);\n", "file is not a database"},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    const std::string fileName = folder / "x.db";
    if (c.bytes) WriteBytes(fileName, c.bytes);
    try {
      ReadSqliteSchema(fileName);
      ADD_FAILURE() << "read " << (c.bytes ? c.bytes : "no file");
    } catch (const EToolkitError& error) {
      EXPECT_EQ(error.what(), "Cannot read the SQLite database \"" + fileName + "\": " + c.reason);
    }
    EXPECT_EQ(std::filesystem::exists(fileName), c.bytes != nullptr);
    EXPECT_EQ(c.bytes ? ReadBytes(fileName) : "", c.bytes ? c.bytes : "");
  }
}

TEST(SqliteSchemaReader, KnowsTheHeader) {
  const struct {
    std::string_view bytes;
    bool header;
  } cases[] = {
      {std::string_view("SQLite format 3\0\x10\0", 19), true},
      {std::string_view("SQLite format 3\0", 16), true},
      {"SQLite format 3", false},  // the zero byte is part of it
      {std::string_view("SQLite format 2\0", 16), false},
      {std::string_view("sqlite format 3\0", 16), false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSqliteHeader(c.bytes), c.header) << c.bytes;
}
