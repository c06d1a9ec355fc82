// The name index keeps, per name, the first object by its order and the numbers a search for a
// free name found taken: both must stay true through additions, removals, renames and reordering.
#include "name_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct TItem {
  int Order;
};

bool ByOrder(const TItem* a, const TItem* b) { return a->Order < b->Order; }

TEST(NameIndex, FirstFollowsAdditionsRemovalsAndReordering) {
  TNameIndex<TItem> index(false, ByOrder);
  TItem a{5}, b{3}, c{7};
  EXPECT_EQ(index.First("Same"), nullptr);
  index.Add("Same", &a);
  EXPECT_EQ(index.First("Same"), &a);
  index.Add("Same", &b);  // earlier by order than the one known first
  EXPECT_EQ(index.First("Same"), &b);
  index.Add("Same", &c);
  EXPECT_EQ(index.First("Same"), &b);
  index.Remove("Same", &b);
  EXPECT_EQ(index.First("Same"), &a);
  a.Order = 9;  // the objects swap places among themselves
  index.OrderChanged();
  EXPECT_EQ(index.First("Same"), &c);
  index.Rename("Same", "Other", &c);
  EXPECT_EQ(index.First("Same"), &a);
  EXPECT_EQ(index.First("Other"), &c);
  EXPECT_EQ(index.First("same"), nullptr) << "an index that heeds letter case";
  index.Remove("Same", &a);
  EXPECT_FALSE(index.Contains("Same"));
}

TEST(NameIndex, FreeNamesAfterTakenRunsRemovalsAndOtherStarts) {
  TNameIndex<TItem> index(true, ByOrder);
  std::vector<TItem> items(8, TItem{0});
  for (int n = 2; n <= 6; ++n) index.Add("Entity" + std::to_string(n), &items[static_cast<size_t>(n)]);
  struct Step {
    const char* what;
    const char* prefix;
    long long start;
    const char* expected;
  };
  long long number = 0;
  EXPECT_EQ(index.FreeName("Entity", 1, &number), "Entity1");
  EXPECT_EQ(number, 1);
  for (const Step& step : {Step{"past the taken run", "Entity", 2, "Entity7"},
                           Step{"again, from the run's middle", "Entity", 4, "Entity7"},
                           Step{"beyond it", "Entity", 9, "Entity9"}, Step{"from below it", "Entity", 1, "Entity1"},
                           Step{"another prefix", "Other", 2, "Other2"}, Step{"after another prefix", "Entity", 3, "Entity7"}})
    EXPECT_EQ(index.FreeName(step.prefix, step.start), step.expected) << step.what;
  // A number inside the run found taken is freed: it is handed out again, in either letter case.
  index.Remove("ENTITY4", &items[4]);
  EXPECT_EQ(index.FreeName("Entity", 2), "Entity4");
  index.Add("entity4", &items[4]);
  EXPECT_EQ(index.FreeName("Entity", 2), "Entity7");
  index.Rename("Entity3", "Renamed", &items[3]);
  EXPECT_EQ(index.FreeName("Entity", 2), "Entity3");
  index.Clear();
  EXPECT_EQ(index.FreeName("Entity", 2), "Entity2");
}
}  // namespace
