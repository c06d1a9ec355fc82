// Importing databases as the command line does (read the script, make the diagram, lay out every
// page, write the diagram file), on a real schema of about 170 tables (Debian's Zabbix server schema,
// fetched by scripts/fetch_schemas.sh) and on generated scripts of 500 and 2,000 tables.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "database_import.h"
#include "diagram_file_writer.h"
#include "generated_diagram.h"
#include "ooa_panel.h"
#include "sql_schema_reader.h"

namespace {
std::string ZabbixSchema() {
  static const std::string text = [] {
    const char* home = std::getenv("HOME");
    const std::string file = std::string(home ? home : "") +
                             "/.cache/quorvane/schemas/zabbix-server-pgsql/usr/share/zabbix-server-pgsql/schema.sql.gz";
    std::string script;
    if (!std::filesystem::exists(file)) return script;
    FILE* pipe = ::popen(("gzip -dc '" + file + "'").c_str(), "r");
    if (!pipe) return script;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) script.append(buffer, n);
    ::pclose(pipe);
    return script;
  }();
  return text;
}

// Tables of eight columns of the common kinds, each but every tenth referencing one or two tables
// made before it: groups of linked tables, as real schemas have, in PostgreSQL's words.
std::string GeneratedScript(int tables) {
  std::string script = "SET client_encoding = 'UTF8';\n";
  for (int t = 0; t < tables; ++t) {
    const std::string name = "table_" + std::to_string(t);
    script += "CREATE TABLE public." + name +
              " (\n    id integer NOT NULL,\n    name character varying(64) NOT NULL,\n    amount numeric(12,2),\n"
              "    created timestamp without time zone,\n    active boolean DEFAULT true,\n    data bytea,\n"
              "    parent_id integer,\n    other_id integer,\n    CONSTRAINT " + name + "_pkey PRIMARY KEY (id)\n);\n";
    if (t % 10 != 0)
      script += "ALTER TABLE ONLY public." + name + " ADD CONSTRAINT " + name + "_parent_fkey FOREIGN KEY (parent_id) "
                "REFERENCES public.table_" + std::to_string(t - 1 - t % 3) + "(id);\n";
    if (t % 10 > 5)
      script += "ALTER TABLE ONLY public." + name + " ADD CONSTRAINT " + name + "_other_fkey FOREIGN KEY (other_id) "
                "REFERENCES public.table_" + std::to_string(t - 5) + "(id);\n";
  }
  return script;
}

void ImportScript(benchmark::State& state, const std::string& script) {
  QuietPlatform platform;
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto panel = std::make_unique<TOOAPanel>(platform);
    panel->SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    state.ResumeTiming();
    ImportDatabaseSchema(*panel, ReadSqlSchema(script), "schema", "\"schema.sql\"");
    const std::string text = DiagramFileText(*panel);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
    state.PauseTiming();
    panel.reset();
    state.ResumeTiming();
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}

void BM_ImportZabbixSchema(benchmark::State& state) {
  const std::string script = ZabbixSchema();
  if (script.empty()) {
    state.SkipWithError("the Zabbix schema is not fetched (scripts/fetch_schemas.sh)");
    return;
  }
  ImportScript(state, script);
}

void BM_ImportGeneratedScript(benchmark::State& state) {
  ImportScript(state, GeneratedScript(static_cast<int>(state.range(0))));
}

BENCHMARK(BM_ImportZabbixSchema)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportGeneratedScript)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
