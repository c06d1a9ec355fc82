// The SQL script reader against the real tools: real schemas (Debian packages' own, fetched by
// scripts/fetch_schemas.sh) loaded into SQLite and into a private MariaDB server, dumped by sqlite3's
// .schema and by mysqldump, read back, and compared with what each database's catalog says.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "sql_schema_reader.h"

namespace fs = std::filesystem;

namespace {
struct TRun {
  int Status = -1;
  std::string Output;
};

// Runs a shell command and takes its standard output.
TRun Shell(const std::string& command) {
  TRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[65536];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Output.append(buffer, got);
  const int status = pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A program of the system, also where PATH leaves out the administrators' folders.
std::string Program(const std::string& name) {
  for (const char* folder : {"/usr/bin", "/usr/sbin", "/usr/local/bin", "/usr/local/sbin"})
    if (access((std::string(folder) + "/" + name).c_str(), X_OK) == 0) return std::string(folder) + "/" + name;
  return {};
}

// A file of a fetched package, or empty when it was not fetched.
std::string SchemaFile(const std::string& package, const std::string& path) {
  const char* root = getenv("QUORVANE_SCHEMAS");
  const fs::path file = (root != nullptr ? fs::path(root) : fs::path(getenv("HOME") ? getenv("HOME") : "/") / ".cache/quorvane/schemas") /
                        package / path;
  return fs::exists(file) ? file.string() : std::string();
}

// "cat FILE" or "gzip -dc FILE", to pipe a schema into a client.
std::string CatCommand(const std::string& file) {
  return (file.ends_with(".gz") ? "gzip -dc " : "cat ") + Quoted(file);
}

// Where the databases are made: in memory where /dev/shm is, which makes creating tables many times
// faster than on a disk that syncs.
fs::path ScratchBase() { return fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path(); }

std::vector<std::vector<std::string>> Rows(const std::string& output, char separator) {
  std::vector<std::vector<std::string>> rows;
  size_t from = 0;
  while (from < output.size()) {
    size_t to = output.find('\n', from);
    if (to == std::string::npos) to = output.size();
    std::vector<std::string>& row = rows.emplace_back();
    for (size_t field = from;;) {
      const size_t end = std::min(output.find(separator, field), to);
      row.push_back(output.substr(field, end - field));
      if (end == to) break;
      field = end + 1;
    }
    from = to + 1;
  }
  return rows;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (size_t k = 0; k < parts.size(); ++k) text += (k ? separator : "") + parts[k];
  return text;
}

std::string Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return Joined(lines, "\n");
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

// "table|position|name|type|pk|notnull" per column, as the reader read them; the type in lower case
// where the catalog changes its letters.
std::vector<std::string> ColumnLines(const TDatabaseSchema& schema, bool lowerCaseTypes = false) {
  std::vector<std::string> lines;
  for (const TSchemaTable& table : schema.Tables)
    for (size_t k = 0; k < table.Columns.size(); ++k) {
      const TSchemaColumn& column = table.Columns[k];
      lines.push_back(Joined({table.Name, std::to_string(k + 1), column.Name, lowerCaseTypes ? LowerCase(column.Type) : column.Type,
                              column.PrimaryKey ? "1" : "0",
                              column.NotNull ? "1" : "0"},
                             "|"));
    }
  return lines;
}

// "name|table|columns|referenced table|referenced columns" per foreign key.
std::vector<std::string> KeyLines(const TDatabaseSchema& schema, bool withNames) {
  std::vector<std::string> lines;
  for (const TSchemaForeignKey& key : schema.ForeignKeys)
    lines.push_back(Joined({withNames ? key.Name : "", key.Table, Joined(key.Columns, ","), key.RefTable, Joined(key.RefColumns, ",")}, "|"));
  return lines;
}

// Foreign keys as catalogs list them, a row per column in the key's order (key, table, column,
// referenced table, referenced column), gathered into KeyLines' form.
std::vector<std::string> GatherKeys(const std::vector<std::vector<std::string>>& rows, bool withNames) {
  struct TKey {
    std::string Table, RefTable;
    std::vector<std::string> Columns, RefColumns;
  };
  std::map<std::pair<std::string, std::string>, TKey> keys;  // by table and key
  for (const auto& row : rows) {
    if (row.size() < 5) continue;
    TKey& key = keys[{row[1], row[0]}];
    key.Table = row[1];
    key.RefTable = row[3];
    key.Columns.push_back(row[2]);
    key.RefColumns.push_back(row[4]);
  }
  std::vector<std::string> lines;
  for (const auto& [id, key] : keys) {
    // SQLite gives no referenced column where the script named none (the referenced primary key).
    const bool named = std::any_of(key.RefColumns.begin(), key.RefColumns.end(), [](const auto& c) { return !c.empty(); });
    lines.push_back(Joined({withNames ? id.second : "", key.Table, Joined(key.Columns, ","), key.RefTable,
                            named ? Joined(key.RefColumns, ",") : ""},
                           "|"));
  }
  return lines;
}

void ExpectNothingSkipped(const TDatabaseSchema& schema, const std::string& what) {
  EXPECT_EQ(schema.SkippedCount, 0) << what << ": first skipped at line "
                                    << (schema.Skipped.empty() ? 0 : schema.Skipped.front().Line) << ": "
                                    << (schema.Skipped.empty() ? "" : schema.Skipped.front().Text);
}
}  // namespace

// SQLite: the schema loaded by sqlite3, its .schema read back (and the script itself), compared with
// PRAGMA table_info and foreign_key_list. SQLite leaves a key column's notnull flag unset (its legacy
// quirk), so the catalog's NOT NULL is taken as "declared so or a key column"; and it tells the types
// it knows in capitals (INTEGER, TEXT) however they were declared, so types are compared in lower case.
TEST(SqlDump, SqliteSchemaMatchesTheDatabase) {
  const struct {
    const char* package;
    const char* path;
    size_t tables;
  } cases[] = {
      {"zabbix-proxy-sqlite3", "usr/share/zabbix-proxy-sqlite3/schema.sql.gz", 170},
      {"roundcube-core", "usr/share/dbconfig-common/data/roundcube/install/sqlite3", 15},
  };
  const std::string sqlite = Program("sqlite3");
  if (sqlite.empty()) GTEST_SKIP() << "sqlite3 is not installed (scripts/setup.sh installs it)";
  for (const auto& c : cases) {
    const std::string script = SchemaFile(c.package, c.path);
    if (script.empty()) GTEST_SKIP() << c.package << " was not fetched (scripts/fetch_schemas.sh)";
    const fs::path folder = ScratchBase() / ("quorvane-sqlite-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string database = Quoted((folder / "schema.db").string());
    // Nothing is kept safe on disk meanwhile: the schema loads in a fraction of the time.
    ASSERT_EQ(Shell(CatCommand(script) + " | " + sqlite + " -batch -cmd 'PRAGMA journal_mode=OFF' -cmd 'PRAGMA synchronous=OFF' " +
                    database + " > /dev/null").Status,
              0)
        << c.package;
    const TRun dump = Shell(sqlite + " -batch " + database + " .schema");
    const std::string query = sqlite + " -batch -noheader -separator '|' " + database + " ";
    const TRun columns = Shell(query + Quoted("SELECT m.name, p.cid + 1, p.name, p.type, p.pk > 0, p.\"notnull\" OR p.pk > 0"
                                            " FROM sqlite_master m JOIN pragma_table_info(m.name) p"
                                            " WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite^_%' ESCAPE '^'"));
    const TRun keys = Shell(query + Quoted("SELECT f.id, m.name, f.\"from\", f.\"table\", f.\"to\""
                                         " FROM sqlite_master m JOIN pragma_foreign_key_list(m.name) f"
                                         " WHERE m.type = 'table' ORDER BY m.name, f.id, f.seq"));
    fs::remove_all(folder);
    ASSERT_EQ(dump.Status + columns.Status + keys.Status, 0) << c.package;

    std::vector<std::string> catalogColumns;
    for (auto& row : Rows(columns.Output, '|')) {
      if (row.size() > 3) row[3] = LowerCase(row[3]);
      catalogColumns.push_back(Joined(row, "|"));
    }
    // SQLite numbers its keys per table: the key's number with its table tells them apart.
    const std::vector<std::string> catalogKeys = GatherKeys(Rows(keys.Output, '|'), false);
    for (const auto& [what, text] : {std::pair{".schema", dump.Output}, std::pair{"the script", Shell(CatCommand(script)).Output}}) {
      const TDatabaseSchema schema = ReadSqlSchema(text);
      EXPECT_GE(schema.Tables.size(), c.tables) << c.package << ", " << what;
      ExpectNothingSkipped(schema, std::string(c.package) + ", " + what);
      EXPECT_EQ(Sorted(ColumnLines(schema, true)), Sorted(catalogColumns)) << c.package << ", " << what;
      EXPECT_EQ(Sorted(KeyLines(schema, false)), Sorted(catalogKeys)) << c.package << ", " << what;
    }
  }
}

namespace {
// A MariaDB server of its own in a temporary folder, stopped and removed when the suite ends, also
// on failure.
class MariaDbServer {
 public:
  ~MariaDbServer() { Stop(); }

  // An empty text when the server answers, else what went wrong.
  std::string Start() {
    const std::string install = Program("mariadb-install-db"), server = Program("mariadbd");
    if (install.empty() || server.empty() || Program("mariadb").empty() || Program("mysqldump").empty())
      return "skip: MariaDB is not installed (scripts/setup.sh installs it)";
    std::string pattern = (ScratchBase() / "quorvane-mariadb-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return "no temporary folder";
    folder_ = pattern;
    const std::string data = (folder_ / "data").string();
    const TRun installed = Shell(install + " --no-defaults --datadir=" + Quoted(data) +
                               " --auth-root-authentication-method=normal --user=root --skip-test-db > " +
                               Quoted((folder_ / "install.log").string()) + " 2>&1");
    if (installed.Status != 0) return "mariadb-install-db failed; see " + (folder_ / "install.log").string();
    // Durability is of no use here: nothing is flushed to disk, every table in one tablespace.
    const std::vector<std::string> arguments = {server, "--no-defaults", "--datadir=" + data, "--socket=" + Socket(),
                                                "--skip-networking", "--user=root", "--pid-file=" + (folder_ / "pid").string(),
                                                "--log-error=" + (folder_ / "error.log").string(), "--skip-log-bin",
                                                "--innodb-flush-log-at-trx-commit=0", "--innodb-doublewrite=0",
                                                "--innodb-flush-method=nosync", "--innodb-file-per-table=0"};
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // the server never outlives the test
      // What it says before its log is open goes to its log's folder, not into the test's output.
      freopen((folder_ / "start.log").c_str(), "w", stdout);
      dup2(fileno(stdout), fileno(stderr));
      std::vector<char*> argv;
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (pid_ < 0) return "fork failed";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return "mariadbd ended at its start; see " + (folder_ / "error.log").string();
      }
      if (fs::exists(Socket()) && Shell(Client() + " -e 'SELECT 1' > /dev/null 2>&1").Status == 0) return {};
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "mariadbd did not answer within 30 s";
  }

  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
          kill(pid_, SIGKILL);
          waitpid(pid_, &status, 0);
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      pid_ = -1;
    }
    if (!folder_.empty()) fs::remove_all(folder_);
    folder_.clear();
  }

  std::string Socket() const { return (folder_ / "sock").string(); }
  std::string Client() const { return Program("mariadb") + " --no-defaults -uroot -S " + Quoted(Socket()); }
  std::string Dump() const { return Program("mysqldump") + " --no-defaults -uroot -S " + Quoted(Socket()); }

 private:
  fs::path folder_;
  pid_t pid_ = -1;
};

class SqlDumpMariaDb : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new MariaDbServer;
    startError_ = server_->Start();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (startError_.starts_with("skip: ")) GTEST_SKIP() << startError_.substr(6);
    ASSERT_EQ(startError_, "");
  }

  // Loads the script into a database of its own, reads mysqldump --no-data's output and compares it
  // with information_schema: columns with their types, primary keys, NOT NULL, foreign keys.
  void Check(const std::string& package, const std::string& path, const std::string& database, size_t tables) {
    const std::string script = SchemaFile(package, path);
    if (script.empty()) GTEST_SKIP() << package << " was not fetched (scripts/fetch_schemas.sh)";
    const std::string client = server_->Client();
    ASSERT_EQ(Shell(client + " -e 'CREATE DATABASE " + database + " CHARACTER SET utf8mb4 COLLATE utf8mb4_bin'").Status, 0);
    ASSERT_EQ(Shell(CatCommand(script) + " | " + client + " " + database).Status, 0) << package;
    const TRun dump = Shell(server_->Dump() + " --no-data " + database);
    ASSERT_EQ(dump.Status, 0);
    const std::string query = client + " -B -N -e " ;
    const TRun columns = Shell(query + Quoted("SELECT c.TABLE_NAME, c.ORDINAL_POSITION, c.COLUMN_NAME, c.COLUMN_TYPE,"
                                            " k.COLUMN_NAME IS NOT NULL, c.IS_NULLABLE = 'NO' FROM information_schema.COLUMNS c"
                                            " LEFT JOIN information_schema.KEY_COLUMN_USAGE k ON k.TABLE_SCHEMA = c.TABLE_SCHEMA"
                                            " AND k.TABLE_NAME = c.TABLE_NAME AND k.COLUMN_NAME = c.COLUMN_NAME"
                                            " AND k.CONSTRAINT_NAME = 'PRIMARY' WHERE c.TABLE_SCHEMA = '" + database + "'"));
    const TRun keys = Shell(query + Quoted("SELECT CONSTRAINT_NAME, TABLE_NAME, COLUMN_NAME, REFERENCED_TABLE_NAME,"
                                         " REFERENCED_COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = '" +
                                         database + "' AND REFERENCED_TABLE_NAME IS NOT NULL ORDER BY ORDINAL_POSITION"));
    ASSERT_EQ(columns.Status + keys.Status, 0);
    std::vector<std::string> catalogColumns;
    for (const auto& row : Rows(columns.Output, '\t')) catalogColumns.push_back(Joined(row, "|"));
    const TDatabaseSchema schema = ReadSqlSchema(dump.Output);
    EXPECT_GE(schema.Tables.size(), tables);
    ExpectNothingSkipped(schema, package + ", mysqldump");
    EXPECT_EQ(Sorted(ColumnLines(schema)), Sorted(catalogColumns)) << package;
    EXPECT_EQ(Sorted(KeyLines(schema, true)), Sorted(GatherKeys(Rows(keys.Output, '\t'), true))) << package;
  }

  static MariaDbServer* server_;
  static std::string startError_;
};
MariaDbServer* SqlDumpMariaDb::server_ = nullptr;
std::string SqlDumpMariaDb::startError_;
}  // namespace

TEST_F(SqlDumpMariaDb, ZabbixSchemaMatchesTheDatabase) {
  Check("zabbix-server-mysql", "usr/share/zabbix-server-mysql/schema.sql.gz", "zabbix", 170);
}

TEST_F(SqlDumpMariaDb, RoundcubeSchemaMatchesTheDatabase) {
  Check("roundcube-core", "usr/share/dbconfig-common/data/roundcube/install/mysql", "roundcube", 15);
}
