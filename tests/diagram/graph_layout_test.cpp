// The automatic layout on random graphs: places on the surface, overlaps, linked boxes near each
// other, the same places every time; and the split of large diagrams into pages.
#include "graph_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace {
struct TGraph {
  std::vector<TLayoutBox> Boxes;
  std::vector<TLayoutLink> Links;
};

// Boxes of the sizes of tables and relation boxes, linked at random; one link in ten names no box
// or one box twice.
TGraph RandomGraph(unsigned seed, int boxes, int links, int largest) {
  std::mt19937 random(seed);
  const auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  TGraph graph;
  for (int i = 0; i < boxes; ++i) graph.Boxes.push_back({60 + below(largest - 59), 25 + below(largest - 24)});
  for (int i = 0; i < links && boxes > 0; ++i) {
    const int from = below(boxes);
    graph.Links.push_back(below(10) > 0 ? TLayoutLink{from, below(boxes)} : TLayoutLink{from, below(2) ? from : boxes});
  }
  return graph;
}

bool Overlap(const TGraph& graph, const std::vector<TPoint>& places, size_t a, size_t b) {
  return places[a].X < places[b].X + graph.Boxes[b].Width && places[b].X < places[a].X + graph.Boxes[a].Width &&
         places[a].Y < places[b].Y + graph.Boxes[b].Height && places[b].Y < places[a].Y + graph.Boxes[a].Height;
}

double Distance(const TGraph& graph, const std::vector<TPoint>& places, int a, int b) {
  const auto centre = [&](int i, bool x) {
    return x ? places[i].X + graph.Boxes[i].Width / 2.0 : places[i].Y + graph.Boxes[i].Height / 2.0;
  };
  return std::hypot(centre(a, true) - centre(b, true), centre(a, false) - centre(b, false));
}

bool Linked(const TGraph& graph, const TLayoutLink& link) {
  const int count = static_cast<int>(graph.Boxes.size());
  return link.From != link.To && link.From >= 0 && link.To >= 0 && link.From < count && link.To < count;
}
}  // namespace

TEST(GraphLayout, RandomGraphsStayOnTheSurfaceApartAndTheSameEveryTime) {
  struct Case {
    int Boxes, Links, Largest, Surface;
    bool Fits;
  };
  const Case cases[] = {
      {0, 0, 100, 2048, true},      // nothing to place
      {1, 4, 100, 2048, true},      // one box, its links naming itself or none
      {14, 0, 200, 2048, true},     // unlinked boxes only
      {40, 45, 220, 2048, true},    // a page of tables
      {40, 160, 220, 2048, true},   // densely linked
      {120, 60, 120, 2048, true},   // many small groups
      {140, 130, 260, 2048, true},  // too much for layers: rows
      {400, 300, 300, 2048, false}, // more than the surface holds
      {20, 10, 300, 500, false},    // a small surface
  };
  for (const Case& c : cases)
    for (unsigned seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(testing::Message() << c.Boxes << " boxes, " << c.Links << " links, seed " << seed);
      const TGraph graph = RandomGraph(seed, c.Boxes, c.Links, c.Largest);
      const TLayoutResult result = LayoutBoxes(graph.Boxes, graph.Links, c.Surface);
      ASSERT_EQ(result.Places.size(), graph.Boxes.size());
      EXPECT_EQ(result.Fits, c.Fits);
      for (size_t i = 0; i < graph.Boxes.size(); ++i) {
        EXPECT_TRUE(result.Places[i].X >= 0 && result.Places[i].X + graph.Boxes[i].Width <= c.Surface &&
                    result.Places[i].Y >= 0 && result.Places[i].Y + graph.Boxes[i].Height <= c.Surface)
            << "box " << i;
        for (size_t j = i + 1; j < graph.Boxes.size() && result.Fits; ++j)
          EXPECT_FALSE(Overlap(graph, result.Places, i, j)) << i << " and " << j;
      }
      EXPECT_EQ(LayoutBoxes(graph.Boxes, graph.Links, c.Surface).Places, result.Places);
      // Linked boxes stand nearer each other than boxes do on average (a densely linked random graph
      // has no neighbourhoods to show).
      double linked = 0, all = 0;
      int links = 0, pairs = 0;
      for (const TLayoutLink& link : graph.Links)
        if (Linked(graph, link)) linked += Distance(graph, result.Places, link.From, link.To), ++links;
      for (int i = 0; i < c.Boxes; ++i)
        for (int j = i + 1; j < c.Boxes; ++j) all += Distance(graph, result.Places, i, j), ++pairs;
      if (links > 0 && c.Fits && c.Links <= 2 * c.Boxes) {
        EXPECT_LT(linked / links, 0.8 * all / pairs);
      }
    }
}

TEST(GraphLayout, PagesHoldEveryBoxOnceKeepLinkedGroupsWholeAndEachFits) {
  struct Case {
    int Boxes, Links;
    size_t Pages;  // 0: as many as it takes
  };
  for (const Case& c : {Case{0, 0, 0}, Case{30, 30, 1}, Case{300, 250, 0}, Case{2000, 2500, 0}}) {
    SCOPED_TRACE(testing::Message() << c.Boxes << " boxes");
    const TGraph graph = RandomGraph(7, c.Boxes, c.Links, 220);
    const std::vector<std::vector<int>> pages = GroupBoxesForPages(graph.Boxes, graph.Links, 2048);
    if (c.Pages > 0) {
      EXPECT_EQ(pages.size(), c.Pages);
    }
    std::vector<int> pageOf(graph.Boxes.size(), -1);
    for (size_t page = 0; page < pages.size(); ++page) {
      for (int box : pages[page]) {
        ASSERT_TRUE(box >= 0 && box < c.Boxes);
        EXPECT_EQ(pageOf[box], -1) << "box " << box << " on two pages";
        pageOf[box] = static_cast<int>(page);
      }
      TGraph part;
      for (int box : pages[page]) part.Boxes.push_back(graph.Boxes[box]);
      for (const TLayoutLink& link : graph.Links)
        if (Linked(graph, link) && pageOf[link.From] == pageOf[link.To] && pageOf[link.To] == static_cast<int>(page))
          part.Links.push_back({static_cast<int>(std::find(pages[page].begin(), pages[page].end(), link.From) - pages[page].begin()),
                                static_cast<int>(std::find(pages[page].begin(), pages[page].end(), link.To) - pages[page].begin())});
      EXPECT_TRUE(LayoutBoxes(part.Boxes, part.Links, 2048).Fits) << "page " << page;
    }
    EXPECT_EQ(std::count(pageOf.begin(), pageOf.end(), -1), 0);
    // A linked group of a tenth of a page's area shares one page; links mostly stay within a page.
    std::vector<int> group(graph.Boxes.size());
    std::iota(group.begin(), group.end(), 0);
    const auto root = [&group](int box) {
      while (group[box] != box) box = group[box] = group[group[box]];
      return box;
    };
    int within = 0, links = 0;
    for (const TLayoutLink& link : graph.Links)
      if (Linked(graph, link)) {
        group[root(link.From)] = root(link.To);
        within += pageOf[link.From] == pageOf[link.To], ++links;
      }
    std::vector<long long> area(graph.Boxes.size(), 0);
    for (int box = 0; box < c.Boxes; ++box) area[root(box)] += 1LL * graph.Boxes[box].Width * graph.Boxes[box].Height;
    for (int box = 0; box < c.Boxes; ++box)
      if (area[root(box)] <= 2048LL * 2048 / 10) {
        EXPECT_EQ(pageOf[box], pageOf[root(box)]) << "box " << box;
      }
    if (links > 0) {
      EXPECT_GT(within, links / 2);
    }
  }
}
