// Saves that cannot be made, through the editor's own commands: the device fills up, the folder
// takes no new file, the target is a folder. The command raises "Cannot create file ..." for the
// window's error box, the file that was there stays as it was, no temporary file is left, and the
// editor saves again once the cause is gone.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "diagram_file_writer.h"
#include "diagram_files.h"
#include "diagram_fixture.h"
#include "file_access.h"
#include "io_test_support.h"
#include "property.h"
#include "toolkit_error.h"

namespace fs = std::filesystem;

namespace {
// A device that takes a few bytes of a file and then has no room left.
class FillingDevice : public TFileSystemCalls {
 public:
  ssize_t Write(int fd, const char* data, size_t size) override {
    if (written_ >= 16) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t count = TFileSystemCalls::Write(fd, data, std::min<size_t>(size, 16 - written_));
    if (count > 0) written_ += static_cast<size_t>(count);
    return count;
  }

 private:
  size_t written_ = 0;
};

class FailedSave : public DiagramTest {
 protected:
  FailedSave() {
    InstallDiagramFiles(panel);
    AddPage("Main");
    panel.SetDiagramName("Orders");
    panel.SetDiagramFolder(folder.Path().string() + "/");
    panel.SetDiagramFile(folder / "Orders.ERD");
    AddProperty(AddEntity("Customer"), "Id", true);
  }

  // The message of the error the menu item raises, as the window's error box would show it.
  std::string ErrorOfCommand(const std::string& caption) {
    MenuItem* item = panel.SurfaceMenu().Find(caption);
    if (!item) return "no item " + caption;
    try {
      item->Click();
    } catch (const EToolkitError& error) {
      return error.what();
    }
    return {};
  }

  // Names in the folder other than the given ones.
  std::vector<std::string> OtherFiles(const std::vector<std::string>& expected) const {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
      const std::string name = entry.path().filename().string();
      if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
    }
    return others;
  }

  std::string CannotCreate(const std::string& name, const std::string& reason) const {
    return "Cannot create file \"" + FullFileName(folder / name) + "\". " + reason;
  }

  TTempFolder folder;
};
}  // namespace

TEST_F(FailedSave, SaveOnAFullDeviceKeepsTheOldFile) {
  WriteBytes(folder / "Orders.ERD", "the old diagram");
  const std::string before = DiagramFileText(panel);
  FillingDevice device;
  {
    TScopedFileSystemCalls scoped(device);
    EXPECT_EQ(ErrorOfCommand("-> Save Diagram "), CannotCreate("Orders.ERD", "No space left on device"));
  }
  EXPECT_EQ(ReadBytes(folder / "Orders.ERD"), "the old diagram");
  EXPECT_EQ(OtherFiles({"Orders.ERD"}), std::vector<std::string>{}) << "the partial temporary file is gone";
  EXPECT_EQ(DiagramFileText(panel), before) << "the diagram is as it was";

  EXPECT_EQ(ErrorOfCommand("-> Save Diagram "), "") << "room again";
  EXPECT_EQ(ReadBytes(folder / "Orders.ERD"), DiagramFileText(panel));
}

TEST_F(FailedSave, SaveIntoAFolderThatTakesNoNewFileKeepsTheOldFile) {
  WriteBytes(folder / "Orders.ERD", "the old diagram");
  fs::permissions(folder.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  std::string error;
  {
    TAsOrdinaryUser user;
    error = ErrorOfCommand("-> Save Diagram ");
  }
  EXPECT_EQ(error, CannotCreate("Orders.ERD", "Permission denied"));
  EXPECT_EQ(ReadBytes(folder / "Orders.ERD"), "the old diagram");
  EXPECT_EQ(OtherFiles({"Orders.ERD"}), std::vector<std::string>{});

  fs::permissions(folder.Path(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ErrorOfCommand("-> Save Diagram "), "") << "the folder takes files again";
  EXPECT_EQ(ReadBytes(folder / "Orders.ERD"), DiagramFileText(panel));
}

TEST_F(FailedSave, SaveOverAFolderLeavesTheFolder) {
  fs::create_directory(folder.Path() / "Orders.ERD");
  WriteBytes(folder / "Orders.ERD/inside.txt", "kept");
  EXPECT_EQ(ErrorOfCommand("-> Save Diagram "), CannotCreate("Orders.ERD", "Is a directory"));
  EXPECT_TRUE(fs::is_directory(folder.Path() / "Orders.ERD"));
  EXPECT_EQ(ReadBytes(folder / "Orders.ERD/inside.txt"), "kept");
  EXPECT_EQ(OtherFiles({"Orders.ERD"}), std::vector<std::string>{});
}

// Save As takes the chosen name and folder before it writes and keeps them when the write fails,
// so that the next "-> Save Diagram " tries the same file again.
TEST_F(FailedSave, SaveAsKeepsTheChosenNameAndTheFileThatWasThere) {
  fs::create_directory(folder.Path() / "Archive");
  WriteBytes(folder / "Archive/Copy.ERD", "the old copy");
  FillingDevice device;
  platform.PickFile(folder / "Archive/Copy.final.ERD");
  {
    TScopedFileSystemCalls scoped(device);
    EXPECT_EQ(ErrorOfCommand("-> Save Diagram As"), CannotCreate("Archive/Copy.final.ERD", "No space left on device"));
  }
  EXPECT_EQ(panel.DiagramName(), "Copy");
  EXPECT_EQ(panel.DiagramFolder(), (folder.Path() / "Archive").string() + "/");
  EXPECT_EQ(ReadBytes(folder / "Archive/Copy.ERD"), "the old copy");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path() / "Archive"), fs::directory_iterator()), 1)
      << "no temporary file is left";

  EXPECT_EQ(ErrorOfCommand("-> Save Diagram "), "");
  EXPECT_EQ(ReadBytes(folder / "Archive/Copy.final.ERD"), DiagramFileText(panel));
  EXPECT_EQ(ReadBytes(folder / "Archive/Copy.ERD"), "the old copy") << "another diagram's file";
}

// A save whose write fails at any step, however far it came, never leaves the target empty or cut
// short: the file written by every earlier save is still there, whole.
TEST_F(FailedSave, EveryFailingStepLeavesTheLastSavedFileWhole) {
  EXPECT_EQ(ErrorOfCommand("-> Save Diagram "), "");
  const std::string saved = ReadBytes(folder / "Orders.ERD");
  AddProperty(*panel.Entities()[0], "Name", true);
  ASSERT_NE(DiagramFileText(panel), saved);

  // Each fails its step once, as the system reports it.
  struct Failing : TFileSystemCalls {
    std::function<bool(const char*)> fails;
    int CreateTemporary(std::string& pathTemplate) override {
      return Fail("create") ? -1 : TFileSystemCalls::CreateTemporary(pathTemplate);
    }
    ssize_t Write(int fd, const char* data, size_t size) override {
      return Fail("write") ? -1 : TFileSystemCalls::Write(fd, data, std::min<size_t>(size, 100));
    }
    int Sync(int fd) override { return Fail("sync") ? -1 : TFileSystemCalls::Sync(fd); }
    int Close(int fd) override {
      const int result = TFileSystemCalls::Close(fd);
      return Fail("close") ? -1 : result;
    }
    int Rename(const std::string& from, const std::string& to) override {
      return Fail("rename") ? -1 : TFileSystemCalls::Rename(from, to);
    }
    bool Fail(const char* step) {
      if (!fails(step)) return false;
      errno = EIO;
      return true;
    }
  };
  int writes = 0;
  for (const char* step : {"create", "write", "sync", "close", "rename"}) {
    Failing calls;
    // The write fails in the middle of the file, after some of it went out.
    calls.fails = [&](const char* now) { return std::string(now) == step && (now != std::string("write") || ++writes == 3); };
    {
      TScopedFileSystemCalls scoped(calls);
      EXPECT_EQ(ErrorOfCommand("-> Save Diagram "), CannotCreate("Orders.ERD", "Input/output error")) << step;
    }
    EXPECT_EQ(ReadBytes(folder / "Orders.ERD"), saved) << step;
    EXPECT_EQ(OtherFiles({"Orders.ERD"}), std::vector<std::string>{}) << step;
  }
}
