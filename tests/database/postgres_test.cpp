// Reading live PostgreSQL databases from Debian's server, started by each test on a cluster in a
// temporary folder and reached through a Unix socket there alone: a schema written for the test, a
// role with a password, Debian's Zabbix schema, and pg_dump's script of each read by the script reader.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "io_test_support.h"
#include "postgres_schema_reader.h"
#include "sql_schema_reader.h"
#include "text.h"
#include "toolkit_error.h"

namespace {
// Schemas, quoted names in mixed case, composite keys, an enum, a dropped column, a table without
// columns, a partitioned table with a partition and keys to it, a view; a role with a password.
const char* const kShop = R"(CREATE SCHEMA sales; CREATE TYPE sales.mood AS ENUM ('happy', 'sad');
CREATE TABLE customers (id integer PRIMARY KEY, gone int, name varchar(40) NOT NULL, feeling sales.mood);
ALTER TABLE customers DROP COLUMN gone; CREATE TABLE empty ();
CREATE TABLE sales."Order Lines" ("Order" bigint, line smallint, price numeric(10,2), PRIMARY KEY ("Order", line));
CREATE TABLE sales.measurements (taken date NOT NULL, sensor int, customer int REFERENCES customers,
  PRIMARY KEY (sensor, taken)) PARTITION BY RANGE (taken);
CREATE TABLE sales.measurements_2024 PARTITION OF sales.measurements FOR VALUES FROM ('2024-01-01') TO ('2025-01-01');
CREATE TABLE sales.shipments (id serial PRIMARY KEY, "order" bigint, line smallint, taken date, sensor int,
  CONSTRAINT reading FOREIGN KEY (taken, sensor) REFERENCES sales.measurements (taken, sensor),
  CONSTRAINT "Ships Lines" FOREIGN KEY ("order", line) REFERENCES sales."Order Lines");
CREATE VIEW sales.big AS SELECT * FROM customers; CREATE ROLE reader LOGIN PASSWORD 'pa ss''word';)";

// A command that must succeed: its output and errors, or an error telling them.
std::string MustRun(const std::string& command) {
  int status = 0;
  const std::string output = Shell(command + " 2>&1", &status);
  if (status != 0) throw std::runtime_error(command + " failed: " + output);
  return output;
}

class PostgresSchema : public ::testing::Test {
 protected:
  // The server refuses to run as root: in CI it runs as the package's user, who is given the folder.
  std::string Server(const std::string& program) const {
    return (::geteuid() == 0 ? "runuser -u postgres -- " : "") + bin + "/" + program + " -D " + folder / "data";
  }
  std::string Client(const std::string& program) const { return program + " -h " + socket + " -p 54329 -U postgres "; }
  void SetUp() override {
    const passwd* user = ::getpwnam("postgres");
    if (::geteuid() == 0) {
      ASSERT_TRUE(user && ::chown(socket.c_str(), user->pw_uid, user->pw_gid) == 0);
    }
    MustRun(Server("initdb") + " -U postgres -A trust -E UTF8 --locale=C --no-sync");
    WriteBytes(folder / "data/pg_hba.conf", "local all reader scram-sha-256\nlocal all all trust\n");
    started = true;
    MustRun(Server("pg_ctl") + " -w -l " + folder / "log" + " -o \"-k " + socket + " -p 54329 -c listen_addresses='' -c fsync=off\" start");
    Load("shop", kShop);
  }
  void TearDown() override {
    if (started) MustRun(Server("pg_ctl") + " -m immediate stop");
  }
  void Load(const std::string& database, const std::string& script) {
    WriteBytes(folder / "load.sql", script);
    MustRun(Client("createdb") + database + " && " + Client("psql") + "-X -q -v ON_ERROR_STOP=1 -f " + folder / "load.sql " + database);
  }
  // pg_dump's script of the database, read by the script reader, reads as the catalog does, each in
  // its source's order.
  void ExpectDumpReadAlike(const std::string& database, const TDatabaseSchema& read) {
    const auto lines = [](const TDatabaseSchema& schema, std::vector<std::string> sorted = {}) {
      for (std::istringstream text(DescribeSchema(schema)); std::getline(text, sorted.emplace_back());) {}
      std::sort(sorted.begin(), sorted.end());
      return sorted;
    };
    EXPECT_EQ(lines(ReadSqlSchema(MustRun(Client("pg_dump") + "--schema-only " + database))), lines(read));
  }
  TTempFolder folder;
  const std::string socket = folder.Path().string(), bin = Trim(MustRun("pg_config --bindir"));
  const std::string keywords = "host=" + socket + " port=54329 dbname=shop user=";
  bool started = false;
};
}  // namespace

TEST_F(PostgresSchema, ReadsTheCatalogByUriOrKeywords) {
  for (const std::string& connection : {"postgresql:///shop?host=" + socket + "&port=54329&user=postgres", keywords + "postgres"}) {
    std::string databaseName;
    const TDatabaseSchema schema = ReadPostgresSchema(connection, nullptr, &databaseName);
    EXPECT_EQ(databaseName, "shop");
    EXPECT_EQ(DescribeSchema(schema),
              "public.customers: id integer pk nn, name character varying(40) nn, feeling sales.mood\npublic.empty:\n"
              "sales.Order Lines: Order bigint pk nn, line smallint pk nn, price numeric(10,2)\n"
              "sales.measurements: taken date pk nn, sensor integer pk nn, customer integer\n"
              "sales.shipments: id integer pk nn, order bigint, line smallint, taken date, sensor integer\n"
              "sales.measurements(customer) -> public.customers(id) measurements_customer_fkey\n"
              "sales.shipments(order, line) -> sales.Order Lines(Order, line) Ships Lines\n"
              "sales.shipments(taken, sensor) -> sales.measurements(taken, sensor) reading\n");
    if (IsPostgresUri(connection)) ExpectDumpReadAlike("shop", schema);
  }
}

// The right password reads; none, or a wrong one, is a connection error; no message holds the
// secret; a text libpq cannot parse asks nothing.
TEST_F(PostgresSchema, AsksForAPasswordOnceAndNeverTellsIt) {
  const struct {
    std::string connection;
    std::optional<std::string> answer;
    std::string secret;
  } cases[] = {{keywords + "reader", "pa ss'word", "pa ss'word"}, {keywords + "reader", std::nullopt, "pa ss'word"},
               {keywords + "reader", "pa ss word", "pa ss word"}, {"postgresql://reader:pa%ZZss@/shop", "x", "pa%ZZss"}};
  for (const auto& c : cases) {
    int asked = 0;
    try {
      EXPECT_EQ(ReadPostgresSchema(c.connection, [&] { return ++asked, c.answer; }).Tables.size(), 5u);
      EXPECT_EQ(c.answer, "pa ss'word");
    } catch (const EToolkitError& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with("Cannot connect to the PostgreSQL database: ")) << error.what();
      EXPECT_EQ(std::string(error.what()).find(c.secret), std::string::npos) << error.what();
      EXPECT_NE(c.answer, "pa ss'word") << error.what();
    }
    EXPECT_EQ(asked, IsPostgresUri(c.connection) ? 0 : 1) << c.connection;
  }
}

// Debian's Zabbix server schema, fetched by scripts/fetch_schemas.sh.
TEST_F(PostgresSchema, ReadsARealSchemaAsItsDumpHasIt) {
  const char* root = std::getenv("QUORVANE_SCHEMAS");
  const std::string zipped = (root ? root : std::getenv("HOME") + std::string("/.cache/quorvane/schemas")) +
                             "/zabbix-server-pgsql/usr/share/zabbix-server-pgsql/schema.sql.gz";
  if (!std::filesystem::exists(zipped)) FAIL() << zipped << " is missing: scripts/setup.sh fetches it (scripts/fetch_schemas.sh)";
  const std::string script = MustRun("zcat " + zipped);
  Load("zabbix", script);
  const TDatabaseSchema schema = ReadPostgresSchema(keywords + "postgres dbname=zabbix", nullptr);
  size_t created = 0;
  for (size_t at = script.find("CREATE TABLE"); at != std::string::npos; at = script.find("CREATE TABLE", at + 1)) ++created;
  EXPECT_EQ(schema.Tables.size(), created);
  ExpectDumpReadAlike("zabbix", schema);
}

// The SQL export's PostgreSQL script of every test diagram loads without an error, and the database
// reads back as the diagram's model.
TEST_F(PostgresSchema, LoadsEveryExportedScriptAsItsModel) {
  ExpectEveryScriptReadsBackAsItsModel(TSqlDialect::PostgreSql, [&](const std::string& script, const std::string& database) {
    Load(database, ReadBytes(script));
    return ReadPostgresSchema(keywords + "postgres dbname=" + database, nullptr);
  });
}
