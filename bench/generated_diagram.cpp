#include "generated_diagram.h"

#include <unistd.h>

#include <random>

#include "diagram_file_writer.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"
#include "text.h"

const std::vector<std::string> kGeneratedPages{"Overview", "Orders", "Stock"};

namespace {
// The two pages of the three an object stands on: all but the one left out.
std::vector<std::string> TwoPages(int leftOut) {
  std::vector<std::string> pages;
  for (int k = 0; k < 3; ++k)
    if (k != leftOut) pages.push_back(kGeneratedPages[static_cast<size_t>(k)]);
  return pages;
}
}  // namespace

void BuildGeneratedDiagram(TOOAPanel& panel, int entityCount) {
  std::mt19937 random(20240611);
  auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  panel.SetDiagramName("Generated");
  panel.SetOwnPageList(kGeneratedPages);
  panel.SetActivePageName(kGeneratedPages[0]);
  // Entities are created hidden and placed by their entries directly, and shown once at the end, so
  // that building costs what the diagram holds. Each page has its own grid of 10 by 12 places, so a
  // page of many entities stacks them as a crowded diagram does.
  for (int i = 0; i < entityCount; ++i) {
    TEntity& entity = panel.CreateEntity("Entity number " + IntToText(i), true);
    entity.SetEntityType(static_cast<TEntityType>(i % 4));
    TEntryList entries;
    const std::vector<std::string> pages = TwoPages(below(3));
    for (size_t k = 0; k < pages.size(); ++k) {
      const int cell = (i + 37 * static_cast<int>(k)) % 120;
      entries.push_back(MakeEntry(pages[k], 40 + 180 * (cell % 10), 30 + 150 * (cell / 10)));
    }
    if (below(4) == 0) entries.back() += HideFlagsText({false, true});
    entity.SetActivePages(entries);
    for (int p = 1; p <= 4; ++p) AddProperty(entity, "Column " + IntToText(p), true);
    for (int m = 1; m <= 2; ++m) AddMethod(entity, "Check " + IntToText(m), true);
  }
  auto entityAt = [&panel](int index) -> TEntity& { return *panel.Entities()[static_cast<size_t>(index)]; };
  auto boxEntries = [&below] {
    TEntryList entries;
    for (const std::string& page : TwoPages(below(3)))
      entries.push_back(MakeEntry(page, 200 + below(1500), 100 + below(1500)));
    return entries;
  };
  for (int i = 0; i < entityCount / 2; ++i) {
    TEntity& owner = entityAt(below(entityCount));
    TEntity& target = entityAt(below(entityCount));
    TRelation& relation = *AddRelation(owner, "", true);
    relation.SetSourceEntity(&owner);
    relation.SetSourceProperty(owner.PropertyByIndex(below(4)));
    relation.SetTargetEntity(&target);
    relation.SetTargetProperty(target.PropertyByIndex(below(4)));
    relation.SetActivePages(boxEntries());
  }
  for (int i = 0; i < entityCount / 4; ++i) {
    TEntity& owner = entityAt(below(entityCount));
    TEntity& target = entityAt(below(entityCount));
    TEntityEvent& event = *AddEntityEvent(owner, "", true);
    event.SetSourceEntity(&owner);
    event.SetSourceMethod(owner.MethodByIndex(below(2)));
    event.SetTargetEntity(&target);
    event.SetTargetMethod(target.MethodByIndex(below(2)));
    event.SetActivePages(boxEntries());
  }
  panel.ShowActivePage();
}

std::string WriteGeneratedDiagram(int entityCount, const std::string& fileName) {
  QuietPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  BuildGeneratedDiagram(panel, entityCount);
  SaveDiagramFile(panel, fileName);
  return DiagramFileName(fileName);
}

std::filesystem::path BenchFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("quorvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}
