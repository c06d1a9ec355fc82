// The window a panel is shown in, as far as the diagram's commands reach it: the page editor that
// docks beside it and the width of the main window that makes room for it. The editor's window
// implements it; a panel without a window (the command line, a test) has no page editor.
#pragma once

#include "view_zoom.h"

class TOOAPanel;

class TEditorWindow {
 public:
  virtual ~TEditorWindow() = default;

  // The width of the screen area the window stands on, which the main window and the page editor
  // share.
  virtual int ScreenWidth() = 0;
  // Shows a fresh page editor bound to the panel (freeing an earlier, closed one) and returns its
  // width, frame included.
  virtual int ShowPageEditor(TOOAPanel& panel) = 0;
  // Reloads the page editor from the panel it is bound to.
  virtual void RefreshPageEditor() = 0;
  // The panel is going: frees the page editor unless it serves another panel, so that no dialog is
  // left pointing at it.
  virtual void DestroyPageEditor(TOOAPanel& panel) = 0;
  // The main window's new width, frame included.
  virtual void SetMainWindowWidth(int width) = 0;
  // Zooms the window's view of the surface: a view setting, no part of the diagram or its history.
  virtual void ZoomView(TZoomCommand command) = 0;
};
