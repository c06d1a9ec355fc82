// The surface menu and its commands on the diagram as a whole: files, the page editor, schema
// import and picture export.
#include <algorithm>
#include <filesystem>
#include <optional>

#include "editor_window.h"
#include "ooa_panel.h"
#include "own_surface_items.h"
#include "picture_file.h"
#include "platform.h"
#include "text.h"
#include "toolkit_error.h"

namespace {
const char kSeparator = std::filesystem::path::preferred_separator;

// The folder of a chosen file, ending in the separator; a bare file name lies in the working folder.
std::string FolderOf(const std::string& fileName) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(fileName), error);
  if (error) path = std::filesystem::path(fileName);
  std::string folder = path.parent_path().string();
  if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == kSeparator) return folder + name;
  return folder + kSeparator + name;
}

// Whether the two names stand for one file: the same file when both exist (a link or another
// spelling of its path included), else the same absolute path.
bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error) && !error) return true;
  const auto absolute = [](const std::string& name) {
    std::error_code ignored;
    return std::filesystem::absolute(name, ignored).lexically_normal();
  };
  return absolute(a) == absolute(b);
}

// The file a diagram saved as the chosen name goes to: the name itself when its extension is
// ".ERD" in any letter case, else the name with ".ERD" added ("library.v2" is "library.v2.ERD").
std::string WithDiagramExtension(const std::string& chosen) {
  const std::string extension = std::filesystem::path(chosen).extension().string();
  return SameText(extension, ".ERD") ? chosen : chosen + ".ERD";
}
}  // namespace

void TOOAPanel::BuildSurfaceMenu() {
  PopupMenu& menu = *surfaceMenu_;
  menu.Add(MenuTitle(true));
  menu.Add("-");
  menu.Add("-> Select Display Page", [this] { SelectDisplayPage(); });
  menu.Add("-> Load Diagram ", [this] { LoadDiagramCommand(); });
  menu.Add("-> Close Diagram ", [this] { CloseDiagramCommand(); });
  menu.Add("-> Save Diagram ", [this] { SaveDiagramCommand(); });
  menu.Add("-> Save Diagram As", [this] { SaveDiagramAsCommand(); });
  menu.Add("-> Create Entity", [this] { Edit("Create Entity", {}, [this] { CreateEntity("", false); }); });
  menu.Add("-> Create Entity With SDF (Tarnesk Export Schema) File", [this] {
    if (FileHandlers.ImportSchemaFile) Edit("Import Schema", {}, [this] { FileHandlers.ImportSchemaFile(*this); });
  });
  menu.Add("-> Create New Page", [this] { CreatePage(); });
  menu.Add("-> Current Page Rename", [this] { RenameActivePage(); });
  menu.Add("-> Remove Exists Page", [this] { RemoveExistsPage(); });
  menu.Add("-> Save Diagram To BitMap File", [this] { SaveToBitmapCommand(); });
  menu.Add("-> Page Editor", [this] { PageEditorCommand(); });
  ownItems_ = std::make_unique<TOwnSurfaceItems>(*this, menu);
}

void TOOAPanel::ImportDatabaseFileCommand() {
  if (FileHandlers.ImportDatabaseFile) FileHandlers.ImportDatabaseFile(*this);
}

void TOOAPanel::ImportPostgresCommand() {
  if (FileHandlers.ImportPostgres) FileHandlers.ImportPostgres(*this);
}

void TOOAPanel::ZoomCommand(TZoomCommand command) {
  if (editorWindow_) editorWindow_->ZoomView(command);
}

void TOOAPanel::ViewZoomed(const TViewZoom& zoom) {
  if (ownItems_) ownItems_->ViewZoomed(zoom);
}

void TOOAPanel::HistoryChanged() {
  if (DiagramChanged) DiagramChanged();
  if (ownItems_) ownItems_->HistoryChanged(history_);
}

void TOOAPanel::UndoCommand() { history_.Undo(); }
void TOOAPanel::RedoCommand() { history_.Redo(); }

bool TOOAPanel::MayReplace(const std::string& fileName, const std::string& caption) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(fileName, error);
  // Nothing there, or a folder, which no save replaces (it fails, as it says).
  if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) return true;
  return platform_.AskYesNo(std::filesystem::path(fileName).filename().string() + " already exists.\nDo you want to replace it?",
                            caption);
}

bool TOOAPanel::MayWritePicture(const std::string& fileName, const std::string& caption) {
  if (SameFile(fileName, diagramFile_)) {
    platform_.ShowMessage("A picture cannot replace the diagram's own file \"" + diagramFile_ + "\".");
    return false;
  }
  return MayReplace(fileName, caption);
}

void TOOAPanel::SaveToBitmapCommand() {
  FileDialogOptions options;
  // Proposed in the diagram folder: there is no drive root to propose on this system.
  options.FileName = JoinFolder(diagramFolder_, "NoName.bmp");
  options.DefaultExt = "bmp";
  options.Filter = "Windows BitMap File|*.bmp";
  const auto chosen = platform_.SaveFileDialog(options);
  if (chosen && MayWritePicture(*chosen, "Save Diagram To BitMap File")) SavePictureFile(*chosen);
}

void TOOAPanel::ExportPageCommand() {
  FileDialogOptions options;
  // Proposed by the page's name, as far as a file name can hold it.
  const std::string name = activePageName_.empty() ? std::string("NoName") : PageNameForFile(activePageName_);
  options.FileName = JoinFolder(diagramFolder_, name + ".png");
  options.Filter = "PNG Picture|*.png|SVG Drawing|*.svg|PDF Document|*.pdf|Windows BitMap File|*.bmp";
  options.SuffixFromFilter = true;
  options.Title = "Export Page As";
  const auto chosen = platform_.SaveFileDialog(options);
  if (chosen && MayWritePicture(*chosen, options.Title)) SavePictureFile(*chosen);
}

void TOOAPanel::ClipboardCommand(TClipboardAction action, TPoint at) {
  if (FileHandlers.Clipboard) FileHandlers.Clipboard(*this, action, at);
}

void TOOAPanel::ExportDocumentationCommand() {
  if (!FileHandlers.ExportDocumentation) return;
  FileDialogOptions options;
  const std::string name = diagramName_.empty() ? std::string("NoName") : PageNameForFile(diagramName_);
  options.FileName = JoinFolder(diagramFolder_, name + ".md");
  options.Filter = "Markdown|*.md|HTML|*.html";
  options.SuffixFromFilter = true;
  options.Title = "Export Documentation";
  const auto chosen = platform_.SaveFileDialog(options);
  // Never over the diagram's own file, as no picture goes there either.
  if (chosen && MayWritePicture(*chosen, options.Title)) FileHandlers.ExportDocumentation(*this, *chosen);
}

void TOOAPanel::PrintCommand() {
  const std::optional<TFormAnswer> answer = platform_.AskForm(PrintJobForm(printJob_, static_cast<int>(ownPageList_.size())));
  if (!answer) return;
  printJob_ = PrintJobOf(*answer, printJob_);
  // The active page as it stands, or every page of the page list in its order.
  const std::vector<std::string> pages = printJob_.Pages == TPrintPages::All ? ownPageList_ : TEntryList();
  const int count = std::max<int>(1, static_cast<int>(pages.size()));
  const std::string active = activePageName_;
  KeepingActivePage([&] {
    platform_.PrintDrawing(printJob_, Width(), Height(), diagramName_, count, [&](Canvas& canvas, int page) {
      DrawPageOf(pages, page, canvas);
      // The preview draws every page again whenever its sheets change; the window behind it goes on
      // showing the active page meanwhile.
      if (!pages.empty() && page + 1 == count) ShowPage(active);
    });
  });
}

void TOOAPanel::DrawPageOf(const std::vector<std::string>& pages, int page, Canvas& canvas) {
  if (page >= 0 && static_cast<size_t>(page) < pages.size()) ShowPage(pages[static_cast<size_t>(page)]);
  DrawPicture(canvas, Width(), Height());
}

void TOOAPanel::KeepingActivePage(const std::function<void()>& action) {
  const std::string active = activePageName_;
  try {
    action();
  } catch (...) {
    ShowPage(active);
    throw;
  }
  ShowPage(active);
}

void TOOAPanel::SavePictureFile(const std::string& fileName) {
  // The picture is what the name says it is: a file named page.png that held bitmap bytes would be
  // refused or misread by whatever opens it. Every other name is a Windows bitmap.
  const auto draw = [this](Canvas& canvas, int) { DrawPicture(canvas, Width(), Height()); };
  switch (PictureFileFormatOf(fileName).value_or(TPictureFileFormat::Bmp)) {
    case TPictureFileFormat::Bmp:
      SaveToBitmapFile(fileName, TPictureFormat::Bmp);
      return;
    case TPictureFileFormat::Png:
      SaveToBitmapFile(fileName, TPictureFormat::Png);
      return;
    case TPictureFileFormat::Svg:
      platform_.SaveDrawingFile(fileName, TDrawingFormat::Svg, Width(), Height(), diagramName_, 1, draw);
      return;
    case TPictureFileFormat::Pdf:
      platform_.SaveDrawingFile(fileName, TDrawingFormat::Pdf, Width(), Height(), diagramName_, 1, draw);
      return;
  }
}

void TOOAPanel::LoadDiagramCommand(bool inLastFolder) {
  FileDialogOptions options;
  options.Filter = "ER Diagram File|*.ERD";
  options.DefaultExt = "*.ERD";
  // The last folder used (opened from, saved to, or the newest recent diagram's before either).
  if (inLastFolder) options.InitialDir = diagramFolder_;
  const auto chosen = platform_.OpenFileDialog(options);
  if (!chosen) return;
  OpenDiagramCommand(*chosen);
}

void TOOAPanel::OpenDiagramCommand(const std::string& fileName) {
  EditAll("Load Diagram " + std::filesystem::path(fileName).stem().string(), [&] { OpenDiagramFile(fileName); },
          TEditReach::WholeDiagram);
  history_.MarkClean();
}

void TOOAPanel::OpenRecentDiagramCommand(const std::string& fileName) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) {
    std::vector<std::string> left = recentDiagrams_;
    std::erase(left, fileName);
    SetRecentDiagrams(std::move(left));
    // As the command line tells a diagram that is not there.
    throw EToolkitError("Cannot open file \"" + fileName + "\". No such file or directory");
  }
  OpenDiagramCommand(fileName);
}

void TOOAPanel::SetRecentDiagrams(std::vector<std::string> files) {
  recentDiagrams_ = std::move(files);
  if (ownItems_) ownItems_->RecentDiagramsChanged(recentDiagrams_);
}

void TOOAPanel::OpenDiagramFile(const std::string& fileName) {
  LoadDiagramFile(fileName);
  diagramFolder_ = FolderOf(fileName);
  // The reader leaves the diagram as it was when there is no such file: then it is not the diagram's.
  std::error_code error;
  if (!std::filesystem::exists(fileName, error)) return;
  diagramFile_ = fileName;
  if (FileHandlers.DiagramFileUsed) FileHandlers.DiagramFileUsed(*this, fileName);
}

void TOOAPanel::CloseDiagramCommand() {
  EditAll("Close Diagram " + diagramName_, [this] { CloseDiagram(); }, TEditReach::WholeDiagram);
  RefreshPageEditor();
}

void TOOAPanel::SaveDiagramCommand() {
  // The diagram's own file, the one it was read from or last saved as; a diagram that has none yet
  // is saved as the user chooses, never into a name of the editor's own making.
  if (diagramFile_.empty()) {
    SaveDiagramAsCommand();
    return;
  }
  WriteDiagramFile(diagramFile_);
}

void TOOAPanel::SaveDiagramAsCommand() {
  const std::string name = diagramName_.empty() ? "NewDiagram" : diagramName_;
  FileDialogOptions options;
  // Proposed in the diagram folder: there is no drive root to propose on this system.
  options.FileName = JoinFolder(diagramFolder_, name + ".ERD");
  options.DefaultExt = "ERD";
  options.Filter = "ER Diagram File|*.ERD";
  const auto chosen = platform_.SaveFileDialog(options);
  if (!chosen) return;
  // Exactly the file chosen, as its folder spells it; another file than the diagram's own is
  // replaced only when the user says so.
  std::string fileName = WithDiagramExtension(*chosen);
  if (FileHandlers.FileToWrite) fileName = FileHandlers.FileToWrite(fileName);
  if (!SameFile(fileName, diagramFile_) && !MayReplace(fileName, "Save Diagram As")) return;
  // Taken before the write, and kept when it fails: the next Save tries the same file again.
  diagramFolder_ = FolderOf(*chosen);
  const std::string chosenName = std::filesystem::path(*chosen).filename().string();
  diagramName_ = chosenName.substr(0, chosenName.find('.'));
  diagramFile_ = fileName;
  WriteDiagramFile(fileName);
}

void TOOAPanel::WriteDiagramFile(const std::string& fileName) {
  if (!FileHandlers.WriteDiagramFile) return;
  FileHandlers.WriteDiagramFile(*this, fileName);
  history_.MarkClean();
  if (FileHandlers.DiagramFileUsed) FileHandlers.DiagramFileUsed(*this, fileName);
}

void TOOAPanel::PageEditorCommand() {
  if (pageEditorShown_ || !editorWindow_) return;
  pageEditorShown_ = true;
  const int dialogWidth = editorWindow_->ShowPageEditor(*this);
  editorWindow_->SetMainWindowWidth(editorWindow_->ScreenWidth() - dialogWidth);
}

void TOOAPanel::SaveDiagramFile(const std::string& fileName) {
  if (fileName.empty()) return;
  if (!FileHandlers.SaveDiagramFile) return;
  FileHandlers.SaveDiagramFile(*this, fileName);
  history_.MarkClean();
}

void TOOAPanel::LoadDiagramFile(const std::string& fileName) {
  if (FileHandlers.LoadDiagramFile) FileHandlers.LoadDiagramFile(*this, fileName);
}
