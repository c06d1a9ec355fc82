#include "io_test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <unordered_map>

#include "database_import.h"
#include "database_schema.h"
#include "diagram_file_reader.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"
#include "scripted_platform.h"
#include "sql_schema_reader.h"

namespace fs = std::filesystem;

TTempFolder::TTempFolder() {
  std::string pattern = (fs::temp_directory_path() / "quorvane-io-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
  fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
}

TTempFolder::~TTempFolder() {
  std::error_code error;
  // Tests make folders read-only; give them back their rights so that everything can go.
  for (auto it = fs::recursive_directory_iterator(path_, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error))
    if (it->is_directory(error)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

void WriteBytes(const std::string& fileName, std::string_view bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << fileName;
}

std::string ReadBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Crlf(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

namespace {
std::string Entries(const TEntryList& entries) {
  std::string out = "[";
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) out += '|';
    out += entries[i];
  }
  return out + "]";
}

std::string End(const TEntity* entity, const TRow* row) {
  if (!entity) return "-";
  return entity->Name() + "." + (row ? row->Name() : "-");
}

void Box(std::ostream& out, const char* kind, const TLinkBox& box, const std::string& desc) {
  out << "    " << kind << " " << box.Name() << " \"" << desc << "\" at " << box.Left() << "," << box.Top() << " "
      << End(box.SourceEntity(), box.SourceRow()) << " > " << End(box.TargetEntity(), box.TargetRow()) << " "
      << Entries(box.ActivePages()) << "\n";
}
}  // namespace

std::string DescribeDiagram(const TOOAPanel& panel) {
  std::ostringstream out;
  out << "diagram \"" << panel.DiagramName() << "\" pages " << Entries(panel.OwnPageList()) << " active \""
      << panel.ActivePageName() << "\"\n";
  for (const auto& entity : panel.Entities()) {
    out << "  entity " << entity->Name() << " \"" << entity->EntityDesc() << "\" "
        << EntityTypeName(entity->EntityType());
    if (!entity->ShowProperty()) out << " -properties";
    if (!entity->ShowMethod()) out << " -methods";
    out << " " << Entries(entity->ActivePages()) << "\n";
    for (const auto& slot : entity->PropertyList()) {
      const TProperty& row = *slot.Object;
      out << "    property " << row.Name() << " \"" << row.PropertyDesc() << "\"";
      if (row.DataType() != pdtVachar || row.DataSize() != 0 || row.DataScale() != 0)
        out << " " << DataTypeName(row.DataType()) << " " << row.DataSize() << "," << row.DataScale();
      if (!row.IsDisplay()) out << " hidden";
      if (row.PrimaryKey()) out << " key";
      if (row.NotNull()) out << " not-null";
      out << "\n";
    }
    for (const auto& slot : entity->MethodList()) {
      const TMethod& row = *slot.Object;
      out << "    method " << row.Name() << " \"" << row.MethodDesc() << "\"";
      if (row.CallMethod()) out << " calls " << row.CallMethod()->Name() << " at " << row.CallMethodLineDistance();
      out << "\n";
    }
    for (const auto& slot : entity->RelationList()) Box(out, "relation", *slot.Object, slot.Object->RelationDesc());
    for (const auto& slot : entity->EventList()) Box(out, "event", *slot.Object, slot.Object->EventDesc());
  }
  return out.str();
}

std::string DescribeShownState(const TOOAPanel& panel) {
  std::ostringstream out;
  // One letter per object: 's' shown, 'h' hidden, and for a property row 'o' when it is not
  // displayed at all.
  const auto shown = [&out](const Control& control) { out << (control.Visible() ? 's' : 'h'); };
  const auto nameOf = [](const Control* control) { return control ? control->Name() : std::string("-"); };
  for (const auto& entity : panel.Entities()) {
    out << entity->Name() << " ";
    shown(*entity);
    out << " ";
    for (const auto& slot : entity->PropertyList()) {
      shown(*slot.Object);
      if (!slot.Object->IsDisplay()) out << 'o';
    }
    out << " ";
    for (const auto& slot : entity->MethodList()) shown(*slot.Object);
    out << " ";
    for (const auto& slot : entity->RelationList()) shown(*slot.Object);
    for (const auto& slot : entity->EventList()) shown(*slot.Object);
    out << "\n";
  }
  const TEntity* selected = panel.SelectedEntity();
  out << "page " << panel.ActivePageName() << " selected " << nameOf(selected);
  if (selected) out << " " << nameOf(selected->SelectedProperty()) << " " << nameOf(selected->SelectedMethod());
  return out.str();
}

TAsOrdinaryUser::TAsOrdinaryUser() {
  if (::geteuid() != 0) return;
  constexpr uid_t kNobody = 65534;
  if (::seteuid(kNobody) != 0) throw std::runtime_error("cannot act as an ordinary user");
  switched_ = true;
}

TAsOrdinaryUser::~TAsOrdinaryUser() {
  if (switched_ && ::seteuid(0) != 0) std::abort();
}

namespace {
// Texts a user may well type: key words, markers, equals signs, non-ASCII letters, nothing.
const std::vector<std::string> kTexts{
    "Customer", "NAME of the TOP customer", "x=y", "Caf\xC3\xA9 \xE2\x82\xAC", "HIDE METHOD", "#ENTITY", "@ERDIAGRAM",
    "",         "SOURCEENTITY=Entity1",     "Order line", "DISPLAYPAGE=P @1,2,HIDE PROPERTY"};
const std::vector<std::string> kPages{"Main", "HIDE PROPERTY list", "NAME", "A@B", "Main"};

class Generator {
 public:
  Generator(TOOAPanel& panel, unsigned seed) : panel_(panel), random_(seed) {}

  // Pages with a name repeated (not in a row), entities of every kind on one or more pages with
  // hide flags, some entities removed, rows moved, and boxes with full, half and no ends. Every
  // object has an entry, so that the reader adds none.
  void Build() {
    panel_.SetDiagramName(Pick(kTexts).empty() ? "Plain" : "Generated");
    panel_.SetOwnPageList(kPages);
    panel_.SetActivePageName(kPages[Below(4)]);
    const int entityCount = 3 + Below(6);
    for (int i = 0; i < entityCount; ++i) AddGeneratedEntity();
    RemoveOneEntity();
    AddGeneratedEntity();
    const auto& entities = panel_.Entities();
    for (int i = 0; i < 2 * entityCount; ++i) {
      TEntity& owner = *entities[Below(static_cast<int>(entities.size()))];
      TEntity& other = *entities[Below(static_cast<int>(entities.size()))];
      if (Below(2) == 0)
        AddGeneratedRelation(owner, other);
      else
        AddGeneratedEvent(owner, other);
    }
    panel_.ShowActivePage();
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  const std::string& Pick(const std::vector<std::string>& texts) { return texts[Below(static_cast<int>(texts.size()))]; }

  // One entry on each of one to three distinct pages; entities may hide rows there.
  TEntryList Entries(bool withFlags) {
    std::vector<int> pages{0, 1, 2, 3};
    std::shuffle(pages.begin(), pages.end(), random_);
    TEntryList entries;
    for (int i = 0, count = 1 + Below(3); i < count; ++i) {
      std::string entry = MakeEntry(kPages[pages[i]], Below(900) - 20, Below(700));
      if (withFlags && Below(3) == 0) entry += ",HIDE PROPERTY";
      if (withFlags && Below(3) == 0) entry += ",HIDE METHOD";
      entries.push_back(entry);
    }
    return entries;
  }

  void AddGeneratedEntity() {
    TEntity& entity = panel_.CreateEntity("Unnamed", true);
    entity.SetEntityDesc(Pick(kTexts));
    entity.SetEntityType(static_cast<TEntityType>(Below(4)));
    entity.SetActivePages(Entries(true));
    for (int i = 0, count = Below(5); i < count; ++i) {
      TProperty& row = *AddProperty(entity, "p", true);
      row.SetPropertyDesc(Pick(kTexts));
      // Now and then a type, a size, a scale; each is written only when it is not the default.
      if (Below(2) == 0) row.SetDataType(static_cast<TPropertyDataType>(Below(kPropertyDataTypeCount)));
      if (Below(2) == 0) row.SetDataSize(Below(3) * 40);
      if (Below(3) == 0) row.SetDataScale(Below(3));
      if (Below(4) == 0) row.StoreIsDisplay(false);  // hidden one by one
      if (Below(4) == 0) row.SetPrimaryKey(true);
      if (Below(3) == 0) row.SetNotNull(true);
    }
    entity.RestackDisplayedProperties();
    for (int i = 0, count = Below(4); i < count; ++i) AddMethod(entity, "m", true)->SetMethodDesc(Pick(kTexts));
    // Calls to earlier and later rows, at the distances the drops give and at others a file may hold.
    for (const auto& slot : entity.MethodList()) {
      TMethod* called = AnyRow(entity.MethodList());
      if (called == slot.Object.get() || Below(2) == 0) continue;
      slot.Object->SetCallMethod(called);
      slot.Object->SetCallMethodLineDistance(Below(4) == 0 ? 15 : Below(3));
    }
    if (entity.PropertyCount() > 1) entity.PropertyByIndex(1)->MoveUp();
    if (entity.MethodCount() > 1) entity.MethodByIndex(1)->MoveUp();
  }

  void RemoveOneEntity() {
    panel_.SetSelectedEntity(panel_.Entities()[Below(static_cast<int>(panel_.Entities().size()))].get());
    panel_.RemoveSelectedEntity();
  }

  template <class Row>
  Row* AnyRow(const std::vector<TMemberSlot<Row>>& rows) {
    return rows.empty() ? nullptr : rows[Below(static_cast<int>(rows.size()))].Object.get();
  }

  // An end is left unset, set to an entity alone (its row missing), or set to a row.
  template <class Box, class Row>
  void Link(Box& box, TEntity& sourceEntity, Row* sourceRow, TEntity& targetEntity, Row* targetRow) {
    if (const int kind = Below(3); kind > 0) {
      box.SetSourceEntity(&sourceEntity);
      if (kind == 2) box.SetSourceRow(sourceRow);
    }
    if (const int kind = Below(3); kind > 0) {
      box.SetTargetEntity(&targetEntity);
      if (kind == 2) box.SetTargetRow(targetRow);
    }
  }

  void AddGeneratedRelation(TEntity& owner, TEntity& other) {
    TRelation& relation = *AddRelation(owner, "", true);
    relation.SetRelationDesc(Pick(kTexts));
    relation.SetBounds(Below(900), Below(900), relation.Width(), relation.Height());
    relation.SetActivePages(Entries(false));
    Link(relation, owner, AnyRow(owner.PropertyList()), other, AnyRow(other.PropertyList()));
  }

  void AddGeneratedEvent(TEntity& owner, TEntity& other) {
    TEntityEvent& event = *AddEntityEvent(owner, "", true);
    event.SetEventDesc(Pick(kTexts));
    event.SetBounds(Below(900), Below(900), event.Width(), event.Height());
    event.SetActivePages(Entries(false));
    TEntity& source = Below(2) == 0 ? owner : other;
    Link(event, source, AnyRow(source.MethodList()), other, AnyRow(other.MethodList()));
  }

  TOOAPanel& panel_;
  std::mt19937 random_;
};

}  // namespace

void GenerateDiagram(TOOAPanel& panel, unsigned seed) { Generator(panel, seed).Build(); }

std::string DescribeSchema(const TDatabaseSchema& schema) {
  const auto named = [](const std::string& owner, const std::string& name) { return owner.empty() ? name : owner + "." + name; };
  const auto list = [](const std::vector<std::string>& names, std::string text = "") {
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return "(" + text + ")";
  };
  std::string text;
  for (const TSchemaTable& table : schema.Tables) {
    text += named(table.Schema, table.Name) + ":";
    for (const TSchemaColumn& column : table.Columns)
      text += (&column == &table.Columns[0] ? " " : ", ") + column.Name + (column.Type.empty() ? "" : " " + column.Type) +
              (column.PrimaryKey ? " pk" : "") + (column.NotNull ? " nn" : "");
    text += "\n";
  }
  for (const TSchemaForeignKey& key : schema.ForeignKeys)
    text += named(key.Schema, key.Table) + list(key.Columns) + " -> " + named(key.RefSchema, key.RefTable) +
            list(key.RefColumns) + (key.Name.empty() ? "" : " " + key.Name) + "\n";
  if (schema.SkippedCount > 0) text += "skipped " + IntToText(schema.SkippedCount) + ":";
  for (const TSkippedStatement& skipped : schema.Skipped) text += ' ' + IntToText(skipped.Line) + " '" + skipped.Text + "'";
  return text;
}

std::string Shell(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[65536];
  for (size_t got; pipe != nullptr && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  const int ended = pipe != nullptr ? pclose(pipe) : -1;
  if (status != nullptr) *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
  return output;
}

namespace {
using TLines = std::multiset<std::string>;

std::string KindText(const TColumnKind& kind, bool key, bool notNull) {
  return std::string(" ") + DataTypeName(kind.Type) + " " + IntToText(kind.Size) + " " + IntToText(kind.Scale) +
         (key ? " pk" : "") + (notNull ? " nn" : "");
}

// What the dialect keeps of the row's kind, size and scale (see the README's table).
TColumnKind KeptKind(const TProperty& row, TSqlDialect dialect) {
  const int size = std::clamp(row.DataSize(), 0, TProperty::MaxDataSize), scale = std::max(row.DataScale(), 0);
  const bool pg = dialect == TSqlDialect::PostgreSql, fixed = size > 0 && scale <= size && (!pg || size <= 1000);
  switch (row.DataType()) {
    case pdtDouble: return {pdtDouble, fixed ? size : 0, fixed ? scale : 0};
    case pdtVachar: case pdtBinary: return {row.DataType(), pg && row.DataType() == pdtBinary ? 0 : size, 0};
    default: return {row.DataType(), 0, 0};
  }
}

// Names and links an engine finds hard: clashes in letter case, empty names, quotes, line ends and
// comment ends in names, SQLite's own prefix, names longer than PostgreSQL keeps, keys in a cycle, to
// a column that is no key, of mismatched types, of two columns, to itself, and without ends.
void BuildHardDiagram(TOOAPanel& panel) {
  const auto c = [](const std::string& name, const char* type, bool key = false, bool notNull = false) {
    return TSchemaColumn{name, type, key, key || notNull};
  };
  std::string e;
  for (int i = 0; i < 40; ++i) e += "\xC3\xA9";
  const std::string note = "note \"q\" `b` 'c'\n*/ --";
  TDatabaseSchema schema;
  schema.Tables = {{"", "Order", {c("id", "int", true), c("ID", "varchar(30)"), c("blank", "numeric(10,2)"),
                                  c("huge", "numeric(5000,2)"), c(note, "text"), c("buyer", "int"),
                                  c("flag", "boolean", false, true), c("data", "varbinary(16)"), c("float", "real")}},
                   {"", "ORDER", {c("code", "varchar(20)"), c("order", "int", true)}},
                   {"", "sqlite_customer", {c("id", "int", true), c("last order", "int"), c("code", "varchar(40)")}},
                   {"", "empty", {}}, {"", e + "1", {c(e + "1", "int"), c(e + "3", "int")}},
                   {"", e + "2", {c(e + "2", "int"), c(e + "3", "int")}},
                   {"", "Pair", {c("a", "int", true), c("b", "varchar(5)", true)}},
                   {"", "Ref", {c("x", "int"), c("y", "varchar(5)")}}};
  schema.ForeignKeys = {{"pair", "", "Ref", {"x", "y"}, "", "Pair", {"a", "b"}},
                        {"buyer", "", "Order", {"buyer"}, "", "sqlite_customer", {"id"}},
                        {"last\n*/ order", "", "sqlite_customer", {"last order"}, "", "Order", {"id"}},
                        {"code", "", "sqlite_customer", {"code"}, "", "ORDER", {"code"}},
                        {"mismatch", "", "Order", {note}, "", "sqlite_customer", {"id"}},
                        {"self", "", "ORDER", {"order"}, "", "ORDER", {"order"}}};
  ImportDatabaseSchema(panel, schema, "Page", "hard");
  TEntity &order = *panel.Entities()[0], &customer = *panel.Entities()[2];
  panel.Entities()[3]->SetEntityDesc("");
  order.PropertyList()[2].Object->SetPropertyDesc("");
  AddRelation(order, "loose", true);
  TMethod &place = *AddMethod(order, "place\n*/ DROP TABLE x; --", true), &notify = *AddMethod(customer, "notify", true);
  place.SetCallMethod(&notify);
  TEntityEvent& event = *AddEntityEvent(order, "on place */", true);
  event.SetSourceEntity(&order), event.SetSourceMethod(&place), event.SetTargetEntity(&customer), event.SetTargetMethod(&notify);
}

TLines Described(const TDatabaseSchema& schema) {
  TLines lines;
  for (const TSchemaTable& table : schema.Tables) {
    std::string line = table.Name + ":";
    for (const TSchemaColumn& column : table.Columns)
      line += " " + column.Name + KindText(ColumnKindOf(column.Type), column.PrimaryKey, column.NotNull);
    lines.insert(line);
  }
  for (const TSchemaForeignKey& key : schema.ForeignKeys)
    for (size_t i = 0; i < key.Columns.size() && i < key.RefColumns.size(); ++i)
      lines.insert(key.Table + "." + key.Columns[i] + " -> " + key.RefTable + "." + key.RefColumns[i]);
  return lines;
}

TLines Expected(const TOOAPanel& panel, TSqlDialect dialect) {
  const std::vector<TSqlTableNames> names = SqlNamesOf(panel, dialect);
  TLines lines;
  std::unordered_map<const TProperty*, std::string> columnOf;
  for (size_t t = 0; t < names.size(); ++t) {
    std::string line = names[t].Table + ":";
    for (size_t c = 0; c < names[t].Columns.size(); ++c) {
      const TProperty& row = *panel.Entities()[t]->PropertyList()[c].Object;
      columnOf[&row] = names[t].Table + "." + names[t].Columns[c];
      line += " " + names[t].Columns[c] + KindText(KeptKind(row, dialect), row.PrimaryKey(), row.NotNull() || row.PrimaryKey());
    }
    lines.insert(line + (names[t].Columns.empty() && dialect != TSqlDialect::PostgreSql ? " no_property_rows Integer 0 0" : ""));
  }
  for (const auto& entity : panel.Entities())
    for (const auto& slot : entity->RelationList()) {
      const TProperty *from = slot.Object->SourceProperty(), *to = slot.Object->TargetProperty();
      if (!from || !to) continue;
      // PostgreSQL makes keys only between columns of one type (numbers fixed or floating).
      if (dialect == TSqlDialect::Sqlite || (from->DataType() == to->DataType() && (from->DataType() != pdtDouble ||
                                                                                 (from->DataSize() > 0) == (to->DataSize() > 0))))
        lines.insert(columnOf[from] + " -> " + columnOf[to]);
    }
  return lines;
}
}  // namespace

void ExpectEveryScriptReadsBackAsItsModel(TSqlDialect dialect, const TScriptLoader& load) {
  TTempFolder folder;
  int databases = 0;
  const auto expect = [&](const std::string& name, const std::function<void(TOOAPanel&)>& build) {
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    build(panel);
    const std::string script = folder / "export.sql", database = "export" + IntToText(++databases);
    WriteBytes(script, SqlScriptOf(panel, dialect));
    try {
      EXPECT_EQ(Described(load(script, database)), Expected(panel, dialect)) << name;
    } catch (const std::exception& error) {
      ADD_FAILURE() << name << ": " << error.what();
    }
  };
  for (const char* file : {"tests/io/golden/orders_built.ERD", "tests/io/golden/orders_example.ERD", "examples/shop.ERD"})
    expect(file, [&](TOOAPanel& panel) { LoadDiagramFile(panel, QUORVANE_SOURCE_DIR "/" + std::string(file)); });
  for (const unsigned seed : {1u, 2u, 3u}) expect("generated " + IntToText(seed), [&](TOOAPanel& panel) { GenerateDiagram(panel, seed); });
  expect("hard", BuildHardDiagram);
  const char* root = std::getenv("QUORVANE_SCHEMAS");
  const std::string schemas = root ? root : std::getenv("HOME") + std::string("/.cache/quorvane/schemas");
  for (const std::string file : {"/zabbix-server-pgsql/usr/share/zabbix-server-pgsql/schema.sql.gz",
                                 "/roundcube-core/usr/share/dbconfig-common/data/roundcube/install/sqlite3"}) {
    const std::string script = Shell("gzip -dcf < '" + schemas + file + "'");
    EXPECT_FALSE(script.empty()) << schemas + file << " is missing: scripts/setup.sh fetches it (scripts/fetch_schemas.sh)";
    expect(file, [&](TOOAPanel& panel) { ImportDatabaseSchema(panel, ReadSqlSchema(script), "schema", file); });
  }
  EXPECT_EQ(databases, 9);
}
