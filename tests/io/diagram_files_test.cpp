// Diagram files on disk: saving replaces a file atomically or not at all, loading reads the whole
// file before the diagram is touched, and the panel's file commands reach both.
#include "diagram_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "file_access.h"
#include "io_test_support.h"
#include "property.h"
#include "toolkit_error.h"

namespace fs = std::filesystem;

namespace {
class DiagramFiles : public DiagramTest {
 protected:
  void BuildSmallDiagram(const std::string& desc) {
    AddPage("P1");
    panel.SetDiagramName("Orders");
    AddProperty(AddEntity(desc), "Id", true);
  }

  // The message of the error the step raises, or nothing.
  template <class Step>
  static std::string ErrorOf(Step step) {
    try {
      step();
    } catch (const EToolkitError& error) {
      return error.what();
    }
    return {};
  }

  // Names in the folder other than the given ones: left-over temporary files.
  static std::vector<std::string> OtherFiles(const TTempFolder& folder, const std::vector<std::string>& expected) {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
      const std::string name = entry.path().filename().string();
      if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
    }
    return others;
  }

  TTempFolder folder;
};

// A device that takes the first bytes of a file and then reports that it is full.
class FullDevice : public TFileSystemCalls {
 public:
  ssize_t Write(int fd, const char* data, size_t size) override {
    if (written_ >= 10) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t count = TFileSystemCalls::Write(fd, data, std::min<size_t>(size, 10));
    if (count > 0) written_ += static_cast<size_t>(count);
    return count;
  }

 private:
  size_t written_ = 0;
};

// Every step succeeds but the one named, which fails with the given error.
class FailingStep : public TFileSystemCalls {
 public:
  FailingStep(std::string step, int error) : step_(std::move(step)), error_(error) {}
  int CreateTemporary(std::string& pathTemplate) override {
    return Fail("create") ? -1 : TFileSystemCalls::CreateTemporary(pathTemplate);
  }
  int Sync(int fd) override { return Fail("sync") ? -1 : TFileSystemCalls::Sync(fd); }
  int Close(int fd) override {
    const int result = TFileSystemCalls::Close(fd);
    return Fail("close") ? -1 : result;
  }
  int Rename(const std::string& from, const std::string& to) override {
    return Fail("rename") ? -1 : TFileSystemCalls::Rename(from, to);
  }

 private:
  bool Fail(const char* step) const {
    if (step_ != step) return false;
    errno = error_;
    return true;
  }
  std::string step_;
  int error_;
};
}  // namespace

TEST_F(DiagramFiles, SaveWritesTheDerivedNameAndReplacesAnOldFile) {
  BuildSmallDiagram("Customer");
  WriteBytes(folder / "Orders.ERD", "old");
  SaveDiagramFile(panel, folder / "Orders.txt");
  EXPECT_EQ(ReadBytes(folder / "Orders.ERD"), DiagramFileText(panel));
  EXPECT_EQ(OtherFiles(folder, {"Orders.ERD"}), std::vector<std::string>{});
  const auto mode = fs::status(folder / "Orders.ERD").permissions();
  EXPECT_NE(mode & fs::perms::owner_read, fs::perms::none) << "an ordinary file, not a private temporary one";
  EXPECT_NE(mode & fs::perms::others_read, fs::perms::none);
}

TEST_F(DiagramFiles, SaveKeepsTheOldFilesPermissionsAndLinks) {
  BuildSmallDiagram("Customer");
  WriteBytes(folder / "Real.ERD", "old");
  fs::permissions(folder / "Real.ERD", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(folder / "Real.ERD", folder.Path() / "Orders.ERD");
  SaveDiagramFile(panel, folder / "Orders");
  EXPECT_TRUE(fs::is_symlink(folder.Path() / "Orders.ERD"));
  EXPECT_EQ(ReadBytes(folder / "Real.ERD"), DiagramFileText(panel));
  EXPECT_EQ(fs::status(folder / "Real.ERD").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(DiagramFiles, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  BuildSmallDiagram("Customer");
  const std::string target = folder / "Orders.ERD";
  const std::string full = FullFileName(target);
  WriteBytes(target, "the old diagram");
  FullDevice fullDevice;
  FailingStep cannotCreate("create", EMFILE);
  FailingStep syncFails("sync", EIO);
  FailingStep closeFails("close", EDQUOT);
  FailingStep renameFails("rename", EXDEV);
  const struct {
    const char* name;
    TFileSystemCalls& calls;
    const char* reason;
  } cases[] = {
      {"full device", fullDevice, "No space left on device"},
      {"no temporary file", cannotCreate, "Too many open files"},
      {"sync fails", syncFails, "Input/output error"},
      {"close fails", closeFails, "Disk quota exceeded"},
      {"rename fails", renameFails, "Invalid cross-device link"},
  };
  for (const auto& c : cases) {
    TScopedFileSystemCalls scoped(c.calls);
    EXPECT_EQ(ErrorOf([&] { SaveDiagramFile(panel, target); }),
              "Cannot create file \"" + full + "\". " + c.reason)
        << c.name;
    EXPECT_EQ(ReadBytes(target), "the old diagram") << c.name;
    EXPECT_EQ(OtherFiles(folder, {"Orders.ERD"}), std::vector<std::string>{}) << c.name;
  }
  SaveDiagramFile(panel, target);
  EXPECT_EQ(ReadBytes(target), DiagramFileText(panel)) << "the system's own calls are back";
}

TEST_F(DiagramFiles, SavingIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
  BuildSmallDiagram("Customer");
  const std::string target = folder / "Orders.ERD";
  WriteBytes(target, "the old diagram");
  fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  std::string error;
  {
    TAsOrdinaryUser user;
    error = ErrorOf([&] { SaveDiagramFile(panel, folder / "Orders"); });
  }
  EXPECT_EQ(error, "Cannot create file \"" + FullFileName(target) + "\". Permission denied");
  EXPECT_EQ(ReadBytes(target), "the old diagram");
  EXPECT_EQ(OtherFiles(folder, {"Orders.ERD"}), std::vector<std::string>{});
}

TEST_F(DiagramFiles, SaveRefusesTargetsItMustNotReplace) {
  BuildSmallDiagram("Customer");
  fs::create_directory(folder.Path() / "Folder.ERD");
  WriteBytes(folder / "ReadOnly.ERD", "kept");
  fs::permissions(folder / "ReadOnly.ERD", fs::perms::owner_read | fs::perms::others_read);
  // The folder takes new files from anyone: only the file itself forbids replacing it.
  fs::permissions(folder.Path(), fs::perms::all);
  std::string readOnlyError;
  {
    TAsOrdinaryUser user;
    readOnlyError = ErrorOf([&] { SaveDiagramFile(panel, folder / "ReadOnly"); });
  }
  EXPECT_EQ(readOnlyError, "Cannot create file \"" + FullFileName(folder / "ReadOnly.ERD") + "\". Permission denied");
  EXPECT_EQ(ReadBytes(folder / "ReadOnly.ERD"), "kept");
  EXPECT_EQ(ErrorOf([&] { SaveDiagramFile(panel, folder / "Folder"); }),
            "Cannot create file \"" + FullFileName(folder / "Folder.ERD") + "\". Is a directory");
  EXPECT_EQ(ErrorOf([&] { SaveDiagramFile(panel, folder / "Missing/Orders"); }),
            "Cannot create file \"" + FullFileName(folder / "Missing/Orders.ERD") + "\". No such file or directory");
  EXPECT_EQ(OtherFiles(folder, {"Folder.ERD", "ReadOnly.ERD"}), std::vector<std::string>{});
}

TEST_F(DiagramFiles, LoadingAFileThatCannotBeReadKeepsTheDiagram) {
  InstallDiagramFiles(panel);
  BuildSmallDiagram("Customer");
  const std::string before = DiagramFileText(panel);
  fs::create_directory(folder.Path() / "Folder.ERD");
  WriteBytes(folder / "Locked.ERD", DiagramFileText(panel));
  fs::permissions(folder / "Locked.ERD", fs::perms::none);
  WriteBytes(folder / "Empty.ERD", "");
  // Markers in lower case and a marker with "=" in its line (a key line) are not diagram lines.
  WriteBytes(folder / "Notes.txt", "Shopping\r\n  NAME=milk\r\n@entity\r\n#ENTITY=done\r\n");
  auto notADiagram = [](const std::string& file) {
    return "The file \"" + FullFileName(file) + "\" is not a diagram file: none of its lines begins or ends a "
           "diagram, an entity, a row, a relation or an event.";
  };
  struct {
    const char* name;
    std::string file;
    std::string error;
  } cases[] = {
      {"a folder", folder / "Folder.ERD", "Cannot open file \"" + FullFileName(folder / "Folder.ERD") + "\". Is a directory"},
      {"no right to read", folder / "Locked.ERD",
       "Cannot open file \"" + FullFileName(folder / "Locked.ERD") + "\". Permission denied"},
      // Not one line of a diagram in it: refused before the diagram is touched.
      {"an empty file", folder / "Empty.ERD", notADiagram(folder / "Empty.ERD")},
      {"a text file", folder / "Notes.txt", notADiagram(folder / "Notes.txt")},
  };
  panel.SetDiagramFolder("/kept/");
  const size_t asked = platform.CallsOf("InputBox").size();
  for (const auto& c : cases) {
    std::string error;
    {
      TAsOrdinaryUser user;
      error = ErrorOf([&] { panel.OpenDiagramFile(c.file); });
    }
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_EQ(DiagramFileText(panel), before) << c.name;
    EXPECT_TRUE(panel.Entities()[0]->Visible()) << c.name;
    EXPECT_EQ(panel.DiagramFolder(), "/kept/") << c.name;
  }
  EXPECT_EQ(platform.CallsOf("InputBox").size(), asked) << "no page asked for";
}

// What each save writes, and only that: "-> Save Diagram " the diagram's own file (the one it was
// read from or saved as; Save As when it has none), Save As exactly the file chosen (".ERD" added
// only when it has no such extension), another file than its own replaced only on Yes. Diagram files
// come from a system where letter case does not tell two files apart: the folder's file of the
// chosen name in another letter case is the one written. A picture from the menu never replaces the
// diagram's own file, and another only on Yes.
TEST_F(DiagramFiles, EachSaveWritesTheFileChosenAndAsksBeforeReplacingAnother) {
  InstallDiagramFiles(panel);
  BuildSmallDiagram("Customer");
  struct Case {
    const char* what;
    std::vector<std::string> before;  // files in the folder, each holding "old"
    std::string own;                  // the diagram's own file; empty: none
    std::string command;
    std::string pick;                 // the file chosen in the dialog
    int answer;                       // to the replace question: -1 none asked, 0 No, 1 Yes
    std::string written;              // the file written; empty: none
    std::string name = "Orders";      // the diagram's name after
  };
  const std::string save = "-> Save Diagram ", saveAs = "-> Save Diagram As", bitmap = "-> Save Diagram To BitMap File";
  const std::vector<Case> cases = {
      {"Save over the file opened", {"shop.ERD"}, "shop.ERD", save, "", -1, "shop.ERD"},
      {"Save into the file read, not its name's", {"orders.ERD", "orders.final.ERD"}, "orders.final.ERD", save, "", -1, "orders.final.ERD"},
      {"the exact name first", {"Exact.ERD", "exact.erd"}, "Exact.ERD", save, "", -1, "Exact.ERD"},
      {"Save without a file saves as", {}, "", save, "New.ERD", -1, "New.ERD", "New"},
      {"Save As onto a chosen .erd, Yes", {"plan.erd"}, "", saveAs, "plan.erd", 1, "plan.erd", "plan"},
      {"Save As onto another file, No", {"plan.ERD"}, "", saveAs, "plan.ERD", 0, ""},
      {"Save As onto its own file asks nothing", {"plan.ERD"}, "plan.ERD", saveAs, "plan.ERD", -1, "plan.ERD", "plan"},
      {"Save As to a new .erd", {}, "", saveAs, "Fresh.erd", -1, "Fresh.erd", "Fresh"},
      {"Save As onto another letter case", {"ORDERS.erd"}, "", saveAs, "Orders.ERD", 1, "ORDERS.erd"},
      {"Save As of a name with a dot", {"library.ERD"}, "", saveAs, "library.v2.ERD", -1, "library.v2.ERD", "library"},
      {"Save As of a name whose extension is another", {"library.ERD"}, "", saveAs, "library.v2", -1, "library.v2.ERD", "library"},
      {"a picture over the diagram's own file", {"Orders.ERD"}, "Orders.ERD", bitmap, "Orders.ERD", -1, ""},
      {"a picture over another diagram, No", {"Other.ERD"}, "Orders.ERD", bitmap, "Other.ERD", 0, ""},
      {"a picture over another file, Yes", {"old.bmp"}, "Orders.ERD", bitmap, "old.bmp", 1, "old.bmp"},
  };
  for (const Case& c : cases) {
    for (const auto& entry : fs::directory_iterator(folder.Path())) fs::remove(entry.path());
    for (const std::string& file : c.before) WriteBytes(folder / file, "old");
    panel.SetDiagramName("Orders");
    panel.SetDiagramFolder(folder.Path().string() + "/");
    panel.SetDiagramFile(c.own.empty() ? std::string() : folder / c.own);
    platform.Calls.clear();
    if (!c.pick.empty()) platform.PickFile(folder / c.pick);
    if (c.answer >= 0) c.answer ? platform.Yes() : platform.No();
    const size_t pictures = platform.Bitmaps.empty() ? 0 : platform.Bitmaps.back()->Saved.size();
    panel.SurfaceMenu().Find(c.command)->Click();
    EXPECT_TRUE(platform.ScriptDone()) << c.what << ": the replace question asked as expected";
    EXPECT_EQ(platform.CallsOf("YesNo").size(), c.answer >= 0 ? 1u : 0u) << c.what;
    if (c.command == bitmap) {
      const auto& saved = platform.Bitmaps.back()->Saved;
      EXPECT_EQ(saved.size() - pictures, c.written.empty() ? 0u : 1u) << c.what;
      if (c.own == c.pick) {
        EXPECT_EQ(platform.CallsOf("Message").at(0).Text, "A picture cannot replace the diagram's own file \"" + folder / c.own + "\".");
      }
    } else if (!c.written.empty()) {
      EXPECT_EQ(ReadBytes(folder / c.written), DiagramFileText(panel)) << c.what;
      EXPECT_EQ(panel.DiagramFile(), folder / c.written) << c.what;
    }
    EXPECT_EQ(panel.DiagramName(), c.name) << c.what;
    std::vector<std::string> expected = c.before;
    if (!c.written.empty() && c.command != bitmap && std::find(expected.begin(), expected.end(), c.written) == expected.end())
      expected.push_back(c.written);
    EXPECT_EQ(OtherFiles(folder, expected), std::vector<std::string>{}) << c.what << ": a second file beside it";
    for (const std::string& file : c.before) {
      if (file == c.written && c.command != bitmap) continue;
      EXPECT_EQ(ReadBytes(folder / file), "old") << c.what << ": " << file;
    }
  }
}

TEST_F(DiagramFiles, LoadingAFileThatDoesNotExistDoesNothing) {
  BuildSmallDiagram("Customer");
  const std::string before = DiagramFileText(panel);
  const size_t calls = platform.Calls.size();
  for (const std::string& name : {folder / "Missing.ERD", folder / "Missing/Orders.ERD", std::string()}) {
    EXPECT_EQ(ErrorOf([&] { LoadDiagramFile(panel, name); }), "") << name;
    EXPECT_EQ(DiagramFileText(panel), before) << name;
  }
  EXPECT_EQ(platform.Calls.size(), calls) << "nothing is asked or shown";
}

TEST_F(DiagramFiles, AFileMadeOnWindowsReadsAsUtf8AndIsSavedAsUtf8) {
  const std::string file = folder / "Cafe.ERD";
  WriteBytes(file, "@ERDIAGRAM\r\n DIAGRAMNAME=Caf\xE9\r\n OWNPAGE=Men\xFC\r\n ACTIVEPAGE=Men\xFC\r\n @ENTITY\r\n"
                   "  NAME=Entity1\r\n  DESC=Preis in \x80\r\n #ENTITY\r\n#ERDIAGRAM\r\n");
  panel.SetLastMouse(10, 20);
  LoadDiagramFile(panel, file);
  EXPECT_EQ(panel.DiagramName(), "Caf\xC3\xA9");
  EXPECT_EQ(panel.ActivePageName(), "Men\xC3\xBC");
  ASSERT_EQ(panel.Entities().size(), 1u);
  EXPECT_EQ(panel.Entities()[0]->EntityDesc(), "Preis in \xE2\x82\xAC");
  EXPECT_TRUE(panel.Entities()[0]->Visible()) << "its entry names the page as the page list does";
  SaveDiagramFile(panel, file);
  const std::string saved = ReadBytes(file);
  EXPECT_NE(saved.find(" DIAGRAMNAME=Caf\xC3\xA9\r\n"), std::string::npos);
  EXPECT_NE(saved.find("  DESC=Preis in \xE2\x82\xAC\r\n"), std::string::npos);
  EXPECT_NE(saved.find("  DISPLAYPAGE=Men\xC3\xBC @10,20\r\n"), std::string::npos);
}

TEST_F(DiagramFiles, ThePanelsFileCommandsSaveAndLoad) {
  InstallDiagramFiles(panel);
  BuildSmallDiagram("Customer");
  panel.SetDiagramFolder(folder.Path().string());
  platform.PickFile(folder / "Orders.ERD");
  panel.SurfaceMenu().Find("-> Save Diagram ")->Click();
  const std::string saved = ReadBytes(folder / "Orders.ERD");
  EXPECT_EQ(saved, DiagramFileText(panel));

  platform.PickFile(folder / "Copy.ERD");
  panel.SurfaceMenu().Find("-> Save Diagram As")->Click();
  EXPECT_EQ(panel.DiagramName(), "Copy");
  EXPECT_EQ(ReadBytes(folder / "Copy.ERD"), DiagramFileText(panel));

  panel.CloseDiagram();
  platform.PickFile(folder / "Orders.ERD");
  panel.SurfaceMenu().Find("-> Load Diagram ")->Click();
  EXPECT_EQ(DiagramFileText(panel), saved);
  EXPECT_EQ(panel.DiagramFile(), folder / "Orders.ERD");
}
