// The exported picture, pixel by pixel: size, white face and black frame, the entity's colour,
// relation and event lines where the anchor points put them, and nothing of what is off the page.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include "entity.h"
#include "entity_event.h"
#include "headless_platform.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "qt_bitmap.h"
#include "relation.h"

namespace {
QRgb Rgb(TColor colour) { return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

class BitmapExport : public ::testing::Test {
 protected:
  BitmapExport() {
    panel.SetBounds(0, 0, 2048, 2048);
    panel.CreatePage();  // answered with its proposal, NewPage1
    panel.SetLastMouse(100, 50);
    customer = &panel.CreateEntity("Customer", false);
    panel.SetLastMouse(700, 300);
    order = &panel.CreateEntity("Order", false);
    custNo = AddProperty(*customer, "CustNo", true);
    check = AddMethod(*customer, "Check", true);
    ref = AddProperty(*order, "Ref", true);
    ship = AddMethod(*order, "Ship", true);
    relation = AddRelation(*customer, "places", false);
    panel.DragDrop(*relation, 350, 400);
    relation->SetSourceEntity(customer);
    relation->SetSourceProperty(custNo);
    relation->SetTargetEntity(order);
    relation->SetTargetProperty(ref);
    event = AddEntityEvent(*customer, "Checked", false);
    panel.DragDrop(*event, 350, 600);
    event->SetSourceEntity(customer);
    event->SetSourceMethod(check);
    event->SetTargetEntity(order);
    event->SetTargetMethod(ship);
    panel.ShowActivePage();
  }

  const QImage& Export() {
    panel.DrawToBitmap();
    return dynamic_cast<QtBitmap&>(*panel.GetBitmap()).image();
  }

  HeadlessPlatform platform;
  TOOAPanel panel{platform};
  TEntity* customer = nullptr;
  TEntity* order = nullptr;
  TProperty* custNo = nullptr;
  TProperty* ref = nullptr;
  TMethod* check = nullptr;
  TMethod* ship = nullptr;
  TRelation* relation = nullptr;
  TEntityEvent* event = nullptr;
};
}  // namespace

TEST_F(BitmapExport, WhiteFaceInAOnePixelBlackFrame) {
  HeadlessPlatform own;
  TOOAPanel empty(own);
  empty.SetBounds(0, 0, 2048, 2048);
  empty.DrawToBitmap();
  const QImage& image = dynamic_cast<QtBitmap&>(*empty.GetBitmap()).image();
  ASSERT_EQ(image.size(), QSize(2048, 2048));
  for (QPoint corner : {QPoint(0, 0), QPoint(2047, 0), QPoint(0, 2047), QPoint(2047, 2047), QPoint(1000, 0)})
    EXPECT_EQ(image.pixel(corner), qRgb(0, 0, 0)) << corner.x() << "," << corner.y();
  for (QPoint inside : {QPoint(1, 1), QPoint(2046, 2046), QPoint(1024, 1024)})
    EXPECT_EQ(image.pixel(inside), qRgb(255, 255, 255)) << inside.x() << "," << inside.y();
}

TEST_F(BitmapExport, EntitiesInTheirColourWithBlackFrames) {
  const QImage& image = Export();
  EXPECT_EQ(image.pixel(102, 52), qRgb(224, 228, 139));
  EXPECT_EQ(image.pixel(100, 60), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(102, 50 + custNo->Top() + 2), qRgb(255, 255, 255)) << "inside the property row";
  EXPECT_EQ(image.pixel(101, 50 + custNo->Top()), Rgb(clrSilver)) << "the row's frame";
}

TEST_F(BitmapExport, RelationLinesWhereTheAnchorsPutThem) {
  const QImage& image = Export();
  const TAnchorPoints box = relation->Anchors();
  const TAnchorPoints source = custNo->Anchors();
  const TAnchorPoints target = ref->Anchors();
  // The box stands right of Customer and left of Order.
  ASSERT_LT(source.CentreX, box.CentreX);
  ASSERT_LT(box.CentreX, target.CentreX);
  EXPECT_EQ(image.pixel(box.LeftX - 5, box.Y), Rgb(clrRed));
  EXPECT_EQ(image.pixel(source.RightX + 5, source.Y), Rgb(clrRed));
  EXPECT_EQ(image.pixel(box.RightX + 5, box.Y), Rgb(clrGreen));
  EXPECT_EQ(image.pixel(target.LeftX - 5, target.Y), Rgb(clrGreen));
}

TEST_F(BitmapExport, EventLinesWhereTheAnchorsPutThem) {
  const QImage& image = Export();
  const TAnchorPoints box = event->Anchors();
  const TAnchorPoints trigger = check->Anchors();
  const TAnchorPoints target = ship->Anchors();
  EXPECT_EQ(image.pixel(box.LeftX - 8, box.Y), Rgb(clrBlue));
  EXPECT_EQ(image.pixel(trigger.RightX + 5, trigger.Y), Rgb(clrBlue));
  EXPECT_EQ(image.pixel(box.LeftX - 3, box.Y - 3), Rgb(clrBlue)) << "the arrowhead into the box";
  EXPECT_EQ(image.pixel(box.RightX + 5, box.Y), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(target.LeftX - 3, target.Y - 3), qRgb(0, 0, 0)) << "the arrowhead into the row";
  EXPECT_EQ(image.pixel(event->Left() + 12, event->Top() + 3), Rgb(TEntityEvent::FillColour));
  EXPECT_EQ(image.pixel(event->Left() + 12, event->Top()), Rgb(TEntityEvent::OutlineColour));
}

TEST_F(BitmapExport, WhatIsOffThePageIsLeftOut) {
  order->ActivePages() = {"Other @700,300"};
  event->ActivePages() = {"Other @350,600"};
  const QImage& image = Export();
  EXPECT_EQ(image.pixel(702, 302), qRgb(255, 255, 255)) << "the entity";
  EXPECT_EQ(image.pixel(relation->Anchors().RightX + 5, relation->Anchors().Y), qRgb(255, 255, 255))
      << "the line to a target off the page";
  EXPECT_EQ(image.pixel(event->Left() + 20, event->Top() + 10), qRgb(255, 255, 255)) << "the event box";
  EXPECT_EQ(image.pixel(relation->Anchors().LeftX - 5, relation->Anchors().Y), Rgb(clrRed));
}

TEST_F(BitmapExport, NothingOfAnEarlierExportShowsInALaterOne) {
  Export();
  panel.DragDrop(*customer, 1200, 1200);
  const QImage& image = Export();
  EXPECT_EQ(image.pixel(102, 52), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(1202, 1202), qRgb(224, 228, 139));
}

TEST_F(BitmapExport, ASelectedRowsTextColourDoesNotReachTheNextExport) {
  custNo->MouseDown(TMouseButton::Right, 0, 1, 1);  // selected: its text is blue
  const QImage first = Export().copy();
  const QImage second = Export().copy();
  EXPECT_EQ(first, second);
}
