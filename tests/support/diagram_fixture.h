// A panel on a scripted platform and window, 2048 by 2048 as the main window makes it, with helpers that build
// pages and entities without questions.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "entity.h"
#include "ooa_panel.h"
#include "scripted_platform.h"

class DiagramTest : public ::testing::Test {
 protected:
  DiagramTest() {
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    panel.SetEditorWindow(&window);
  }
  void TearDown() override { EXPECT_TRUE(platform.ScriptDone()) << "answers left in the script"; }

  // Creates a page through the menu command; the first one becomes active.
  void AddPage(const std::string& name) {
    platform.Type(name);
    panel.CreatePage();
  }
  // Creates an entity at (x, y) of the active page, described as desc.
  TEntity& AddEntity(const std::string& desc, int x = 40, int y = 30) {
    panel.SetLastMouse(x, y);
    return panel.CreateEntity(desc, false);
  }

  ScriptedPlatform platform;
  ScriptedEditorWindow window;
  TOOAPanel panel{platform};
};
