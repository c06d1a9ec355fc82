// The deferred canvas against the Qt canvas: random drawings, many of them stacked over one another,
// with clips, origins, wide pens, texts and shapes cut by the picture's edges, must come out pixel
// for pixel as when drawn straight onto the picture, also when only a part of it is drawn.
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "deferred_canvas.h"
#include "qt_canvas.h"
#include "text.h"

namespace {
constexpr int kWidth = 320;
constexpr int kHeight = 240;

// One drawing, given to the deferred canvas and, the same, straight to the Qt canvas.
struct Drawing {
  std::function<void(DeferredCanvas&)> deferred;
  std::function<void(QPainter&, QtCanvas&)> straight;
};

// A random scene: opaque boxes stacked over earlier drawing, lines across, shapes and texts,
// partly outside the picture, under changing clips, origins, colours and pen widths.
std::vector<Drawing> RandomScene(unsigned seed) {
  std::mt19937 random(seed);
  auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  auto colour = [&] { return MakeColor(below(4) * 85, below(4) * 85, below(4) * 85); };
  std::vector<Drawing> scene;
  for (int i = 0; i < 160; ++i) {
    const TColor brush = colour(), pen = colour(), font = colour();
    const int penWidth = below(5) == 0 ? 1 + below(3) : 1;
    const QPoint origin(below(60) - 20, below(60) - 20);
    const bool clipped = below(3) == 0;
    const QRect clip(below(kWidth) - 40, below(kHeight) - 40, 40 + below(200), 40 + below(160));
    const int x = below(kWidth + 40) - 40, y = below(kHeight + 40) - 40;
    const int w = below(5) == 0 ? below(3) - 1 : 1 + below(120), h = below(5) == 0 ? below(3) - 1 : 1 + below(90);
    const int kind = below(7);
    std::vector<TPoint> points;
    for (int p = 0, n = 1 + below(5); p < n; ++p) points.push_back({below(kWidth + 80) - 40, below(kHeight + 80) - 40});
    // Texts whose letters reach past their cell: accents stacked above, letters of other fonts.
    const std::string texts[] = {"Entity number " + IntToText(below(100000)),
                                 std::string("Check ( ) \xC3\x84q j", 1 + below(15)),
                                 "A\xCC\x81\xCC\x81\xCC\x81\xCC\x81\xCC\x81\xCC\x81 g\xCC\xA3\xCC\xA3\xCC\xA3",
                                 "\xE6\x97\xA5\xE6\x9C\xAC \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A fj"};
    const std::string text = texts[below(4)];
    auto state = [=](Canvas& canvas) {
      canvas.SetBrushColor(brush);
      canvas.SetPenColor(pen);
      canvas.SetFontColor(font);
      canvas.SetPenWidth(penWidth);
    };
    Drawing drawing;
    drawing.deferred = [=](DeferredCanvas& canvas) {
      state(canvas);
      canvas.setOrigin(origin);
      if (clipped) canvas.setClip(clip);
      else canvas.clearClip();
      switch (kind) {
        case 0: canvas.fill(QRect(x, y, w, h), brush); break;
        case 1: canvas.Rectangle(x, y, x + w, y + h); break;
        case 2: canvas.RoundRect(x, y, x + w, y + h, 15, 15); break;
        case 3: canvas.Polygon(points); break;
        case 4: canvas.Polyline(points); break;
        default: canvas.TextOut(x, y, text); break;
      }
    };
    drawing.straight = [=](QPainter& painter, QtCanvas& canvas) {
      state(canvas);
      canvas.setOrigin(origin);
      if (clipped) painter.setClipRect(clip);
      else painter.setClipping(false);
      switch (kind) {
        case 0:
          // A box of no size fills nothing (Qt would fill a box given the wrong way round).
          if (!QRect(x, y, w, h).isEmpty()) painter.fillRect(QRect(x, y, w, h), toQColor(brush));
          break;
        case 1: canvas.Rectangle(x, y, x + w, y + h); break;
        case 2: canvas.RoundRect(x, y, x + w, y + h, 15, 15); break;
        case 3: canvas.Polygon(points); break;
        case 4: canvas.Polyline(points); break;
        default: canvas.TextOut(x, y, text); break;
      }
    };
    scene.push_back(drawing);
  }
  return scene;
}

QImage Straight(const std::vector<Drawing>& scene) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::gray);
  QPainter painter(&image);
  QtCanvas canvas(painter);
  for (const Drawing& drawing : scene) drawing.straight(painter, canvas);
  return image;
}

// Many long slanted lines, then rows of opaque boxes over them with gaps of none to two pixels at
// every offset, as a crowded page is drawn: the lines left out under the boxes must show exactly
// where the gaps leave them in sight.
std::vector<Drawing> LinesUnderBoxes(unsigned seed) {
  std::mt19937 random(seed);
  auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  std::vector<Drawing> scene;
  auto add = [&scene](const std::function<void(Canvas&)>& draw) {
    scene.push_back({[draw](DeferredCanvas& canvas) { draw(canvas); }, [draw](QPainter&, QtCanvas& canvas) { draw(canvas); }});
  };
  for (int i = 0; i < 120; ++i) {
    const TColor pen = MakeColor(below(4) * 85, below(4) * 85, 255);
    std::vector<TPoint> points;
    for (int p = 0, n = 2 + below(3); p < n; ++p) points.push_back({below(kWidth + 40) - 20, below(kHeight + 40) - 20});
    add([=](Canvas& canvas) {
      canvas.SetPenColor(pen);
      canvas.Polyline(points);
    });
  }
  for (int y = below(8) - 8; y < kHeight;) {
    const int height = 3 + below(30);
    for (int x = below(8) - 8; x < kWidth;) {
      const int width = 3 + below(60);
      const bool text = below(4) == 0;
      add([=](Canvas& canvas) {
        canvas.SetBrushColor(clrWhite);
        canvas.SetPenColor(clrBlack);
        if (text)
          canvas.TextOut(x, y, "Column " + IntToText(width));
        else
          canvas.Rectangle(x, y, x + width, y + height);
      });
      x += width + below(3);
    }
    y += height + below(3);
  }
  return scene;
}

// The scene through the deferred canvas, whole and with only the given part in sight (drawn into an
// image of just what that part needs), against the same scene drawn straight.
void ExpectDrawnAsStraight(const std::vector<Drawing>& scene, const QRect& visible, unsigned seed) {
  const QImage expected = Straight(scene);
  DeferredCanvas deferred;
  for (const Drawing& drawing : scene) drawing.deferred(deferred);
  QImage whole(kWidth, kHeight, QImage::Format_RGB32);
  whole.fill(Qt::gray);
  deferred.drawOnto(whole, QPoint(), whole.rect());
  EXPECT_TRUE(whole == expected) << "seed " << seed;
  EXPECT_TRUE(deferred.isEmpty());

  for (const Drawing& drawing : scene) drawing.deferred(deferred);
  const QRect picture = deferred.pictureFor(visible, QRect(0, 0, kWidth, kHeight));
  EXPECT_TRUE(picture.contains(visible));
  QImage part(picture.size(), QImage::Format_RGB32);
  part.fill(Qt::gray);
  deferred.drawOnto(part, picture.topLeft(), visible);
  EXPECT_TRUE(part.copy(visible.translated(-picture.topLeft())) == expected.copy(visible)) << "seed " << seed;
}

TEST(DeferredCanvasTest, LinesUnderLaterBoxesShowOnlyInTheGaps) {
  for (unsigned seed = 1; seed <= 30; ++seed)
    ExpectDrawnAsStraight(LinesUnderBoxes(seed),
                          QRect(static_cast<int>(seed) % 13, static_cast<int>(seed) % 7, 203, 151), seed);
}

TEST(DeferredCanvasTest, DrawsWhatTheQtCanvasDrawsPixelForPixel) {
  for (unsigned seed = 1; seed <= 40; ++seed)
    ExpectDrawnAsStraight(RandomScene(seed),
                          QRect(30 + static_cast<int>(seed) % 50, 20 + static_cast<int>(seed) % 40, 150, 110), seed);
}

// Zoomed, there is no straight drawing to hold the picture against: each drawing drawn alone, one
// after the other, leaves nothing out, and the scene drawn at once, whole or in part, must come out
// the same.
TEST(DeferredCanvasTest, AZoomedSceneLeavesOutOnlyWhatIsCovered) {
  for (const int zoom : {1000, 100, 500, 1250, 1730, 2000, 3000}) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
      // Odd seeds without the shapes, whose room around them makes most parts' pictures the whole.
      std::vector<Drawing> scene = LinesUnderBoxes(seed);
      if (seed % 2 == 0) {
        const std::vector<Drawing> shapes = RandomScene(seed);
        scene.insert(scene.begin() + 60, shapes.begin(), shapes.end());
      }
      const QRect whole(0, 0, kWidth * zoom / 1000, kHeight * zoom / 1000);
      // Each pass on a canvas of its own: a drawing takes the origin and the clip of the one before.
      DeferredCanvas one;
      one.setZoom(TViewZoom(zoom));
      one.setWholePicture(whole);
      QImage alone(whole.size(), QImage::Format_RGB32);
      alone.fill(Qt::gray);
      for (const Drawing& drawing : scene) {
        drawing.deferred(one);
        one.drawOnto(alone, QPoint(), whole);
      }
      for (const QRect& visible : {whole, QRect(whole.width() / 5, whole.height() / 4, whole.width() / 2, whole.height() / 3)}) {
        DeferredCanvas deferred;
        deferred.setZoom(TViewZoom(zoom));
        deferred.setWholePicture(whole);
        for (const Drawing& drawing : scene) drawing.deferred(deferred);
        const QRect picture = deferred.pictureFor(visible, whole);
        QImage part(picture.size(), QImage::Format_RGB32);
        part.fill(Qt::gray);
        deferred.drawOnto(part, picture.topLeft(), visible);
        EXPECT_TRUE(part.copy(visible.translated(-picture.topLeft())) == alone.copy(visible))
            << "zoom " << zoom << " seed " << seed << " part " << visible.width();
      }
    }
  }
}

TEST(DeferredCanvasTest, ADrawingOverTheWholePictureLetsGoOfEverythingBefore) {
  DeferredCanvas deferred;
  deferred.setWholePicture(QRect(0, 0, 100, 80));
  for (int i = 0; i < 50; ++i) {
    deferred.SetBrushColor(MakeColor(i, 0, 0));
    deferred.Rectangle(i, i, i + 30, i + 20);
    deferred.TextOut(i, i, "text");
  }
  deferred.SetBrushColor(clrWhite);
  deferred.Rectangle(0, 0, 100, 80);
  deferred.SetPenColor(clrRed);
  deferred.Polyline({{0, 5}, {99, 5}});
  QImage image(100, 80, QImage::Format_RGB32);
  image.fill(Qt::gray);
  deferred.drawOnto(image, QPoint(), image.rect());
  EXPECT_EQ(image.pixel(50, 40), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(50, 5), qRgb(255, 0, 0));
}
}  // namespace
