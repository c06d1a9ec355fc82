// The exported picture, pixel by pixel: size, white face and black frame, the entity's colour,
// relation and event lines where the anchor points put them, and nothing of what is off the page.
#include <QColor>
#include <QImage>
#include <QPrinter>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "drawing_print.h"
#include "editor_panel.h"
#include "entity.h"
#include "entity_event.h"
#include "headless_platform.h"
#include "io_test_support.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "qt_bitmap.h"
#include "relation.h"

namespace {
QRgb Rgb(TColor colour) { return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

// Customer at (100, 50) with CustNo and Check, Order at (700, 300) with Ref and Ship, a relation
// from CustNo to Ref at (350, 400) and an event from Check to Ship at (350, 600), on NewPage1.
struct Scene {
  Scene() {
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
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
  // The right edge of Customer's box, where its rows' lines and call brackets start.
  int CustomerRight() const { return customer->Left() + customer->Width(); }

  // Every question gets its proposal, every Yes/No box Yes.
  struct AgreeingPlatform : HeadlessPlatform {
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
  } platform;
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

class BitmapExport : public ::testing::Test, public Scene {};

// A pixel of the exported picture and the colour it must have.
struct Probe {
  QPoint at;
  QRgb colour;
};
}  // namespace

TEST_F(BitmapExport, WhiteFaceInAOnePixelBlackFrame) {
  HeadlessPlatform own;
  TOOAPanel empty(own);
  empty.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
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
  order->SetActivePages({"Other @700,300"});
  event->SetActivePages({"Other @350,600"});
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

// A selected row's text colour stays with the row: neither what is drawn after it (the next
// entity's title here) nor the next export takes it.
TEST_F(BitmapExport, ASelectedRowsTextColourReachesNothingElse) {
  const QRect orderTitle(order->Left() + 1, order->Top() + 1, order->Width() - 2, 18);
  const QImage plain = Export().copy(orderTitle);
  check->MouseDown(TMouseButton::Right, 0, 1, 1);  // Customer's last row: its text is red
  const QImage first = Export().copy();
  EXPECT_EQ(first.copy(orderTitle), plain);
  EXPECT_EQ(Export(), first);
}

// What each change leaves in the picture: lines where their rows now stand and only where their
// box shows, brackets only beside shown rows and never over one another, every box as tall as the
// rows it shows.
// The file keeps calls, so a diagram read back from it draws the same brackets, pixel for pixel.
TEST_F(BitmapExport, CallsLookTheSameAfterTheirFile) {
  TMethod* audit = AddMethod(*customer, "Audit", true);
  TMethod* save = AddMethod(*customer, "Save", true);
  customer->SetSelectedMethod(check);
  save->DefineCall();
  customer->SetSelectedMethod(audit);
  check->DefineCall();
  customer->SetSelectedMethod(nullptr);  // the selection is not the file's
  custNo->SetDataType(pdtDouble);
  panel.ShowActivePage();
  const QImage before = Export().copy();
  Scene again;
  LoadDiagramText(again.panel, DiagramFileText(panel));
  EXPECT_EQ(DiagramFileText(again.panel), DiagramFileText(panel));
  EXPECT_EQ(again.Export(), before);
  EXPECT_NE(before, Scene().Export()) << "the calls show in the picture";
}

TEST(PictureAfterChanges, ShowsWhatTheScreenShows) {
  const QRgb white = qRgb(255, 255, 255);
  const std::vector<std::pair<const char*, std::function<std::vector<Probe>(Scene&)>>> cases = {
      {"a row removed above a linked row",
       [&](Scene& s) {
         TProperty* name = AddProperty(*s.customer, "Name", true);
         s.relation->SetSourceProperty(name);
         s.panel.ShowActivePage();
         const int oldY = name->Anchors().Y;
         s.customer->SetSelectedProperty(s.custNo);
         s.customer->RemoveSelectedProperty();
         const int y = s.customer->Top() + name->Top() + name->Height() / 2;
         return std::vector<Probe>{{{s.CustomerRight() + 5, y}, Rgb(clrRed)}, {{s.CustomerRight() + 5, oldY}, white}};
       }},
      {"the owner hides its properties, and its relation box with them",
       [&](Scene& s) {
         const TAnchorPoints box = s.relation->Anchors();
         s.customer->HideAllProperty();
         return std::vector<Probe>{{{box.LeftX - 5, box.Y}, white}, {{box.RightX + 5, box.Y}, white}};
       }},
      {"a call of an entity that is not on the page",
       [&](Scene& s) {
         TMethod* audit = AddMethod(*s.customer, "Audit", true);
         s.check->SetCallMethod(audit);
         s.check->SetCallMethodLineDistance(1);
         s.panel.ShowActivePage();
         const QPoint bracket(s.CustomerRight() + 64, (s.check->Anchors().Y + audit->Anchors().Y) / 2);
         s.customer->SetActivePages({"Elsewhere @100,50"});
         s.panel.ShowActivePage();
         return std::vector<Probe>{{bracket, white}};
       }},
      {"a call made after another call went: the free spacing, not over the other bracket",
       [&](Scene& s) {
         TMethod* second = AddMethod(*s.customer, "Second", true);
         TMethod* third = AddMethod(*s.customer, "Third", true);
         TMethod* fourth = AddMethod(*s.customer, "Fourth", true);
         s.panel.ShowActivePage();
         auto call = [&](TMethod* from, TMethod* to) {
           s.customer->SetSelectedMethod(from);
           to->DefineCall();
         };
         call(s.check, second);
         call(third, fourth);
         s.customer->SetSelectedMethod(second);
         s.customer->RemoveSelectedMethod();  // check's call goes with it
         call(s.check, fourth);
         const int y = (s.check->Anchors().Y + third->Anchors().Y) / 2;
         return std::vector<Probe>{{{s.CustomerRight() + 10, y}, qRgb(0, 0, 0)}, {{s.CustomerRight() + 64, y}, white}};
       }},
      {"methods hidden by an entry read from a file: the box ends below its last shown row",
       [&](Scene& s) {
         s.customer->SetActivePages({"NewPage1 @100,50,HIDE METHOD"});
         s.panel.ShowActivePage();
         const int bottom = s.customer->Top() + s.custNo->Top() + s.custNo->Height();
         return std::vector<Probe>{{{s.customer->Left() + 2, bottom}, qRgb(0, 0, 0)}, {{s.customer->Left() + 2, bottom + 4}, white}};
       }},
  };
  for (const auto& [name, change] : cases) {
    Scene scene;
    const std::vector<Probe> probes = change(scene);
    const QImage& image = scene.Export();
    for (const Probe& probe : probes)
      EXPECT_EQ(image.pixel(probe.at), probe.colour) << name << " at " << probe.at.x() << "," << probe.at.y();
  }
}

// Printed to a PDF file through QPrinter: the job's sheets on the paper in its orientation; a page
// fitted to one sheet holds its --export PDF's text in the order drawn (reading order varies by scale).
TEST(Print, ToAPdfFileTheJobsSheetsWithTheExportsDrawing) {
  TTempFolder folder;
  HeadlessPlatform platform;
  TOOAPanel panel(platform);
  SetUpEditorPanel(panel);
  panel.OpenDiagramFile(QUORVANE_EXAMPLES_DIR "/shop.ERD");
  const auto print = [&](const TPrintJob& job, const std::string& file) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(file));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(job.Orientation == TSheetOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const TEntryList printed = job.Pages == TPrintPages::All ? panel.OwnPageList() : TEntryList();
    PrintDrawingOn(printer, job, panel.Width(), panel.Height(), std::max<int>(1, static_cast<int>(printed.size())),
                   [&](Canvas& canvas, int page) { panel.DrawPageOf(printed, page, canvas); });
    return Shell("pdfinfo " + file + " | grep '^Page'");
  };
  const std::pair<TPrintJob, const char*> cases[] = {
      {{TPrintPages::Active, 1, 1, 10, TSheetOrientation::Portrait}, "Pages:           1\nPage size:       595 x 842"},
      {{TPrintPages::Active, 3, 2, 10, TSheetOrientation::Landscape}, "Pages:           6\nPage size:       842 x 595"},
      {{TPrintPages::All, 2, 1, 0, TSheetOrientation::Portrait}, "Pages:           6\nPage size:       595 x 842"},
  };
  for (const auto& [job, sheets] : cases)
    EXPECT_NE(print(job, folder / "sheets.pdf").find(sheets), std::string::npos) << sheets;
  print(cases[0].first, folder / "printed.pdf");
  panel.SavePictureFile(folder / "exported.pdf");
  const std::string text = Shell("pdftotext -raw " + folder / "exported.pdf" + " -");
  EXPECT_NE(text.find("Customer"), std::string::npos) << text;
  EXPECT_EQ(Shell("pdftotext -raw " + folder / "printed.pdf" + " -"), text);
}
