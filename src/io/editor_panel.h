// The editor's panel, as the window and the jobs without a display both make it.
#pragma once

class TOOAPanel;

// Makes a fresh panel the editor's: a surface of TOOAPanel::EditorSurfaceSize on each side, the
// entity menu's own line "Add New Property", and the commands that save, load, import and export files.
void SetUpEditorPanel(TOOAPanel& panel);
