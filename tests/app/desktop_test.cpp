// The main window on a desktop with a window manager (run by scripts/with_window_manager.sh under a
// virtual display): once framed, the whole window, frame included, lies within the screen's work
// area at its full height; beside the docked page editor too, and after the editor closes. On Wayland
// (scripts/with_wayland_compositor.sh) the page editor stands inside the main window instead.
#include <QApplication>
#include <QListWidget>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "diagram_host.h"
#include "diagram_status_bar.h"
#include "diagram_view.h"
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
  TfMain window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.panel().SurfaceMenu().Find("-> Page Editor")->Click();
  TEREditDlg* editor = window.editorWindow().pageEditor();
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor->x() + editor->width() == window.width(); }, 3000));
  EXPECT_EQ(editor->geometry(), QRect(window.width() - 239, 0, 239, window.height()));
  EXPECT_EQ(window.view().geometry().united(window.statusBar().geometry()), QRect(0, 0, window.width() - 239, window.height()));
  EXPECT_EQ(window.frameGeometry().size().boundedTo(window.screen()->availableGeometry().size()), window.frameGeometry().size());
  QApplication::setActiveWindow(&window);  // a headless compositor activates no window
  QTest::keyClick(editor->findChild<QListWidget*>("PageEntityList"), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(window.view().zoom().PerMille(), 1000) << "a window's key typed in the editor (Delete too) stays there";
  QTest::keyClick(&window.host(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_LT(window.view().zoom().PerMille(), 1000) << "the same key on the diagram zooms out";
  editor->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.view().width() == window.width(); }, 3000));
}
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
