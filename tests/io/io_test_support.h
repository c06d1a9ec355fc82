// What the file tests share: temporary folders, whole-file bytes, a compact description of a
// diagram to compare against, and running a step as an ordinary user.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "database_schema.h"
#include "sql_export.h"

class TOOAPanel;

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::string& fileName, std::string_view bytes);
std::string ReadBytes(const std::string& fileName);
// The text with every "\n" turned into CR LF, as the writer ends lines.
std::string Crlf(std::string_view text);

// A random diagram of every kind of object and value a file holds, the same for the same seed:
// pages with a name repeated (not in a row), entities of every kind on one or more pages with hide
// flags, rows with types, sizes, scales, calls and rows hidden one by one, some entities removed, rows moved, and boxes with
// full, half and no ends. Every object has an entry, so that the reader adds none.
void GenerateDiagram(TOOAPanel& panel, unsigned seed);

// One line for the diagram (name, pages, active page), then per entity one line (name, description,
// kind, hidden rows, entries) with its rows (a property's data type, size and scale when they are
// not the defaults, whether it is hidden one by one, a method's call and its distance) and its relation and event boxes (name,
// description, position, ends as entity.row, entries) indented below it.
std::string DescribeDiagram(const TOOAPanel& panel);

// A line per table ("schema.table: column type pk nn, ..."), then per foreign key
// ("schema.table(a, b) -> schema.ref(c, d) name"), the schema left out where the source names none;
// then "skipped N:" and each statement kept as skipped, by line and words.
std::string DescribeSchema(const TDatabaseSchema& schema);

// The standard output of a shell command; its exit status where asked (-1 when it did not exit).
std::string Shell(const std::string& command, int* status = nullptr);

// What an undo must give back beyond the file: whether every entity, row and box is shown (a property
// row also whether it is displayed), the active page and the selection the next command acts on. Places are in the file; sizes a page showing works out again.
std::string DescribeShownState(const TOOAPanel& panel);

// Permission checks do not stop the superuser. While this lives, the process acts as an ordinary
// user for the file system when it runs as the superuser; otherwise it changes nothing.
class TAsOrdinaryUser {
 public:
  TAsOrdinaryUser();
  ~TAsOrdinaryUser();
  TAsOrdinaryUser(const TAsOrdinaryUser&) = delete;
  TAsOrdinaryUser& operator=(const TAsOrdinaryUser&) = delete;

 private:
  bool switched_ = false;
};

// Loads the dialect's script of every test diagram (golden files, example, generated, a hard one, real
// schemas imported) through load (a new database of the name, read back; throws what the engine said)
// and expects each table's columns and each foreign key's column pairs as the diagram has them.
using TScriptLoader = std::function<TDatabaseSchema(const std::string& scriptFile, const std::string& database)>;
void ExpectEveryScriptReadsBackAsItsModel(TSqlDialect dialect, const TScriptLoader& load);
