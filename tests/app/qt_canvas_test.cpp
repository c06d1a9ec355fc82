// The Qt canvas on pictures: which pixels each drawing call sets, the exact colours, and the font.
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "qt_canvas.h"

namespace {
constexpr TColor kBackground = 0x123456;
constexpr TColor kPen = 0x0000FF;
constexpr TColor kBrush = 0x8BE4E0;

// A picture in the background colour with the drawing done on it through a fresh canvas.
QImage draw(int width, int height, const std::function<void(QtCanvas&)>& drawing) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(toQColor(kBackground));
  QPainter painter(&image);
  QtCanvas canvas(painter);
  canvas.SetPenColor(kPen);
  canvas.SetBrushColor(kBrush);
  drawing(canvas);
  painter.end();
  return image;
}

TColor colourAt(const QImage& image, int x, int y) {
  const QRgb rgb = image.pixel(x, y);
  return MakeColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

using Pixels = std::set<std::pair<int, int>>;

Pixels touched(const QImage& image) {
  Pixels pixels;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (colourAt(image, x, y) != kBackground) pixels.insert({x, y});
  return pixels;
}

TEST(QtCanvasTest, RectangleFillsAndOutlinesExactlyItsBox) {
  struct Case {
    int x1, y1, x2, y2, penWidth;
    int left, top, right, bottom;  // covered pixels, inclusive; right < left for none
  };
  const std::vector<Case> cases = {
      {2, 2, 6, 5, 1, 2, 2, 5, 4},  {6, 5, 2, 2, 1, 2, 2, 5, 4},    // corners either way round
      {1, 1, 9, 8, 2, 1, 1, 8, 7},  {4, 1, 5, 6, 1, 4, 1, 4, 5},    // wide pen inside; one pixel wide
      {3, 3, 3, 6, 1, 0, 0, -1, -1},                                // no width: nothing
  };
  for (const Case& c : cases) {
    const QImage image = draw(12, 10, [&](QtCanvas& canvas) {
      canvas.SetPenWidth(c.penWidth);
      canvas.Rectangle(c.x1, c.y1, c.x2, c.y2);
    });
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const bool inBox = x >= c.left && x <= c.right && y >= c.top && y <= c.bottom;
        const bool onEdge = inBox && (x < c.left + c.penWidth || x > c.right - c.penWidth ||
                                      y < c.top + c.penWidth || y > c.bottom - c.penWidth);
        EXPECT_EQ(colourAt(image, x, y), !inBox ? kBackground : onEdge ? kPen : kBrush)
            << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2 << " at " << x << "," << y;
      }
  }
}

TEST(QtCanvasTest, PolylineSetsEveryPointButTheLast) {
  const std::vector<std::pair<std::vector<TPoint>, Pixels>> cases = {
      {{{0, 0}, {5, 0}}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {{{5, 1}, {2, 1}}, {{5, 1}, {4, 1}, {3, 1}}},
      {{{1, 4}, {1, 1}}, {{1, 4}, {1, 3}, {1, 2}}},
      {{{0, 0}, {3, 3}}, {{0, 0}, {1, 1}, {2, 2}}},
      {{{0, 0}, {1, 4}}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
      {{{0, 0}, {3, 0}, {3, 2}}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}}},  // the joint once
      {{{2, 2}}, {}},
      {{{2, 2}, {2, 2}}, {}},
  };
  for (const auto& [points, expected] : cases) {
    const QImage image = draw(8, 8, [&](QtCanvas& canvas) { canvas.Polyline(points); });
    EXPECT_EQ(touched(image), expected) << points.front().X << "," << points.front().Y << " +" << points.size();
  }
}

TEST(QtCanvasTest, OriginMovesEveryDrawing) {
  const QImage image = draw(10, 10, [](QtCanvas& canvas) {
    canvas.setOrigin(QPoint(3, 4));
    canvas.Rectangle(0, 0, 2, 2);
    canvas.MoveTo(0, 3);
    canvas.LineTo(2, 3);
  });
  EXPECT_EQ(touched(image), Pixels({{3, 4}, {4, 4}, {3, 5}, {4, 5}, {3, 7}, {4, 7}}));
}

TEST(QtCanvasTest, ColoursComeOutExactly) {
  const std::vector<std::tuple<TColor, int, int, int>> cases = {
      {0x8BE4E0, 224, 228, 139}, {clrGray, 128, 128, 128}, {clrRed, 255, 0, 0}, {0x010203, 3, 2, 1}};
  for (const auto& [colour, red, green, blue] : cases) {
    const QImage image = draw(4, 4, [&](QtCanvas& canvas) {
      canvas.SetPenColor(colour);
      canvas.SetBrushColor(colour);
      canvas.Rectangle(0, 0, 3, 3);
    });
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, qRgb(red, green, blue) & 0xFFFFFF) << std::hex << colour;
  }
}

TEST(QtCanvasTest, RoundRectAndPolygonKeepToTheirOutline) {
  const QImage round = draw(30, 20, [](QtCanvas& canvas) { canvas.RoundRect(2, 2, 22, 12, 8, 8); });
  const std::vector<std::tuple<int, int, TColor>> pixels = {
      {2, 2, kBackground}, {12, 2, kPen},       {12, 11, kPen}, {12, 12, kBackground},
      {21, 7, kPen},       {22, 7, kBackground}, {2, 7, kPen},  {12, 7, kBrush},
  };
  for (const auto& [x, y, expected] : pixels) EXPECT_EQ(colourAt(round, x, y), expected) << x << "," << y;
  // Without rounding it is the rectangle, pixel for pixel.
  EXPECT_EQ(draw(30, 20, [](QtCanvas& canvas) { canvas.RoundRect(2, 2, 22, 12, 0, 0); }),
            draw(30, 20, [](QtCanvas& canvas) { canvas.Rectangle(2, 2, 22, 12); }));

  const QImage triangle = draw(16, 16, [](QtCanvas& canvas) { canvas.Polygon({{2, 2}, {12, 2}, {2, 12}}); });
  EXPECT_EQ(colourAt(triangle, 7, 2), kPen);
  EXPECT_EQ(colourAt(triangle, 4, 4), kBrush);
  EXPECT_EQ(colourAt(triangle, 10, 10), kBackground);
}

TEST(QtCanvasTest, TextStandsOnAnOpaqueCellInSharpPixelsOfTheDiagramFont) {
  const QFont font = diagramFont();
  EXPECT_EQ(QFontInfo(font).family(), "DejaVu Sans");
  EXPECT_EQ(font.pixelSize(), 13);

  const std::string text = "Customer Äq";
  QtCanvas measuring;
  const int width = measuring.TextWidth(text);
  const int height = measuring.TextHeight(text);
  EXPECT_EQ(width, QFontMetrics(font).horizontalAdvance(QString::fromStdString(text)));
  EXPECT_EQ(height, QFontMetrics(font).height());
  measuring.TextOut(0, 0, text);  // measures only: no painter behind it

  const QImage image = draw(width + 10, height + 10, [&](QtCanvas& canvas) {
    canvas.SetFontColor(clrBlack);
    canvas.TextOut(3, 4, text);
  });
  int ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const TColor colour = colourAt(image, x, y);
      if (x < 3 || x >= 3 + width || y < 4 || y >= 4 + height) {
        EXPECT_EQ(colour, kBackground) << x << "," << y;
        continue;
      }
      // No antialiasing: every pixel of the cell is either the brush or the font colour.
      EXPECT_TRUE(colour == kBrush || colour == clrBlack) << std::hex << colour;
      ink += colour == clrBlack;
    }
  EXPECT_GT(ink, 20);
}

// Letters of a word stand no further apart than its outlines set them: their widest gap, rounded up
// (a pixel more smoothed, whose edges fade).
TEST(QtCanvasTest, LettersOfAWordStandNoFurtherApartThanTheFontSetsThem) {
  const QRawFont font(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"), 13, QFont::PreferNoHinting);
  for (const QString word : {"ComputeTotal", "Will", "minimum", "Kilowatt"})
    for (const double zoom : {1.0, 1.5, 3.0}) {
      const QList<quint32> g = font.glyphIndexesForString(word);
      const QList<QPointF> step = font.advancesForGlyphIndexes(g, QRawFont::KernedAdvances | QRawFont::UseDesignMetrics);
      double widest = 0;
      for (qsizetype i = 1; i < g.size(); ++i)
        widest = std::max(widest, step[i - 1].x() - font.boundingRect(g[i - 1]).right() + font.boundingRect(g[i]).left());
      std::set<int> ink;
      for (const auto& [x, y] : touched(draw(300, 60, [&](QtCanvas& canvas) {
             canvas.SetBrushColor(kBackground);
             zoom == 1 ? canvas.TextOut(2, 2, word.toStdString()) : canvas.drawScaledText(QRect(2, 2, 290, 50), zoom, word.toStdString());
           })))
        ink.insert(x);
      ASSERT_FALSE(ink.empty()) << word.toStdString();
      int longest = 0;
      for (auto x = ink.begin(); std::next(x) != ink.end(); ++x) longest = std::max(longest, *std::next(x) - *x - 1);
      EXPECT_LE(longest, std::ceil(widest * zoom) + (zoom == 1 ? 0 : 1)) << word.toStdString() << " at " << zoom;
    }
}
}  // namespace

namespace {
// Texts are shaped once and kept: what is drawn must still be exactly what the font draws for the
// text with its baseline at the font's ascent below the given point, at every offset, for plain,
// accented and other-script texts, each drawn twice (the second time from what was kept).
TEST(QtCanvasTest, KeptTextsDrawTheFontsOwnPixels) {
  const QFont font = diagramFont();
  const QFontMetrics metrics(font);
  const std::vector<std::string> texts = {"Customer", "Entity number 4711", "Check 1 ( )", "Äq ( )",
                                          "\xE2\x82\xAC 5 \xD0\x96", "AV WAVE"};
  for (int pass = 0; pass < 2; ++pass)
    for (const std::string& text : texts)
      for (const QPoint at : {QPoint(3, 4), QPoint(10, 7)}) {
        const int width = metrics.horizontalAdvance(QString::fromStdString(text)) + 40;
        const int height = metrics.height() + 40;
        const QImage kept = draw(width, height, [&](QtCanvas& canvas) {
          canvas.SetFontColor(clrBlack);
          canvas.TextOut(at.x(), at.y(), text);
        });
        QImage own(width, height, QImage::Format_RGB32);
        own.fill(toQColor(kBackground));
        {
          QPainter painter(&own);
          painter.setRenderHint(QPainter::TextAntialiasing, false);
          painter.fillRect(QRect(at, QSize(metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height())),
                           toQColor(kBrush));
          painter.setFont(font);
          painter.setPen(Qt::black);
          painter.drawText(at + QPoint(0, metrics.ascent()), QString::fromStdString(text));
        }
        EXPECT_EQ(kept, own) << text << " at " << at.x() << "," << at.y() << ", pass " << pass;
      }
}

TEST(QtCanvasTest, TextWidthsAreTheFontsWhicheverCanvasMeasuredTheTextBefore) {
  // Widths are kept between measurements and shared between canvases: each must still be the
  // font's own, for texts that share a start, differ only in letter case or kerning pairs, are
  // empty, or hold characters of several bytes.
  const QFontMetrics metrics(diagramFont());
  const std::vector<std::string> texts = {"Customer", "Customers", "customer", "", " ", "AV", "A V", "WAVE",
                                          "Äq ( )", "Check 1 ( )", "Entity number 12345", "\xE2\x82\xAC 5",
                                          std::string(300, 'W')};
  QtCanvas first;
  QImage image(8, 8, QImage::Format_RGB32);
  QPainter painter(&image);
  QtCanvas second(painter);
  for (int round = 0; round < 2; ++round)
    for (const std::string& text : texts) {
      const int expected = metrics.horizontalAdvance(QString::fromStdString(text));
      EXPECT_EQ(first.TextWidth(text), expected) << text;
      EXPECT_EQ(second.TextWidth(text), expected) << text;
      EXPECT_EQ(QtCanvas().TextWidth(text), expected) << text;
    }
}
}  // namespace

namespace {
TEST(QtCanvasTest, EveryPixelATextSetsLiesWhereItsInkIsSaidToReach) {
  // Every letter of the plain ASCII range alone, runs of random ones (kerning moves letters), and
  // texts whose letters reach past their cell: accents stacked above and below, letters of other
  // fonts, bytes that are no UTF-8, and a tower of marks taller than any margin.
  std::vector<std::string> texts;
  for (char c = 0x20; c < 0x7F; ++c) texts.push_back(std::string(1, c));
  std::mt19937 random(3);
  for (int i = 0; i < 100; ++i) {
    std::string text;
    for (int n = 1 + static_cast<int>(random() % 20); n > 0; --n) text += static_cast<char>(0x20 + random() % 95);
    texts.push_back(text);
  }
  texts.push_back("A\xCC\x81\xCC\x81\xCC\x81\xCC\x81\xCC\x81\xCC\x81 g\xCC\xA3\xCC\xA3\xCC\xA3");
  texts.push_back("\xE6\x97\xA5\xE6\x9C\xAC \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A fj");
  texts.push_back("\xC3 \xFF\xFE");
  std::string tower = "x";
  for (int i = 0; i < 300; ++i) tower += "\xCC\x81";
  texts.push_back(tower);

  QtCanvas measuring;
  for (const std::string& text : texts) {
    const QRect ink = measuring.textInk(text).translated(100, 150);
    const QImage image = draw(500, 300, [&](QtCanvas& canvas) {
      canvas.SetFontColor(clrBlack);
      canvas.TextOut(100, 150, text);
    });
    for (const auto& [x, y] : touched(image)) {
      EXPECT_TRUE(ink.contains(x, y)) << "'" << text << "' sets " << x << "," << y;
      if (!ink.contains(x, y)) break;
    }
  }
}
}  // namespace
