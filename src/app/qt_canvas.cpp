// Drawing and text measuring of the diagram on Qt, pixel-exact: lines and rectangle edges are set
// pixel by pixel rather than left to QPainter's rasteriser, whose end points differ from the rules
// the diagram's layout was drawn for.
#include "qt_canvas.h"

#include <QColor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QPolygonF>
#include <QRect>
#include <QGlyphRun>
#include <QStaticText>
#include <QTextLayout>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

#include "line_stepper.h"

namespace {
const char* const kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kFontFamily = "DejaVu Sans";
constexpr int kFontPixelSize = 13;

}  // namespace

void normaliseCorners(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
}

QFont diagramFont() {
  // Loaded by file so that a system with another "DejaVu Sans" (or none in fontconfig) still
  // measures with the same outlines; the family name is the fallback when the file is missing.
  static QString family;
  if (family.isEmpty() && qGuiApp) {
    const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(kFontFile));
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    family = families.isEmpty() ? QString::fromUtf8(kFontFamily) : families.first();
  }
  QFont font(family.isEmpty() ? QString::fromUtf8(kFontFamily) : family);
  font.setPixelSize(kFontPixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  // Hinted across as well as up: the letters' stems and advances then fall on whole pixels, as the
  // font's instructions set them for this size. Hinted only up (what many desktops ask for), the
  // letters stand at fractional advances and each is moved to its nearest pixel on its own, which
  // opens a gap inside some words ("Tot al"). Asked for here, the widths the layout is made of no
  // longer depend on the machine's font settings either.
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QColor toQColor(TColor color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

// The widths of texts in one font, and where their letters reach. Shaping a text takes
// microseconds, and the diagram measures the same texts (titles, row names) again at every page
// showing and every paint, thousands of them on a large diagram. A width depends on nothing but the
// text and the font, so it is kept. The number of texts kept is bounded: past the bound the cache
// starts afresh.
class TextWidthCache {
 public:
  static constexpr size_t kMaxTexts = size_t{1} << 18;

  // The one cache of the font, shared by every canvas that draws with it.
  static std::shared_ptr<TextWidthCache> of(const QFont& font) {
    static std::map<QString, std::weak_ptr<TextWidthCache>> caches;
    std::weak_ptr<TextWidthCache>& slot = caches[font.key()];
    std::shared_ptr<TextWidthCache> cache = slot.lock();
    if (!cache) {
      cache = std::make_shared<TextWidthCache>();
      slot = cache;
    }
    return cache;
  }

  int width(const QFontMetrics& metrics, const std::string& text) { return measure(metrics, text).width; }

  // The text shaped once into the font's glyphs: a diagram draws the same titles and row names at
  // every paint, and shaping them again took a good part of painting a large page.
  const QStaticText& shaped(const QFont& font, const QFontMetrics& metrics, const std::string& text) {
    Measure& known = measure(metrics, text);
    if (!known.shaped) {
      known.shaped.emplace(QString::fromStdString(text));
      known.shaped->setTextFormat(Qt::PlainText);
      known.shaped->prepare(QTransform(), font);
    }
    return *known.shaped;
  }

  // The text's glyphs and where they stand, laid out once: a zoomed view sets them at a new scale at
  // every step of the wheel, and a text shaped for one scale is shaped again for the next.
  const QList<QGlyphRun>& glyphs(const QFont& font, const QFontMetrics& metrics, const std::string& text) {
    Measure& known = measure(metrics, text);
    if (!known.glyphs) {
      QTextLayout layout(QString::fromStdString(text), font);
      layout.setCacheEnabled(false);
      layout.beginLayout();
      QTextLine line = layout.createLine();
      layout.endLayout();
      known.glyphs.emplace(line.isValid() ? layout.glyphRuns() : QList<QGlyphRun>());
    }
    return *known.glyphs;
  }

  QRect ink(const QFont& font, const QFontMetrics& metrics, const std::string& text) {
    Measure& known = measure(metrics, text);
    if (!known.inkKnown) {
      const QRect cell(0, 0, known.width, metrics.height());
      known.ink = IsPlainAscii(text) ? AsciiInk(metrics, text, cell) : DrawnInk(font, metrics, shaped(font, metrics, text), cell);
      known.inkKnown = true;
    }
    return known.ink;
  }

 private:
  static bool IsPlainAscii(const std::string& text) {
    for (const char c : text)
      if (c < 0x20 || c > 0x7E) return false;
    return true;
  }

  // Letters of the diagram's own font, side by side: their boxes as shaped, from the baseline
  // where TextOut puts it, and a few pixels more each way for the rounding of outlines to pixels.
  static QRect AsciiInk(const QFontMetrics& metrics, const std::string& text, const QRect& cell) {
    const QRect letters = metrics.boundingRect(QString::fromStdString(text)).translated(0, metrics.ascent());
    return cell.united(letters).adjusted(-3, -3, 3, 3);
  }

  // Any other text may stack marks above and below its letters, or take letters from other fonts,
  // beyond what the font's measures tell: it is written once where every pixel it sets is seen,
  // shaped and drawn exactly as TextOut draws it (a font another script falls back to may place its
  // glyphs otherwise when the text is laid out afresh). A text that reaches even the edge of that is
  // taken to reach everywhere.
  static QRect DrawnInk(const QFont& font, const QFontMetrics& metrics, const QStaticText& shaped, const QRect& cell) {
    const int margin = 8 * metrics.height();
    QImage scratch(cell.width() + 2 * margin, cell.height() + 2 * margin, QImage::Format_ARGB32_Premultiplied);
    scratch.fill(Qt::transparent);
    {
      QPainter painter(&scratch);
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.setRenderHint(QPainter::TextAntialiasing, false);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawStaticText(QPoint(margin, margin), shaped);
    }
    int left = scratch.width(), top = scratch.height(), right = -1, bottom = -1;
    for (int y = 0; y < scratch.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
      for (int x = 0; x < scratch.width(); ++x)
        if (qAlpha(line[x]) != 0) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = y;
        }
    }
    if (right < 0) return cell.adjusted(-1, -1, 1, 1);
    const QRect drawn(QPoint(left, top), QPoint(right, bottom));
    if (drawn.left() == 0 || drawn.top() == 0 || drawn.right() == scratch.width() - 1 ||
        drawn.bottom() == scratch.height() - 1)
      return QRect(QPoint(-(1 << 28), -(1 << 28)), QPoint(1 << 28, 1 << 28));
    return cell.united(drawn.translated(-margin, -margin)).adjusted(-1, -1, 1, 1);
  }

 private:
  struct Measure {
    int width = 0;
    bool inkKnown = false;
    QRect ink;
    std::optional<QStaticText> shaped;
    std::optional<QList<QGlyphRun>> glyphs;
  };

  Measure& measure(const QFontMetrics& metrics, const std::string& text) {
    if (const auto known = widths_.find(text); known != widths_.end()) return known->second;
    if (widths_.size() >= kMaxTexts) widths_.clear();
    Measure measured;
    measured.width = metrics.horizontalAdvance(QString::fromStdString(text));
    return widths_.emplace(text, measured).first->second;
  }

  std::unordered_map<std::string, Measure> widths_;
};

QtCanvas::QtCanvas() : font_(diagramFont()), metrics_(font_), widths_(TextWidthCache::of(font_)) {}

QtCanvas::QtCanvas(QPainter& painter) : font_(diagramFont()), metrics_(font_), widths_(TextWidthCache::of(font_)) {
  setPainter(&painter);
}

void QtCanvas::setPainter(QPainter* painter) {
  painter_ = painter;
  if (!painter_) return;
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setRenderHint(QPainter::TextAntialiasing, false);
  painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter_->setFont(font_);
}

namespace {
QPen vectorPen(TColor colour, int width) {
  return QPen(toQColor(colour), std::max(1, width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}
}  // namespace

void QtCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (!painter_) return;
  normaliseCorners(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  const QRect box(origin_ + QPoint(x1, y1), QSize(x2 - x1, y2 - y1));
  if (vector_) {
    // The outline runs through the middle of the edge pixels.
    painter_->setPen(vectorPen(PenColor(), PenWidth()));
    painter_->setBrush(toQColor(BrushColor()));
    painter_->drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    return;
  }
  // The outline lies inside the box, whatever the pen's width, so that the box keeps its size. It is
  // set as four strips around the face, so that no pixel is set twice: a box as large as the
  // surface would otherwise be filled twice over.
  const int pen = std::max(1, PenWidth());
  const QColor edge = toQColor(PenColor());
  const QRect inside = box.adjusted(pen, pen, -pen, -pen);
  if (!inside.isValid()) {
    painter_->fillRect(box, edge);
    return;
  }
  painter_->fillRect(QRect(box.left(), box.top(), box.width(), pen), edge);
  painter_->fillRect(QRect(box.left(), inside.bottom() + 1, box.width(), pen), edge);
  painter_->fillRect(QRect(box.left(), inside.top(), pen, inside.height()), edge);
  painter_->fillRect(QRect(inside.right() + 1, inside.top(), pen, inside.height()), edge);
  painter_->fillRect(inside, toQColor(BrushColor()));
}

void QtCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  if (!painter_) return;
  normaliseCorners(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  QPen pen(toQColor(PenColor()));
  pen.setWidth(std::max(1, PenWidth()));
  pen.setJoinStyle(Qt::MiterJoin);
  painter_->setPen(pen);
  painter_->setBrush(toQColor(BrushColor()));
  // An aliased outline of a QRect covers its right and bottom edge as well: one pixel less each way
  // keeps the shape inside x1..x2-1, y1..y2-1.
  const QRect box(origin_ + QPoint(x1, y1), QSize(x2 - x1 - 1, y2 - y1 - 1));
  painter_->drawRoundedRect(box, std::abs(cornerWidth) / 2.0, std::abs(cornerHeight) / 2.0, Qt::AbsoluteSize);
}

void QtCanvas::Polygon(const std::vector<TPoint>& points) {
  if (!painter_ || points.size() < 2) return;
  QPolygon polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const TPoint& point : points) polygon << origin_ + QPoint(point.X, point.Y);
  QPen pen(toQColor(PenColor()));
  pen.setWidth(std::max(1, PenWidth()));
  painter_->setPen(pen);
  painter_->setBrush(toQColor(BrushColor()));
  painter_->drawPolygon(polygon, Qt::OddEvenFill);
}

void QtCanvas::Polyline(const std::vector<TPoint>& points) {
  if (!painter_) return;
  if (vector_) {
    if (points.size() < 2) return;
    QPolygonF line;
    for (const TPoint& point : points) line << QPointF(origin_ + QPoint(point.X, point.Y)) + QPointF(0.5, 0.5);
    painter_->setPen(vectorPen(PenColor(), PenWidth()));
    painter_->setBrush(Qt::NoBrush);
    painter_->drawPolyline(line);
    return;
  }
  // Each segment leaves out its end point, which the next segment starts with: every joint is set
  // once and the very last point not at all.
  for (size_t i = 1; i < points.size(); ++i) drawLine(points[i - 1], points[i]);
}

void QtCanvas::drawLine(TPoint a, TPoint b) {
  if (a == b) return;
  const int pen = std::max(1, PenWidth());
  const QColor colour = toQColor(PenColor());
  if (a.Y == b.Y || a.X == b.X) {
    // Straight lines in one fill; a wide pen widens them about their middle.
    QRect line;
    if (a.Y == b.Y) {
      const int from = a.X < b.X ? a.X : b.X + 1;
      line = QRect(from, a.Y - (pen - 1) / 2, std::abs(b.X - a.X), pen);
    } else {
      const int from = a.Y < b.Y ? a.Y : b.Y + 1;
      line = QRect(a.X - (pen - 1) / 2, from, pen, std::abs(b.Y - a.Y));
    }
    painter_->fillRect(line.translated(origin_), colour);
    return;
  }
  TLineStepper line(a, b);
  std::vector<QPoint> points;
  points.reserve(static_cast<size_t>(line.Steps()));
  int movedX = 0;
  int movedY = 0;
  for (int step = 0; step < line.Steps(); ++step) {
    points.emplace_back(line.X(), line.Y());
    line.Step(movedX, movedY);
  }
  plot(points);
}

void QtCanvas::plot(const std::vector<QPoint>& points) {
  const int pen = std::max(1, PenWidth());
  const QColor colour = toQColor(PenColor());
  if (pen == 1) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const QPoint& point : points) polygon << origin_ + point;
    painter_->setPen(QPen(colour, 1));
    painter_->drawPoints(polygon);
    return;
  }
  const int half = (pen - 1) / 2;
  for (const QPoint& point : points)
    painter_->fillRect(QRect(origin_ + point - QPoint(half, half), QSize(pen, pen)), colour);
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  if (!painter_ || text.empty()) return;
  const QPoint topLeft = origin_ + QPoint(x, y);
  painter_->fillRect(QRect(topLeft, QSize(TextWidth(text), metrics_.height())), toQColor(BrushColor()));
  painter_->setPen(toQColor(FontColor()));
  painter_->setFont(font_);
  painter_->drawStaticText(topLeft, widths_->shaped(font_, metrics_, text));
}

void QtCanvas::drawScaledText(const QRect& cell, double scale, const std::string& text) {
  if (!painter_ || text.empty()) return;
  // Smoothed: letters of a few pixels are read far more easily so, and larger ones lose their steps.
  // At 100 % the text stays as the layout was drawn for, unsmoothed.
  static const QFont smooth = [] {
    QFont font = diagramFont();
    font.setStyleStrategy(QFont::PreferAntialias);
    // Smoothed letters keep their outlines' own shapes and fractional advances: hinted across for 13
    // pixels, they would stand unevenly once magnified.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
  }();
  static const QFontMetrics smoothMetrics(smooth);
  static const std::shared_ptr<TextWidthCache> smoothShapes = TextWidthCache::of(smooth);
  const QRect box = cell.translated(origin_);
  painter_->fillRect(box, toQColor(BrushColor()));
  painter_->save();
  painter_->setRenderHint(QPainter::TextAntialiasing, true);
  painter_->translate(box.topLeft());
  painter_->scale(scale, scale);
  painter_->setPen(toQColor(FontColor()));
  // The outlines' advances add up to a little more or less than the hinted width the text's cell was
  // measured with: the letters are spaced to it, so that the text spans its cell as at 100 %.
  const int smoothWidth = smoothShapes->width(smoothMetrics, text);
  const double across = smoothWidth > 0 ? static_cast<double>(TextWidth(text)) / smoothWidth : 1.0;
  for (QGlyphRun run : smoothShapes->glyphs(smooth, smoothMetrics, text)) {
    QList<QPointF> positions = run.positions();
    for (QPointF& position : positions) position.rx() *= across;
    run.setPositions(positions);
    painter_->drawGlyphRun(QPointF(0, 0), run);
  }
  painter_->restore();
}

int QtCanvas::TextWidth(const std::string& text) { return widths_->width(metrics_, text); }

QRect QtCanvas::textInk(const std::string& text) { return widths_->ink(font_, metrics_, text); }

int QtCanvas::TextHeight(const std::string&) { return metrics_.height(); }
