// The main window on a desktop with a window manager (run by scripts/with_window_manager.sh under a
// virtual display): once framed, the whole window, frame included, lies within the screen's work
// area at its full height; beside the docked page editor too, and after the editor closes. On
// Wayland (scripts/with_wayland_compositor.sh), which places windows itself, the page editor stands
// inside the main window instead, and the window fits the screen.
#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

#include "diagram_host.h"
#include "diagram_status_bar.h"
#include "main_window.h"
#include "ooa_panel.h"
#include "page_editor_dialog.h"
#include "popup_menu.h"
#include "qt_editor_window.h"

namespace {
std::string Describe(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height());
}

TEST(DesktopWindow, LiesWithinTheWorkAreaFrameIncluded) {
  TfMain window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }, 10000))
      << "no window manager framed the window";
  const QRect area = window.screen()->availableGeometry();
  const auto settledWithin = [&](const QWidget& widget) {
    return QTest::qWaitFor([&] { return area.contains(widget.frameGeometry()); }, 3000);
  };
  EXPECT_TRUE(settledWithin(window)) << Describe(window.frameGeometry()) << " in " << Describe(area);
  EXPECT_EQ(window.frameGeometry().top(), area.top());
  EXPECT_EQ(window.frameGeometry().bottom(), area.bottom()) << "the full height of the area";

  window.panel().SurfaceMenu().Find("-> Page Editor")->Click();
  TEREditDlg* editor = window.editorWindow().pageEditor();
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor->frameGeometry() != editor->geometry(); }, 10000));
  EXPECT_TRUE(settledWithin(*editor)) << Describe(editor->frameGeometry()) << " in " << Describe(area);
  EXPECT_TRUE(settledWithin(window)) << Describe(window.frameGeometry()) << " beside the page editor";
  EXPECT_FALSE(window.frameGeometry().intersects(editor->frameGeometry()))
      << Describe(window.frameGeometry()) << " and " << Describe(editor->frameGeometry());

  editor->close();
  QTest::qWait(300);
  EXPECT_TRUE(settledWithin(window)) << Describe(window.frameGeometry()) << " after the page editor closed";
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &window.host(); }, 3000))
      << "the keyboard is back on the surface";
}

TEST(WaylandWindow, ThePageEditorStandsInsideBesideTheDiagram) {
  ASSERT_TRUE(QGuiApplication::platformName().startsWith("wayland")) << QGuiApplication::platformName().toStdString();
  TfMain window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect area = window.screen()->availableGeometry();
  const auto fits = [&] { return window.frameGeometry().size().boundedTo(area.size()) == window.frameGeometry().size(); };
  window.panel().SurfaceMenu().Find("-> Page Editor")->Click();
  TEREditDlg* editor = window.editorWindow().pageEditor();
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor->isVisible() && editor->x() + editor->width() == window.width(); }, 3000));
  EXPECT_EQ(editor->parentWidget(), &window);
  EXPECT_EQ(editor->geometry(), QRect(window.width() - 239, 0, 239, window.height())) << Describe(window.geometry());
  const QRect diagram = window.scrollBox().geometry().united(window.statusBar().geometry());
  EXPECT_EQ(diagram, QRect(0, 0, window.width() - 239, window.height()));
  EXPECT_TRUE(fits()) << Describe(window.frameGeometry()) << " in " << Describe(area);

  editor->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.scrollBox().width() == window.width(); }, 3000)) << "the diagram takes the room back";
}
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
