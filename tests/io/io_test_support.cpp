#include "io_test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "database_schema.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"

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

