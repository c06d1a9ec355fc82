// The layout of boxes: Graphviz's dot for each linked group's layers, the packing of the groups onto
// the surface and its fallbacks, and the split of a large diagram into pages.
#include "graph_layout.h"

#include <dlfcn.h>
#include <gvc.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>
#include <queue>
#include <string>
#include <tuple>

namespace {
// What lies between the surface's edges and the boxes.
constexpr int kMargin = 16;
// The share of a page, in percent, the boxes of one page may cover (with a little room each): the
// rest is the room between layers and groups that lets the lines be followed.
constexpr long long kPagePercent = 25;
// More boxes than this on one page no longer read, however small they are.
constexpr long long kMostBoxesPerPage = 80;
// A page of more boxes than this is no diagram to read in layers: they go straight into rows, which
// also keeps the layered layout's cost, which grows faster than the boxes, bounded.
constexpr size_t kMostLayeredBoxes = 600;
// Between boxes in rows.
constexpr int kRowGap = 12;

struct TSpacing {
  int NodeSep;  // between neighbours in a layer
  int RankSep;  // between layers
  int Gap;      // between groups of linked boxes
  int LoneGap;  // between unlinked boxes
};
constexpr TSpacing kRoomy{36, 40, 40, 20};
constexpr TSpacing kTight{16, 20, 16, 10};

// The boxes (each at least a pixel wide and high) with their links as lists of neighbours, and the
// groups the links make: each group's boxes in breadth-first order from its best-linked box, linked
// groups first, largest first, then the unlinked boxes, tallest first.
struct TGraph {
  std::vector<TLayoutBox> Boxes;
  std::vector<int> Start;  // a box's neighbours are Next[Start[box]] up to Next[Start[box + 1]]
  std::vector<int> Next;
  std::vector<std::vector<int>> Components;

  int Degree(int box) const { return Start[box + 1] - Start[box]; }
  long long Area(int box) const {
    return static_cast<long long>(Boxes[box].Width) * Boxes[box].Height;
  }
};

// The boxes reached from the first, breadth first; seen marks them with mark.
std::vector<int> Reach(const TGraph& graph, int first, std::vector<int>& seen, int mark) {
  std::vector<int> order{first};
  seen[first] = mark;
  for (size_t at = 0; at < order.size(); ++at)
    for (int i = graph.Start[order[at]]; i < graph.Start[order[at] + 1]; ++i)
      if (seen[graph.Next[i]] != mark) {
        seen[graph.Next[i]] = mark;
        order.push_back(graph.Next[i]);
      }
  return order;
}

// Links naming no box, or one box twice, link nothing; a link given twice is one.
TGraph BuildGraph(const std::vector<TLayoutBox>& boxes, const std::vector<TLayoutLink>& links) {
  TGraph graph;
  const int count = static_cast<int>(boxes.size());
  for (const TLayoutBox& box : boxes)
    graph.Boxes.push_back({std::max(box.Width, 1), std::max(box.Height, 1), box.Connector});
  std::vector<std::pair<int, int>> ends;
  for (const TLayoutLink& link : links)
    if (link.From >= 0 && link.To >= 0 && link.From < count && link.To < count && link.From != link.To) {
      ends.emplace_back(link.From, link.To);
      ends.emplace_back(link.To, link.From);
    }
  std::sort(ends.begin(), ends.end());
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  graph.Start.assign(static_cast<size_t>(count) + 1, 0);
  for (const auto& [from, to] : ends) ++graph.Start[from + 1];
  for (int box = 0; box < count; ++box) graph.Start[box + 1] += graph.Start[box];
  for (const auto& end : ends) graph.Next.push_back(end.second);

  std::vector<int> seen(static_cast<size_t>(count), -1);
  std::vector<int> ordered(static_cast<size_t>(count), -1);
  for (int box = 0; box < count; ++box) {
    if (seen[box] >= 0) continue;
    const std::vector<int> members = Reach(graph, box, seen, box);
    const int best = *std::min_element(members.begin(), members.end(), [&graph](int a, int b) {
      return std::make_tuple(graph.Boxes[a].Connector, -graph.Degree(a), a) <
             std::make_tuple(graph.Boxes[b].Connector, -graph.Degree(b), b);
    });
    graph.Components.push_back(Reach(graph, best, ordered, box));
  }
  const auto key = [&graph](const std::vector<int>& members) {
    long long area = 0;
    for (int box : members) area += graph.Area(box);
    const bool lone = members.size() == 1;
    const TLayoutBox& first = graph.Boxes[members.front()];
    return std::make_tuple(lone, -static_cast<long long>(members.size()), lone ? -first.Height : 0,
                           -area, *std::min_element(members.begin(), members.end()));
  };
  std::sort(graph.Components.begin(), graph.Components.end(),
            [&key](const auto& a, const auto& b) { return key(a) < key(b); });
  return graph;
}

// One group of linked boxes laid out: its size and each member's top-left corner within it.
struct TBlock {
  int Width = 0;
  int Height = 0;
  std::vector<TPoint> Corners;
};

// Graphviz's dot, loaded once. Its plugin is registered with the context directly, so that the
// layout works whether or not Graphviz's own list of plugins was ever written on this machine.
class TLayeredLayout {
 public:
  static TLayeredLayout& Get() {
    static TLayeredLayout layout;
    return layout;
  }

  // The members (in breadth-first order) laid out in layers running left to right or top to
  // bottom, a layer at most about across pixels long; none when dot is not available or fails.
  std::optional<TBlock> Lay(const TGraph& graph, const std::vector<int>& members, bool leftToRight,
                            const TSpacing& spacing, int across) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!context_) return std::nullopt;
    if (place_.size() < graph.Boxes.size()) {
      place_.resize(graph.Boxes.size());
      layer_.resize(graph.Boxes.size());
    }
    // The layers follow the search from the best-linked box, each box one beyond the first of its
    // links reached before it; a layer that would grow longer than across goes on in the next one,
    // so that a box linked to many does not make a row wider than the page.
    std::vector<int> filled(members.size(), 0);
    for (int box : members) place_[box] = static_cast<int>(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
      const int box = members[i];
      place_[box] = static_cast<int>(i);
      int layer = i == 0 ? 0 : static_cast<int>(members.size());
      for (int at = graph.Start[box]; at < graph.Start[box + 1]; ++at)
        if (place_[graph.Next[at]] < static_cast<int>(i))
          layer = std::min(layer, layer_[graph.Next[at]] + 1);
      const int extent = (leftToRight ? graph.Boxes[box].Height : graph.Boxes[box].Width) + spacing.NodeSep;
      layer = std::min(layer, static_cast<int>(i));  // a box is never further than its place in the order
      while (filled[layer] > 0 && filled[layer] + extent > across) ++layer;
      layer_[box] = layer;
      filled[layer] += extent;
    }
    // Graphviz reads every number by the C library's rules of the thread's locale, which the
    // window may have set to write decimals with a comma.
    const locale_t before = uselocale(numbers_);
    Agraph_t* g = agopen(Text("layout"), Agdirected, nullptr);
    agattr(g, AGRAPH, Text("rankdir"), Text(leftToRight ? "LR" : "TB"));
    agattr(g, AGRAPH, Text("nodesep"), Text(Inches(spacing.NodeSep).c_str()));
    agattr(g, AGRAPH, Text("ranksep"), Text(Inches(spacing.RankSep).c_str()));
    // The editor draws its own lines: dot need not route any.
    agattr(g, AGRAPH, Text("splines"), Text(""));
    Agsym_t* rank = agattr(g, AGRAPH, Text("rank"), Text(""));
    agattr(g, AGNODE, Text("shape"), Text("box"));
    agattr(g, AGNODE, Text("fixedsize"), Text("true"));
    agattr(g, AGNODE, Text("label"), Text(""));
    Agsym_t* width = agattr(g, AGNODE, Text("width"), Text("1"));
    Agsym_t* height = agattr(g, AGNODE, Text("height"), Text("1"));
    Agsym_t* weight = agattr(g, AGEDGE, Text("weight"), Text("1"));
    std::vector<Agnode_t*> nodes;
    std::vector<Agraph_t*> layers;
    std::vector<Agnode_t*> firstOf;
    for (size_t i = 0; i < members.size(); ++i) {
      const TLayoutBox& box = graph.Boxes[members[i]];
      nodes.push_back(agnode(g, nullptr, 1));
      agxset(nodes.back(), width, Text(Inches(box.Width).c_str()));
      agxset(nodes.back(), height, Text(Inches(box.Height).c_str()));
      const size_t layer = static_cast<size_t>(layer_[members[i]]);
      while (layers.size() <= layer) {
        layers.push_back(agsubg(g, Text(("layer" + std::to_string(layers.size())).c_str()), 1));
        agxset(layers.back(), rank, Text("same"));
        firstOf.push_back(nullptr);
      }
      agsubnode(layers[layer], nodes.back(), 1);
      if (!firstOf[layer]) firstOf[layer] = nodes.back();
    }
    // Each link runs from the earlier layer to the later one, so that dot has no cycle to break.
    // A link within a layer is left out: it orders nothing, and dot would turn it round to order
    // the layer (the Graphviz of Debian 12 loses memory at every link it turns round, for a cycle
    // or within a layer).
    for (size_t i = 0; i < members.size(); ++i)
      for (int at = graph.Start[members[i]]; at < graph.Start[members[i] + 1]; ++at) {
        const int next = graph.Next[at];
        const size_t to = static_cast<size_t>(place_[next]);
        if (to <= i || layer_[members[i]] == layer_[next]) continue;
        const bool down = layer_[members[i]] < layer_[next];
        agedge(g, nodes[down ? i : to], nodes[down ? to : i], nullptr, 1);
      }
    // Layers that no link orders (one continued in the next) are kept in order by links of no weight.
    for (size_t layer = 1; layer < layers.size(); ++layer)
      if (!agedge(g, firstOf[layer - 1], firstOf[layer], nullptr, 0))
        agxset(agedge(g, firstOf[layer - 1], firstOf[layer], nullptr, 1), weight, Text("0"));
    std::optional<TBlock> block;
    if (gvLayout(context_, g, "dot") == 0) {
      // dot's y axis points up: a box's top is the highest edge.
      std::vector<double> lefts, tops;
      for (size_t i = 0; i < members.size(); ++i) {
        const TLayoutBox& box = graph.Boxes[members[i]];
        lefts.push_back(ND_coord(nodes[i]).x - box.Width / 2.0);
        tops.push_back(-(ND_coord(nodes[i]).y + box.Height / 2.0));
      }
      const double left = *std::min_element(lefts.begin(), lefts.end());
      const double top = *std::min_element(tops.begin(), tops.end());
      block.emplace();
      for (size_t i = 0; i < members.size(); ++i) {
        const TPoint corner{static_cast<int>(std::lround(lefts[i] - left)), static_cast<int>(std::lround(tops[i] - top))};
        block->Corners.push_back(corner);
        block->Width = std::max(block->Width, corner.X + graph.Boxes[members[i]].Width);
        block->Height = std::max(block->Height, corner.Y + graph.Boxes[members[i]].Height);
      }
      gvFreeLayout(context_, g);
    }
    agclose(g);
    uselocale(before);
    return block;
  }

 private:
  TLayeredLayout() {
    numbers_ = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    void* plugin = dlopen(QUORVANE_DOT_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    void* library = plugin ? dlsym(plugin, "gvplugin_dot_layout_LTX_library") : nullptr;
    if (!numbers_ || !library) return;
    static lt_symlist_t builtins[] = {{"gvplugin_dot_layout_LTX_library", nullptr}, {nullptr, nullptr}};
    builtins[0].address = library;
    // Warnings go nowhere: the layout is checked by its result, and the user has no use for them.
    agseterr(AGMAX);
    context_ = gvContextPlugins(builtins, 0);
  }

  static char* Text(const char* text) { return const_cast<char*>(text); }
  static std::string Inches(int pixels) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, pixels / 72.0, std::chars_format::fixed, 6);
    return std::string(text, end.ptr);
  }

  std::mutex mutex_;
  locale_t numbers_ = nullptr;
  GVC_t* context_ = nullptr;
  // By box: a member's place in its group's order, and its layer.
  std::vector<int> place_;
  std::vector<int> layer_;
};

// Places rectangles on a strip of given width from the top down, each as high and then as far left
// as it can stand (the skyline of what stands already).
class TSkyline {
 public:
  explicit TSkyline(int width) : segments_{{0, width, 0}} {}

  // The top-left corner for a rectangle that must stay within right and bottom, with pad kept
  // free right of and below it; none when it does not fit.
  std::optional<TPoint> Place(int width, int height, int pad, int right, int bottom) {
    size_t best = segments_.size();
    int bestY = bottom;
    for (size_t i = 0; i < segments_.size() && segments_[i].X + width <= right; ++i) {
      int y = 0;
      for (size_t j = i; j < segments_.size() && segments_[j].X < segments_[i].X + width + pad; ++j)
        y = std::max(y, segments_[j].Y);
      if (y + height <= bottom && y < bestY) {
        bestY = y;
        best = i;
      }
    }
    if (best == segments_.size()) return std::nullopt;
    const int x = segments_[best].X;
    Raise(x, width + pad, bestY + height + pad);
    return TPoint{x, bestY};
  }

 private:
  struct TSegment {
    int X;
    int Width;
    int Y;
  };

  // What stands from x over width pixels now reaches down to y.
  void Raise(int x, int width, int y) {
    const int end = x + width;
    std::vector<TSegment> raised;
    bool added = false;
    const auto add = [&] {
      if (!added) raised.push_back({x, width, y});
      added = true;
    };
    for (const TSegment& s : segments_) {
      if (s.X >= end) add();
      if (s.X + s.Width <= x || s.X >= end) {
        raised.push_back(s);
        continue;
      }
      if (s.X < x) raised.push_back({s.X, x - s.X, s.Y});
      add();
      if (s.X + s.Width > end) raised.push_back({end, s.X + s.Width - end, s.Y});
    }
    add();
    // Neighbours of one height are one segment, which keeps the search short.
    segments_.clear();
    for (const TSegment& s : raised) {
      if (!segments_.empty() && segments_.back().Y == s.Y)
        segments_.back().Width += s.Width;
      else
        segments_.push_back(s);
    }
  }

  std::vector<TSegment> segments_;
};

// The members packed in reading order into a strip width wide, gap apart, each as high as it can
// stand; none when they run past bottom.
std::optional<TBlock> PackedBlock(const TGraph& graph, const std::vector<int>& members, int width, int bottom, int gap) {
  TSkyline skyline(width + gap);
  TBlock block;
  for (int box : members) {
    const TLayoutBox& size = graph.Boxes[box];
    const std::optional<TPoint> corner = skyline.Place(size.Width, size.Height, gap, width, bottom);
    if (!corner) return std::nullopt;
    block.Corners.push_back(*corner);
    block.Width = std::max(block.Width, corner->X + size.Width);
    block.Height = std::max(block.Height, corner->Y + size.Height);
  }
  return block;
}

// Each group of linked boxes laid out in layers, in the direction that fits it best (one too large
// for layers packed in reading order instead), the groups packed largest first and the unlinked
// boxes aside; false when they do not all fit within inner pixels.
bool PlaceInLayers(const TGraph& graph, int inner, const TSpacing& spacing, std::vector<TPoint>& places) {
  TLayeredLayout& layered = TLayeredLayout::Get();
  TSkyline skyline(inner + spacing.Gap);
  for (const std::vector<int>& members : graph.Components) {
    std::optional<TBlock> block;
    if (members.size() == 1) {
      block = TBlock{graph.Boxes[members[0]].Width, graph.Boxes[members[0]].Height, {{0, 0}}};
    } else {
      // Layers as roomy as asked, else tight ones. The layers run left to right where they fit: the
      // editor draws a line from the side of a box to the side of a row, which reads best between
      // boxes side by side. Then the squarer block, which packs better, then the smaller.
      const auto key = [inner](const TBlock& b, bool leftToRight) {
        return std::make_tuple(b.Width > inner || b.Height > inner, !leftToRight, std::max(b.Width, b.Height),
                               static_cast<long long>(b.Width) * b.Height);
      };
      bool blockLeftToRight = false;
      long long across = 0;
      for (int box : members) across += std::max(graph.Boxes[box].Width, graph.Boxes[box].Height) + spacing.NodeSep;
      const std::vector<int> tenths = across <= inner * 6 / 10 ? std::vector<int>{10} : std::vector<int>{10, 8, 6};
      for (const TSpacing* tried : {&spacing, &kTight}) {
        for (const bool leftToRight : {false, true})
          for (const int tenth : tenths) {
            std::optional<TBlock> way = layered.Lay(graph, members, leftToRight, *tried, inner * tenth / 10);
            if (!way) return false;
            if (!block || key(*way, leftToRight) < key(*block, blockLeftToRight)) {
              block = std::move(way);
              blockLeftToRight = leftToRight;
            }
          }
        if (block->Width <= inner && block->Height <= inner) break;
      }
      if (block->Width > inner || block->Height > inner) {
        long long area = 0;
        int widest = 0;
        for (int box : members) {
          area += static_cast<long long>(graph.Boxes[box].Width + spacing.NodeSep) * (graph.Boxes[box].Height + spacing.NodeSep);
          widest = std::max(widest, graph.Boxes[box].Width);
        }
        const int width = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(area)) * 1.2), widest, inner);
        block = PackedBlock(graph, members, width, inner, spacing.NodeSep);
        if (!block) return false;
      }
    }
    const std::optional<TPoint> corner =
        skyline.Place(block->Width, block->Height, members.size() == 1 ? spacing.LoneGap : spacing.Gap, inner, inner);
    if (!corner) return false;
    for (size_t i = 0; i < members.size(); ++i)
      places[members[i]] = {kMargin + corner->X + block->Corners[i].X, kMargin + corner->Y + block->Corners[i].Y};
  }
  return true;
}

// Every box packed in reading order, group after group, gap apart; false when they run past inner
// pixels.
bool PlaceInRows(const TGraph& graph, int inner, int gap, std::vector<TPoint>& places) {
  std::vector<int> order;
  for (const std::vector<int>& members : graph.Components) order.insert(order.end(), members.begin(), members.end());
  const std::optional<TBlock> block = PackedBlock(graph, order, inner, inner, gap);
  if (!block) return false;
  for (size_t i = 0; i < order.size(); ++i) places[order[i]] = {kMargin + block->Corners[i].X, kMargin + block->Corners[i].Y};
  return true;
}

// The boxes in rows in reading order without a gap; rows that would run past the bottom start again
// from the top a little further in, so that what overlaps still shows an edge. Every box within the
// surface.
void PlaceAnyhow(const TGraph& graph, int surfaceSize, std::vector<TPoint>& places) {
  const int step = 16;
  int x = 0, y = 0, rowHeight = 0, round = 0;
  for (const std::vector<int>& members : graph.Components)
    for (int box : members) {
      const TLayoutBox& size = graph.Boxes[box];
      if (x > 0 && x + size.Width > surfaceSize) {
        y += rowHeight;
        x = round * step % std::max(1, surfaceSize / 4);
        rowHeight = 0;
      }
      if (y > 0 && y + size.Height > surfaceSize) {
        ++round;
        x = y = round * step % std::max(1, surfaceSize / 4);
      }
      places[box] = {std::clamp(x, 0, std::max(0, surfaceSize - size.Width)),
                     std::clamp(y, 0, std::max(0, surfaceSize - size.Height))};
      x += size.Width;
      rowHeight = std::max(rowHeight, size.Height);
    }
}

// The layout of LayoutBoxes on a graph built already.
TLayoutResult Lay(const TGraph& graph, int surfaceSize) {
  TLayoutResult result;
  result.Places.assign(graph.Boxes.size(), {});
  if (graph.Boxes.empty()) return result;
  const int inner = surfaceSize - 2 * kMargin;
  long long area = 0;
  for (size_t box = 0; box < graph.Boxes.size(); ++box) area += graph.Area(static_cast<int>(box));
  if (inner > 0) {
    // Layers take room between them: boxes covering most of the page will not fit in layers.
    const bool layered = graph.Boxes.size() <= kMostLayeredBoxes && area * 4 <= 3LL * inner * inner;
    if (layered && PlaceInLayers(graph, inner, kRoomy, result.Places)) return result;
    if (layered && PlaceInLayers(graph, inner, kTight, result.Places)) return result;
    if (PlaceInRows(graph, inner, kRowGap, result.Places)) return result;
    if (PlaceInRows(graph, inner, 2, result.Places)) return result;
  }
  PlaceAnyhow(graph, std::max(surfaceSize, 0), result.Places);
  result.Fits = false;
  return result;
}

// The boxes of a group with the links between them, numbered within the group.
TGraph GraphOf(const std::vector<int>& group, const std::vector<TLayoutBox>& boxes, const TGraph& whole,
               std::vector<int>& local) {
  std::vector<TLayoutBox> sizes;
  for (size_t i = 0; i < group.size(); ++i) {
    local[group[i]] = static_cast<int>(i);
    sizes.push_back(boxes[group[i]]);
  }
  std::vector<TLayoutLink> links;
  for (int box : group)
    for (int at = whole.Start[box]; at < whole.Start[box + 1]; ++at)
      if (local[whole.Next[at]] >= 0) links.push_back({local[box], local[whole.Next[at]]});
  for (int box : group) local[box] = -1;
  return BuildGraph(sizes, links);
}
}  // namespace

TLayoutResult LayoutBoxes(const std::vector<TLayoutBox>& boxes, const std::vector<TLayoutLink>& links,
                          int surfaceSize) {
  return Lay(BuildGraph(boxes, links), surfaceSize);
}

std::vector<std::vector<int>> GroupBoxesForPages(const std::vector<TLayoutBox>& boxes,
                                                 const std::vector<TLayoutLink>& links, int surfaceSize) {
  const TGraph graph = BuildGraph(boxes, links);
  const long long inner = std::max(surfaceSize - 2 * kMargin, 1);
  const long long budget = inner * inner * kPagePercent / 100;
  // What a box takes of a page: itself with a row's gap around it, and at least its share of the
  // boxes a page may hold.
  const auto weight = [&graph, budget](int box) {
    const TLayoutBox& size = graph.Boxes[box];
    return std::max(static_cast<long long>(size.Width + kRowGap) * (size.Height + kRowGap),
                    budget / kMostBoxesPerPage);
  };
  std::vector<std::vector<int>> groups;
  std::vector<long long> room;
  std::vector<int> groupOf(graph.Boxes.size(), -1);
  const auto join = [&](int box, int group) {
    groupOf[box] = group;
    groups[group].push_back(box);
    room[group] -= weight(box);
  };
  const auto open = [&] {
    groups.emplace_back();
    room.push_back(budget);
    return static_cast<int>(groups.size()) - 1;
  };

  // A group of linked boxes too large for a page is split into pages grown each from its
  // best-linked box left, taking next the box with most links into the page (the first reached of
  // those), so that linked boxes share a page as often as they can.
  std::vector<int> linksIn(graph.Boxes.size(), 0), linksFor(graph.Boxes.size(), -1);
  using TCandidate = std::tuple<int, long long, int>;  // links into the page, -order reached, box
  std::vector<const std::vector<int>*> whole;
  for (const std::vector<int>& members : graph.Components) {
    long long total = 0;
    for (int box : members) total += weight(box);
    if (total <= budget) {
      whole.push_back(&members);
      continue;
    }
    std::vector<int> seeds = members;
    std::sort(seeds.begin(), seeds.end(), [&graph](int a, int b) {
      return std::make_pair(-graph.Degree(a), a) < std::make_pair(-graph.Degree(b), b);
    });
    size_t seed = 0;
    long long reached = 0;
    while (true) {
      while (seed < seeds.size() && groupOf[seeds[seed]] >= 0) ++seed;
      if (seed == seeds.size()) break;
      const int page = open();
      // A page takes further seeds of the group while they fit, once those reached are taken.
      while (seed < seeds.size() && (groups[page].empty() || weight(seeds[seed]) <= room[page])) {
        const int first = seeds[seed];
        std::priority_queue<TCandidate> next;
        next.emplace(linksFor[first] == page ? linksIn[first] : 0, -reached++, first);
        while (!next.empty()) {
          const auto [count, order, box] = next.top();
          next.pop();
          if (groupOf[box] >= 0 || count != (linksFor[box] == page ? linksIn[box] : 0)) continue;
          if (!groups[page].empty() && weight(box) > room[page]) continue;
          join(box, page);
          for (int at = graph.Start[box]; at < graph.Start[box + 1]; ++at) {
            const int neighbour = graph.Next[at];
            if (groupOf[neighbour] >= 0) continue;
            if (linksFor[neighbour] != page) {
              linksFor[neighbour] = page;
              linksIn[neighbour] = 0;
            }
            next.emplace(++linksIn[neighbour], -reached++, neighbour);
          }
        }
        while (seed < seeds.size() && groupOf[seeds[seed]] >= 0) ++seed;
      }
    }
  }

  // Whole groups, largest first, each onto the page it fills best, so that the pages stay few.
  std::vector<std::pair<long long, const std::vector<int>*>> sized;
  for (const std::vector<int>* members : whole) {
    long long total = 0;
    for (int box : *members) total += weight(box);
    sized.emplace_back(total, members);
  }
  std::stable_sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::multimap<long long, int> roomLeft;
  for (size_t page = 0; page < groups.size(); ++page) roomLeft.emplace(room[page], static_cast<int>(page));
  for (const auto& [total, members] : sized) {
    const auto best = roomLeft.lower_bound(total);
    int page;
    if (best == roomLeft.end()) {
      page = open();
    } else {
      page = best->second;
      roomLeft.erase(best);
    }
    for (int box : *members) join(box, page);
    roomLeft.emplace(room[page], page);
  }

  // A page whose boxes will not even stand in rows (boxes of shapes the share does not foresee)
  // is halved until they do.
  std::vector<std::vector<int>> pages;
  std::vector<int> local(graph.Boxes.size(), -1);
  std::vector<TPoint> places;
  while (!groups.empty()) {
    std::vector<int> group = std::move(groups.back());
    groups.pop_back();
    std::sort(group.begin(), group.end());
    const TGraph part = GraphOf(group, graph.Boxes, graph, local);
    places.assign(group.size(), {});
    if (group.size() > 1 && !PlaceInRows(part, static_cast<int>(inner), kRowGap, places)) {
      const auto half = group.begin() + static_cast<std::ptrdiff_t>(group.size() / 2);
      groups.emplace_back(group.begin(), half);
      groups.emplace_back(half, group.end());
    } else {
      pages.push_back(std::move(group));
    }
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}
