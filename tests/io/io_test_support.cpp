#include "io_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

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
