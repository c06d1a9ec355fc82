// Copy, cut, paste and duplicate of diagram objects, without the clipboard itself: a copy is diagram
// text in the file's own sections (the host puts it on the clipboard), a paste reads such text back
// into the diagram. What is copied: the entities of the selection, or the selected entity when the
// selection holds none, each with its rows and calls and with the relation and event boxes it owns.
#pragma once

#include <string>
#include <vector>

#include "geometry.h"

class TEntity;
class TOOAPanel;
enum class TClipboardAction;

// The entities a copy takes, in the diagram's creation order.
std::vector<TEntity*> CopiedEntities(const TOOAPanel& panel);
// Ctrl+C: the copied entities as diagram text; empty when nothing is copied.
std::string CopyCommand(const TOOAPanel& panel);
// Ctrl+V: the text's objects added to the active page as one step "Paste", their group's top-left
// corner at `at`, the pasted objects selected (see ReadDiagramTextInto for names and links). False,
// the diagram and its history untouched, when the text is not diagram text or holds no entity.
bool PasteCommand(TOOAPanel& panel, const std::string& text, TPoint at);
// Ctrl+X: the copy's text, and the copied entities removed with their boxes, as one step "Cut".
std::string CutCommand(TOOAPanel& panel);
// Ctrl+D: the copied entities pasted again beside themselves, as one step "Duplicate".
bool DuplicateCommand(TOOAPanel& panel);
// Where Ctrl+D puts the copies: this far right and down of the originals.
constexpr TPoint kDuplicateOffset{20, 20};
// The white around the copied objects in the clipboard's picture of them.
constexpr int kCopiedPictureMargin = 10;

// The commands above through the panel's platform's clipboard: a copy or cut puts the text there with
// a picture of the copied objects as the page shows them (with nothing copied, a copy puts the
// picture of the whole page alone); a paste reads the clipboard's text.
void RunClipboardCommand(TOOAPanel& panel, TClipboardAction action, TPoint at);
// The panel's "Edit" items and keys run RunClipboardCommand.
void InstallClipboard(TOOAPanel& panel);
