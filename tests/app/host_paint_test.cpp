// What the window shows is exactly the diagram painted afresh and whole, however little of it the
// host painted and however it gathered what needed painting: after page changes, scrolling, moves,
// hiding, removal and clicks on a crowded diagram, and in the exported picture.
#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "deferred_canvas.h"
#include "diagram_host.h"
#include "entity.h"
#include "entity_event.h"
#include "export_format.h"
#include "main_window.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "qt_bitmap.h"
#include "qt_canvas.h"
#include "relation.h"
#include "text.h"
#include "view_zoom.h"

namespace {
// Entities on two pages, many of them stacked in part over one another, some with their methods
// hidden on a page; relations and events of random rows across the surface; call brackets.
void BuildCrowdedDiagram(TOOAPanel& panel, int entityCount) {
  std::mt19937 random(7);
  auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  panel.SetOwnPageList({"First", "Second"});
  panel.SetActivePageName("First");
  for (int i = 0; i < entityCount; ++i) {
    TEntity& entity = panel.CreateEntity("Entity number " + IntToText(i), true);
    TEntryList entries{MakeEntry("First", 20 + 90 * (i % 9), 20 + 110 * (i / 9 % 8) + below(20))};
    if (below(2) == 0) entries.push_back(MakeEntry("Second", below(900), below(1000)) + (below(3) == 0 ? ",HIDE METHOD" : ""));
    entity.SetActivePages(entries);
    for (int p = 1; p <= 3; ++p) AddProperty(entity, "Column " + IntToText(p), true);
    for (int m = 1; m <= 2; ++m) AddMethod(entity, "Check " + IntToText(m), true);
    if (below(4) == 0) entity.MethodByIndex(1)->SetCallMethod(entity.MethodByIndex(0));
  }
  auto entityAt = [&](int index) -> TEntity& { return *panel.Entities()[static_cast<size_t>(index)]; };
  auto boxEntries = [&] {
    return TEntryList{MakeEntry("First", below(1100), below(1000)), MakeEntry("Second", below(900), below(1000))};
  };
  for (int i = 0; i < entityCount / 2; ++i) {
    TEntity& owner = entityAt(below(entityCount));
    TEntity& target = entityAt(below(entityCount));
    TRelation& relation = *AddRelation(owner, "", true);
    relation.SetSourceEntity(&owner);
    relation.SetSourceProperty(owner.PropertyByIndex(below(3)));
    relation.SetTargetEntity(&target);
    relation.SetTargetProperty(target.PropertyByIndex(below(3)));
    relation.SetActivePages(boxEntries());
    TEntityEvent& event = *AddEntityEvent(target, "", true);
    event.SetSourceEntity(&target);
    event.SetSourceMethod(target.MethodByIndex(below(2)));
    event.SetTargetEntity(&owner);
    event.SetTargetMethod(owner.MethodByIndex(below(2)));
    event.SetActivePages(boxEntries());
  }
  panel.ShowActivePage();
}

void PaintChildrenPlainly(QPainter& painter, QtCanvas& canvas, Control& parent, const QRect& parentClip) {
  const std::vector<Control*> children = parent.Children();
  for (Control* child : children) {
    if (!child->Visible()) continue;
    const TPoint origin = child->OriginInRoot();
    const QRect box(origin.X, origin.Y, child->Width(), child->Height());
    const QRect clip = box & parentClip;
    if (clip.isEmpty()) continue;
    painter.save();
    painter.setClipRect(clip);
    painter.fillRect(box, toQColor(child->Color()));
    canvas.ResetState();
    canvas.setOrigin(box.topLeft());
    child->PaintOn(canvas);
    painter.restore();
    if (child->Visible()) PaintChildrenPlainly(painter, canvas, *child, clip);
  }
}

// A canvas on which the panel's own paint finds no connector lines to draw: the plain paint draws
// them itself, entity by entity, without the index of where they run.
class FaceOnlyCanvas : public QtCanvas {
 public:
  using QtCanvas::QtCanvas;
  TRect PaintedPart() const override { return {}; }
};

// The host's paint done the plain way, over the whole surface with nothing left out: the panel's
// face, every entity's connector lines in turn, then every visible control in z-order, its box
// first filled with its colour.
QImage PlainPaint(TOOAPanel& panel) {
  QImage image(panel.Width(), panel.Height(), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  QPainter painter(&image);
  FaceOnlyCanvas canvas(painter);
  canvas.ResetState();
  panel.PaintOn(canvas);
  for (const auto& entity : panel.Entities()) entity->DrawConnectors(canvas);
  PaintChildrenPlainly(painter, canvas, panel, image.rect());
  return image;
}

class HostPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TfMain>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    BuildCrowdedDiagram(panel(), EntityCount());
  }
  virtual int EntityCount() const { return 90; }

  TOOAPanel& panel() { return window->panel(); }
  DiagramHost& host() { return window->host(); }
  QWidget& viewport() { return *window->scrollBox().viewport(); }

  // What the window shows of the surface once every waiting paint is done, and what a plain paint of
  // the whole surface has at the same place.
  void ExpectShownAsPaintedAfresh(const char* step) {
    QApplication::processEvents();
    const auto* shown = dynamic_cast<const QImage*>(window->backingStore()->paintDevice());
    ASSERT_NE(shown, nullptr);
    const QRect inWindow(viewport().mapTo(window.get(), QPoint(0, 0)), viewport().size());
    const QPoint surfaceOrigin = host().mapFrom(&viewport(), QPoint(0, 0));
    const QImage expected = PlainPaint(panel()).copy(QRect(surfaceOrigin, viewport().size()));
    const QImage actual = shown->copy(inWindow).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(actual.size(), expected.size()) << step;
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < actual.height(); ++y)
      for (int x = 0; x < actual.width(); ++x)
        if ((actual.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF) && differing++ == 0) first = {x, y};
    EXPECT_EQ(differing, 0) << step << ": first at " << first.x() + surfaceOrigin.x() << ","
                            << first.y() + surfaceOrigin.y() << " of the surface";
  }

  // An entity on the active page whose title the viewport shows.
  TEntity& ShownEntity() {
    for (const auto& entity : panel().Entities())
      if (entity->Visible() && entity->Left() > 50 && entity->Left() < 500 && entity->Top() > 50 && entity->Top() < 400)
        return *entity;
    ADD_FAILURE() << "no entity in view";
    return *panel().Entities().front();
  }

  // An entity in view with a line of a shown box ending at one of its property rows, the box in
  // view too: the whole line runs where the window shows it.
  TEntity& ShownLinkedEntity() {
    auto inView = [](const Control& control) {
      return control.Visible() && control.Left() >= 0 && control.Left() < 600 && control.Top() >= 0 && control.Top() < 600;
    };
    for (const auto& entity : panel().Entities()) {
      if (!inView(*entity)) continue;
      for (const auto& slot : entity->PropertyList())
        for (const TLinkBox* box : slot.Object->LinkedBy())
          if (inView(*box)) return *entity;
    }
    ADD_FAILURE() << "no linked entity in view";
    return *panel().Entities().front();
  }

  std::unique_ptr<TfMain> window;
};

// Few entities, so that most of each line shows between them rather than under later boxes.
class SparseHostPaint : public HostPaint {
 protected:
  int EntityCount() const override { return 16; }
};

TEST_F(HostPaint, WhatTheWindowShowsIsTheWholeDiagramPaintedAfresh) {
  ExpectShownAsPaintedAfresh("first page shown");
  panel().SetActivePageName("Second");
  panel().ShowActivePage();
  ExpectShownAsPaintedAfresh("second page shown");
  window->scrollBox().horizontalScrollBar()->setValue(300);
  window->scrollBox().verticalScrollBar()->setValue(450);
  ExpectShownAsPaintedAfresh("scrolled");
  window->scrollBox().horizontalScrollBar()->setValue(0);
  window->scrollBox().verticalScrollBar()->setValue(0);
  panel().SetActivePageName("First");
  panel().ShowActivePage();
  ExpectShownAsPaintedAfresh("first page again");

  TEntity& moved = ShownEntity();
  panel().DragDrop(moved, moved.Left() + 37, moved.Top() + 23);
  ExpectShownAsPaintedAfresh("entity dropped");
  TEntity& hidden = ShownEntity();
  hidden.HideAllMethod();
  ExpectShownAsPaintedAfresh("methods hidden");
  TEntity& clicked = ShownEntity();
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                    host().mapTo(window.get(), QPoint(clicked.Left() + 5, clicked.Top() + 5)));
  ExpectShownAsPaintedAfresh("entity clicked");
  TEntity& removed = ShownEntity();
  panel().SetSelectedEntity(&removed);
  removed.RemoveThisEntity();
  ExpectShownAsPaintedAfresh("entity removed");
}

// Small parts painted on their own (as a click or a moved box asks) show every line crossing them:
// the lines are found by where they run, not by visiting every box, so every change that moves a
// line must reach that record. After each change the whole view is painted again as tiles, each
// painted alone, and must be the diagram as it is now.
TEST_F(SparseHostPaint, SmallPartsPaintedAloneShowEveryLineThatCrossesThem) {
  auto paintAsTiles = [&](const char* step) {
    QApplication::processEvents();
    for (int y = 0; y < viewport().height(); y += 23)
      for (int x = 0; x < viewport().width(); x += 29) host().repaint(QRect(x, y, 29, 23));
    ExpectShownAsPaintedAfresh(step);
  };
  paintAsTiles("first page");
  for (const auto& entity : panel().Entities()) {
    if (!entity->Visible() || entity->RelationList().empty() || !entity->RelationList().front().Object->Visible())
      continue;
    TRelation& relation = *entity->RelationList().front().Object;
    panel().DragDrop(relation, relation.Left() + 60, relation.Top() + 45);
    break;
  }
  paintAsTiles("relation box moved");
  TEntity& moved = ShownLinkedEntity();
  panel().DragDrop(moved, moved.Left() + 230, moved.Top() + 170);
  paintAsTiles("entity moved with its lines");
  TEntity& reordered = ShownLinkedEntity();
  for (const auto& slot : reordered.PropertyList())
    if (!slot.Object->LinkedBy().empty() && slot.Object->RowIndex() > 0) {
      slot.Object->MoveUp();
      break;
    }
  paintAsTiles("linked property row moved up");
  ShownEntity().MethodByIndex(1)->MoveUp();
  paintAsTiles("method row moved up");
  TEntity& calling = ShownEntity();
  calling.MethodByIndex(0)->SetCallMethod(calling.MethodByIndex(1));
  calling.MethodByIndex(0)->SetCallMethodLineDistance(2);
  paintAsTiles("call made");
  for (const auto& entity : panel().Entities()) {
    if (entity->EventList().empty()) continue;
    entity->EventList().front().Object->BreakSourceLink();
    break;
  }
  paintAsTiles("event link broken");
  panel().SetActivePageName("Second");
  panel().ShowActivePage();
  paintAsTiles("second page");
}

// An empty surface to build a small scene on, where every stretch of a line shows.
class EmptyHostPaint : public HostPaint {
 protected:
  int EntityCount() const override { return 0; }
};

// A change that moves rows moves the lines that end at them: no stretch of an old line may stay
// where nothing else is repainted.
TEST_F(EmptyHostPaint, LinesFollowTheRowsACommandMoves) {
  panel().SetLastMouse(60, 60);
  TEntity& entity = panel().CreateEntity("Customer", false);
  AddProperty(entity, "Id", true);
  TMethod* check = AddMethod(entity, "Check", true);
  TEntityEvent* event = AddEntityEvent(entity, "Checked", false);
  panel().DragDrop(*event, 420, 320);
  event->SetSourceEntity(&entity);
  event->SetSourceMethod(check);
  panel().ShowActivePage();
  ExpectShownAsPaintedAfresh("an event line to a method row");
  AddProperty(entity, "Name", true);
  ExpectShownAsPaintedAfresh("a property added above the method row");
  entity.SetSelectedProperty(entity.PropertyByIndex(0));
  entity.RemoveSelectedProperty();
  ExpectShownAsPaintedAfresh("a property removed above it");
}

TEST_F(HostPaint, TheExportedPictureIsTheDiagramDrawnWhole) {
  for (const char* page : {"First", "Second"}) {
    panel().SetActivePageName(page);
    panel().ShowActivePage();
    QImage expected(panel().Width(), panel().Height(), QImage::Format_RGB32);
    {
      QPainter painter(&expected);
      QtCanvas canvas(painter);
      panel().DrawPicture(canvas, expected.width(), expected.height());
    }
    panel().DrawToBitmap();
    const QImage& actual = dynamic_cast<QtBitmap&>(*panel().GetBitmap()).image();
    EXPECT_TRUE(actual.convertToFormat(QImage::Format_RGB32) == expected) << page;
  }
  // At a scale, the picture is drawn in its own pixels, as a canvas zoomed as much draws the page,
  // not enlarged from the picture at 100 %.
  const std::string scaled = (std::filesystem::temp_directory_path() / "quorvane-scaled.png").string();
  ExportFormatOf(scaled)->WriteAtScale(panel(), scaled, 2);
  DeferredCanvas zoomed;
  zoomed.setZoom(TViewZoom(2000));
  QImage expected(2 * panel().Width(), 2 * panel().Height(), QImage::Format_RGB32);
  zoomed.setWholePicture(expected.rect());
  panel().DrawPicture(zoomed, panel().Width(), panel().Height());
  zoomed.drawOnto(expected, QPoint(), expected.rect());
  EXPECT_TRUE(QImage(QString::fromStdString(scaled)).convertToFormat(QImage::Format_RGB32) == expected);
  std::filesystem::remove(scaled);
}
}  // namespace

// On a high-density screen the diagram is drawn in the screen's own pixels: a part of the window at
// a device pixel ratio shows, pixel for pixel, what a screen of ratio 1 shows of it with the view
// zoomed by that ratio (at 50 % and ratio 2, the diagram at 100 %), however the part's edges fall.
TEST_F(HostPaint, AtADevicePixelRatioTheDiagramIsDrawnInTheDevicesPixels) {
  struct Case {
    int zoom;
    double ratio;
    int sameAs;
  };
  const Case cases[] = {{500, 2, 1000}, {1000, 2, 2000}, {1000, 1.5, 1500}, {2000, 1.25, 2500}, {750, 1.5, 1125}};
  const QRect part(33, 41, 301, 203);
  for (const Case& c : cases) {
    const QRect device(QPoint(static_cast<int>(std::ceil(part.left() * c.ratio)), static_cast<int>(std::ceil(part.top() * c.ratio))),
                       QPoint(static_cast<int>((part.right() + 1) * c.ratio) - 1, static_cast<int>((part.bottom() + 1) * c.ratio) - 1));
    host().setZoom(TViewZoom(c.sameAs));
    QImage expected(device.right() + 4, device.bottom() + 4, QImage::Format_RGB32);
    expected.fill(Qt::magenta);
    host().render(&expected, device.topLeft(), QRegion(device));
    host().setZoom(TViewZoom(c.zoom));
    QImage actual(expected.size(), QImage::Format_RGB32);
    actual.setDevicePixelRatio(c.ratio);
    actual.fill(Qt::magenta);
    host().render(&actual, part.topLeft(), QRegion(part));
    actual.setDevicePixelRatio(1);
    EXPECT_TRUE(actual.copy(device) == expected.copy(device)) << c.zoom << " at ratio " << c.ratio;
  }
}
