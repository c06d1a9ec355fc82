// Reading live PostgreSQL databases from a server the test starts: a schema written for the test,
// Debian's Zabbix schema held against the information schema, a role with a password, and
// pg_dump's script of the same database read by the script reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "postgres_schema_reader.h"
#include "postgres_server.h"
#include "sql_schema_reader.h"
#include "toolkit_error.h"

namespace {
// Schemas, quoted names in mixed case, composite keys, an enum type, a dropped column, a table
// without columns, a partitioned table with a partition and a key referencing it, a view.
const char* const kShop = R"(CREATE SCHEMA sales;
CREATE TYPE sales.mood AS ENUM ('happy', 'sad');
CREATE TABLE customers (id integer PRIMARY KEY, gone int, name varchar(40) NOT NULL, feeling sales.mood);
ALTER TABLE customers DROP COLUMN gone;
CREATE TABLE empty ();
CREATE TABLE sales."Order Lines" ("Order" bigint, line smallint, price numeric(10,2), PRIMARY KEY ("Order", line));
CREATE TABLE sales.measurements (taken date NOT NULL, sensor int, customer int REFERENCES customers,
  PRIMARY KEY (sensor, taken)) PARTITION BY RANGE (taken);
CREATE TABLE sales.measurements_2024 PARTITION OF sales.measurements FOR VALUES FROM ('2024-01-01') TO ('2025-01-01');
CREATE TABLE sales.shipments (id serial PRIMARY KEY, "order" bigint, line smallint, taken date, sensor int,
  CONSTRAINT reading FOREIGN KEY (taken, sensor) REFERENCES sales.measurements (taken, sensor),
  CONSTRAINT "Ships Lines" FOREIGN KEY ("order", line) REFERENCES sales."Order Lines");
CREATE VIEW sales.big AS SELECT * FROM customers;
CREATE ROLE reader LOGIN PASSWORD 'pa ss''word';
)";

class PostgresSchema : public ::testing::Test {
 protected:
  void SetUp() override {
    server.Start();
    Load("shop", kShop);
  }
  void Load(const std::string& database, const std::string& script) {
    WriteBytes(server.Folder() / "load.sql", script);
    RunCommand(server.Client("createdb") + " " + database);
    RunCommand(server.Client("psql") + " -X -q -v ON_ERROR_STOP=1 -d " + database + " -f " + server.Folder() / "load.sql");
  }
  std::string Connection(const std::string& database) const {
    return "host=" + server.Folder().Path().string() + " port=" + std::to_string(TPostgresServer::kPort) +
           " user=postgres dbname=" + database;
  }
  // The script reader reads the dump of the database as the catalog reader reads the database, each
  // in its source's order.
  void ExpectDumpReadAlike(const std::string& database, const TDatabaseSchema& read) {
    const auto lines = [](const TDatabaseSchema& schema) {
      std::vector<std::string> sorted;
      for (std::istringstream text(DescribeSchema(schema)); sorted.emplace_back(), std::getline(text, sorted.back());) {}
      std::sort(sorted.begin(), sorted.end());
      return sorted;
    };
    const std::string dump = RunCommand(server.Client("pg_dump") + " --schema-only " + database);
    EXPECT_EQ(lines(ReadSqlSchema(dump)), lines(read));
  }
  TPostgresServer server;
};
}  // namespace

TEST_F(PostgresSchema, ReadsTheCatalogByUriOrKeywords) {
  const std::string folder = server.Folder().Path().string();
  for (const std::string& connection :
       {"postgresql:///shop?host=" + folder + "&port=" + std::to_string(TPostgresServer::kPort) + "&user=postgres",
        Connection("shop")}) {
    std::string databaseName;
    const TDatabaseSchema schema = ReadPostgresSchema(connection, nullptr, &databaseName);
    EXPECT_EQ(databaseName, "shop");
    EXPECT_EQ(DescribeSchema(schema),
              "public.customers: id integer pk nn, name character varying(40) nn, feeling sales.mood\n"
              "public.empty:\n"
              "sales.Order Lines: Order bigint pk nn, line smallint pk nn, price numeric(10,2)\n"
              "sales.measurements: taken date pk nn, sensor integer pk nn, customer integer\n"
              "sales.shipments: id integer pk nn, order bigint, line smallint, taken date, sensor integer\n"
              "sales.measurements(customer) -> public.customers(id) measurements_customer_fkey\n"
              "sales.shipments(order, line) -> sales.Order Lines(Order, line) Ships Lines\n"
              "sales.shipments(taken, sensor) -> sales.measurements(taken, sensor) reading\n");
    if (IsPostgresUri(connection)) ExpectDumpReadAlike("shop", schema);
  }
}

TEST_F(PostgresSchema, AsksForAPasswordOnceAndNeverTellsIt) {
  const struct {
    std::string connection;
    std::optional<std::string> answer;
    std::string secret;  // what no message may hold
  } cases[] = {
      {Connection("shop") + " user=reader", "pa ss'word", "pa ss'word"},
      {Connection("shop") + " user=reader", std::nullopt, "pa ss'word"},
      {Connection("shop") + " user=reader", "pa ss word", "pa ss word"},
      {"postgresql://reader:pa%ZZss@/shop", std::nullopt, "pa%ZZss"},
  };
  for (const auto& c : cases) {
    int asked = 0;
    try {
      const TDatabaseSchema schema = ReadPostgresSchema(c.connection, [&] {
        ++asked;
        return c.answer;
      });
      EXPECT_EQ(c.answer, "pa ss'word");
      EXPECT_EQ(schema.Tables.size(), 5u);
    } catch (const EToolkitError& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with("Cannot connect to the PostgreSQL database: ")) << error.what();
      EXPECT_EQ(std::string(error.what()).find(c.secret), std::string::npos) << error.what();
      EXPECT_NE(c.answer, "pa ss'word") << error.what();
    }
    EXPECT_EQ(asked, IsPostgresUri(c.connection) ? 0 : 1) << c.connection;
  }
}

// Debian's Zabbix server schema (scripts/fetch_schemas.sh), held against the information schema.
TEST_F(PostgresSchema, ReadsARealSchemaAsTheInformationSchemaHasIt) {
  const char* root = std::getenv("QUORVANE_SCHEMAS");
  const std::string zipped = (root ? std::string(root) : std::string(std::getenv("HOME")) + "/.cache/quorvane/schemas") +
                             "/zabbix-server-pgsql/usr/share/zabbix-server-pgsql/schema.sql.gz";
  if (!std::filesystem::exists(zipped)) GTEST_SKIP() << zipped << " is missing: run scripts/fetch_schemas.sh";
  Load("zabbix", RunCommand("zcat " + zipped));
  TDatabaseSchema schema = ReadPostgresSchema(Connection("zabbix"), nullptr);
  ExpectDumpReadAlike("zabbix", schema);
  EXPECT_GT(schema.Tables.size(), 150u);
  for (TSchemaTable& table : schema.Tables)
    for (TSchemaColumn& column : table.Columns) column.Type.clear();
  const std::string told = RunCommand(server.Client("psql") + " -X -q -At -d zabbix -f " +
                                      std::string(QUORVANE_TESTS_DIR) + "/database/information_schema.sql");
  EXPECT_EQ(DescribeSchema(schema), told);
}
