// The SQLite reader on any bytes taken as a database file: it reads the file or raises the toolkit's
// error, and every foreign key it reads belongs to a table read, with either no referenced column
// (the primary key) or one for each of its columns.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "fuzz_check.h"
#include "sqlite_schema_reader.h"
#include "toolkit_error.h"

namespace {
// One scratch file for the whole run, removed at its end.
struct TScratchFile {
  TScratchFile() {
    char pattern[] = "/tmp/quorvane-sqlite-fuzz-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) std::abort();
    ::close(fd);
    name = pattern;
  }
  ~TScratchFile() { std::remove(name.c_str()); }
  std::string name;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TScratchFile file;
  std::ofstream(file.name, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                     static_cast<std::streamsize>(size));
  try {
    const TDatabaseSchema schema = ReadSqliteSchema(file.name);
    for (const TSchemaForeignKey& key : schema.ForeignKeys) {
      FUZZ_CHECK(!key.Columns.empty());
      FUZZ_CHECK(key.RefColumns.empty() || key.RefColumns.size() == key.Columns.size());
      bool owned = false;
      for (const TSchemaTable& table : schema.Tables) owned = owned || table.Name == key.Table;
      FUZZ_CHECK(owned);
    }
  } catch (const EToolkitError&) {
  }
  return 0;
}
