// The SQL export's SQLite scripts loaded into a real database file through SQLite, and read back.
#include "sql_export.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "diagram_fixture.h"
#include "io_test_support.h"
#include "sqlite_schema_reader.h"
#include "toolkit_error.h"

TEST(SqlExport, EveryTestDiagramLoadsIntoSqliteAndReadsBackAsItsModel) {
  ExpectEveryScriptReadsBackAsItsModel(TSqlDialect::Sqlite, [](const std::string& script, const std::string& database) {
    const std::string file = script + "." + database;
    sqlite3* connection = nullptr;
    char* error = nullptr;
    if (sqlite3_open(file.c_str(), &connection) != SQLITE_OK) throw std::runtime_error("cannot open " + file);
    const int status = sqlite3_exec(connection, ReadBytes(script).c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error), sqlite3_close(connection);
    if (status != SQLITE_OK) throw std::runtime_error(message);
    return ReadSqliteSchema(file);
  });
}

// "-> Export SQL...": the dialect first (closing its dialog exports nothing), then the file, proposed
// after the diagram's name in its folder; an existing file is replaced only on Yes, a failed write
// is an error and the file stays as it was.
TEST_F(DiagramTest, ExportSqlAsksTheDialectThenTheFile) {
  TTempFolder folder;
  InstallSqlExport(panel);
  panel.SetDiagramName("Shop"), panel.SetDiagramFolder(folder.Path().string() + "/");
  AddPage("Main"), AddEntity("Customer");
  WriteBytes(folder / "old.sql", "old");
  platform.CloseChoice().Choose("MySQL").CancelFile().Choose("SQLite").PickFile(folder / "out", 0).Choose("PostgreSQL");
  platform.PickFile(folder / "old.sql", 0).No().Choose("SQLite").PickFile(folder / "no/such.sql", 0);
  for (int i = 0; i < 4; ++i) panel.SurfaceMenu().Find("-> Export SQL...")->Click();
  EXPECT_THROW(panel.SurfaceMenu().Find("-> Export SQL...")->Click(), EToolkitError);
  const std::vector<PlatformCall> saves = platform.CallsOf("Save");
  ASSERT_EQ(saves.size(), 4u);
  EXPECT_EQ(saves[0].File.FileName, folder / "Shop.sql");
  EXPECT_EQ(saves[0].File.Filter, "MySQL Script|*.sql");
  EXPECT_EQ(ReadBytes(folder / "out.sql"), SqlScriptOf(panel, TSqlDialect::Sqlite));
  EXPECT_EQ(ReadBytes(folder / "old.sql"), "old");
}
