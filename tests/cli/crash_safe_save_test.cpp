// Saving survives being killed. The command-line export writes a large diagram over an older one and
// is killed with SIGKILL at random moments, some anywhere in its run and some around the moment it
// writes: the target must always be either the whole old diagram or the whole new one. A temporary
// file of a killed save may stay behind; it must be hidden, must not end in ".ERD", and holds a part
// of the new diagram. A run that is not killed leaves no temporary file. Failing exports leave the
// file that was there.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "io_test_support.h"
#include "recovery_store.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

namespace {
// A diagram as the editor writes it and reads it back unchanged: every entity and relation box on
// the active page at its entry, so that exporting it writes exactly these bytes.
std::string GeneratedDiagram(const std::string& name, int entities) {
  std::string text = "@ERDIAGRAM\r\n DIAGRAMNAME=" + name + "\r\n OWNPAGE=Main\r\n OWNPAGE=Other\r\n ACTIVEPAGE=Main\r\n";
  auto position = [](int i) { return std::to_string(40 + 180 * (i % 10)) + "," + std::to_string(30 + 150 * (i / 10 % 12)); };
  for (int i = 1; i <= entities; ++i) {
    const std::string entity = "Entity" + std::to_string(i);
    text += " @ENTITY\r\n  NAME=" + entity + "\r\n  DESC=" + name + " " + std::to_string(i) +
            "\r\n  ENTITYTYPE=Data\r\n  DISPLAYPAGE=Main @" + position(i) + "\r\n";
    if (i % 3 == 0) text += "  DISPLAYPAGE=Other @10,20,HIDE METHOD\r\n";
    for (int p = 1; p <= 4; ++p)
      text += "  @PROPERTY\r\n   NAME=" + entity + "_Prop" + std::to_string(p) + "\r\n   DESC=Field " +
              std::to_string(p) + "\r\n  #PROPERTY\r\n";
    for (int m = 1; m <= 2; ++m)
      text += "  @METHOD\r\n   NAME=" + entity + "_Method" + std::to_string(m) + "\r\n   DESC=Run " +
              std::to_string(m) + "\r\n  #METHOD\r\n";
    text += " #ENTITY\r\n";
  }
  for (int i = 1; i <= entities / 2; ++i) {
    const std::string owner = "Entity" + std::to_string(i);
    const std::string target = "Entity" + std::to_string(entities + 1 - i);
    text += "  @RELATION\r\n   RELOWNERENTITY=" + owner + "\r\n   NAME=" + owner + "_Rel_1\r\n   DESC=Link " +
            std::to_string(i) + "\r\n   TOP=" + std::to_string(15 + i % 700) + "\r\n   LEFT=" + std::to_string(5 + i % 900) +
            "\r\n   SOURCEENTITY=" + owner + "\r\n   SOURCEPROPERTY=" + owner + "_Prop1\r\n   TARGETENTITY=" + target +
            "\r\n   TARGETPROPERTY=" + target + "_Prop2\r\n   DISPLAYPAGE=Main @" + std::to_string(5 + i % 900) + "," +
            std::to_string(15 + i % 700) + "\r\n  #RELATION\r\n";
  }
  return text + "#ERDIAGRAM\r\n";
}

// Starts the program in the folder, exporting IN.ERD to OUT.ERD, its output thrown away.
pid_t StartExport(const fs::path& dir) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execl(QUORVANE_BINARY, "quorvane", "--export=OUT.ERD", "IN.ERD", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

// The files in the folder besides the input and the target.
std::vector<std::string> Others(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name != "IN.ERD" && name != "OUT.ERD") names.push_back(name);
  }
  return names;
}

bool EndsInErd(const std::string& name) {
  if (name.size() < 4) return false;
  std::string end = name.substr(name.size() - 4);
  for (char& c : end) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return end == ".ERD";
}

class CrashSafeSave : public ::testing::Test {
 protected:
  // Runs the program in the folder, as the given user when one is given; returns its exit status.
  int Export(const std::vector<std::string>& arguments, std::string& err, const std::string& asUser = "") {
    const fs::path errFile = dir.string() + ".err";
    std::string command = "cd '" + dir.string() + "' && " + asUser + " '" QUORVANE_BINARY "'";
    for (const auto& argument : arguments) command += " '" + argument + "'";
    command += " >/dev/null 2>'" + errFile.string() + "'";
    const int status = std::system(command.c_str());
    err = ReadBytes(errFile);
    fs::remove(errFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TTempFolder folder;
  const fs::path dir = folder.Path();
};

// Tells when files appear in a folder: a temporary file of the export being created, the target
// being renamed into place.
class FolderWatch {
 public:
  explicit FolderWatch(const fs::path& dir) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0 && ::inotify_add_watch(fd_, dir.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FolderWatch() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  bool Works() const { return fd_ >= 0; }

  // Waits up to a millisecond for events, then takes them all.
  void Poll() {
    pollfd ready{fd_, POLLIN, 0};
    ::poll(&ready, 1, 1);
    alignas(inotify_event) char buffer[4096];
    for (ssize_t length; (length = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* at = buffer; at < buffer + length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        const std::string name = event->len ? event->name : "";
        if ((event->mask & IN_CREATE) && name.rfind(".OUT.ERD.", 0) == 0 && !created) created = Clock::now();
        if ((event->mask & IN_MOVED_TO) && name == "OUT.ERD") renamed = Clock::now();
        at += sizeof(inotify_event) + event->len;
      }
    }
  }

  std::optional<Clock::time_point> created;
  std::optional<Clock::time_point> renamed;

 private:
  int fd_;
};

// When, from its start, a run created its temporary file, renamed it over the target, and ended.
struct Timeline {
  double created = -1;
  double renamed = -1;
  double ended = -1;
  int status = -1;
};

Timeline WatchedExport(const fs::path& dir) {
  Timeline timeline;
  FolderWatch watch(dir);
  if (!watch.Works()) return timeline;
  const auto start = Clock::now();
  const pid_t pid = StartExport(dir);
  auto since = [&](Clock::time_point at) { return Milliseconds(at - start).count(); };
  for (;;) {
    watch.Poll();
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      timeline.ended = since(Clock::now());
      timeline.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
  }
  watch.Poll();
  if (watch.created) timeline.created = since(*watch.created);
  if (watch.renamed) timeline.renamed = since(*watch.renamed);
  return timeline;
}
}  // namespace

TEST_F(CrashSafeSave, AKilledExportLeavesTheOldDiagramOrTheNewOneWhole) {
#ifdef QUORVANE_SANITIZED
  const int defaultKills = 30;  // the instrumented program runs several times slower
#else
  const int defaultKills = 200;
#endif
  const char* killsText = std::getenv("QUORVANE_KILLS");
  const int kills = killsText && *killsText ? std::atoi(killsText) : defaultKills;
  const std::string fresh = GeneratedDiagram("Fresh", 600);
  const std::string old = GeneratedDiagram("Old", 40);
  WriteBytes(dir / "IN.ERD", fresh);

  // Runs that are not killed: the whole new diagram, and no temporary file. How long the file is
  // written varies from run to run with what else the machine does; the shortest of three is the
  // window aimed at.
  Timeline timeline;
  double writing = 0;
  for (int run = 0; run < 3; ++run) {
    WriteBytes(dir / "OUT.ERD", old);
    const Timeline measured = WatchedExport(dir);
    ASSERT_EQ(measured.status, 0);
    ASSERT_EQ(ReadBytes(dir / "OUT.ERD"), fresh) << "the export writes the diagram read, byte for byte";
    ASSERT_EQ(Others(dir), std::vector<std::string>{}) << "a save that ends normally leaves no temporary file";
    ASSERT_GE(measured.created, 0) << "the save writes a temporary file first";
    ASSERT_GE(measured.renamed, measured.created);
    if (run == 0 || measured.renamed - measured.created < writing) {
      timeline = measured;
      writing = measured.renamed - measured.created;
    }
  }
  std::cout << "a run takes " << timeline.ended << " ms; the temporary file lives from " << timeline.created
            << " to " << timeline.renamed << " ms" << std::endl;

  // Half the kills at any moment of a run; half while the file is written, where they matter most:
  // once the temporary file appears, within one and a half times as long as writing it took. When
  // none of those came while the file was written, up to 100 more are made, all aimed there.
  std::mt19937 random(20240611);
  int killed = 0;
  int finished = 0;
  int keptOld = 0;
  int replaced = 0;
  int absent = 0;
  int temporaryLeft = 0;
  int made = 0;
  for (int k = 0; k < kills || (temporaryLeft == 0 && k < kills + 100); ++k) {
    ++made;
    const bool withOld = k % 4 != 3;
    if (withOld)
      WriteBytes(dir / "OUT.ERD", old);
    else
      fs::remove(dir / "OUT.ERD");
    const bool whileWriting = k % 2 == 1 || k >= kills;
    const double delay = whileWriting ? std::uniform_real_distribution<double>(0, 1.5 * writing + 0.5)(random)
                                      : std::uniform_real_distribution<double>(0, timeline.ended)(random);
    FolderWatch watch(dir);
    const auto start = Clock::now();
    const pid_t pid = StartExport(dir);
    int status = 0;
    bool ended = false;
    if (whileWriting) {
      while (!watch.created && !ended) {
        watch.Poll();
        ended = ::waitpid(pid, &status, WNOHANG) == pid;
      }
      if (watch.created) std::this_thread::sleep_until(*watch.created + Milliseconds(delay));
    } else {
      std::this_thread::sleep_until(start + Milliseconds(delay));
    }
    if (!ended) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
    }
    if (WIFSIGNALED(status)) {
      ++killed;
    } else {
      ++finished;
      EXPECT_EQ(WEXITSTATUS(status), 0) << "kill " << k;
    }

    const std::string what = "kill " + std::to_string(k) + " " + std::to_string(delay) + " ms after " +
                             (whileWriting ? "the temporary file appeared" : "the start");
    if (fs::exists(dir / "OUT.ERD")) {
      const std::string target = ReadBytes(dir / "OUT.ERD");
      if (target == fresh) {
        ++replaced;
      } else if (withOld && target == old) {
        ++keptOld;
      } else {
        ADD_FAILURE() << what << ": the target holds " << target.size() << " bytes, neither diagram";
      }
    } else {
      ++absent;
      EXPECT_FALSE(withOld) << what << ": the old diagram is gone";
    }
    if (!WIFSIGNALED(status)) {
      EXPECT_EQ(Others(dir), std::vector<std::string>{}) << what << ": a save that ended left a file";
    }
    for (const std::string& name : Others(dir)) {
      ++temporaryLeft;
      EXPECT_EQ(name.rfind(".OUT.ERD.", 0), 0u) << what << ": " << name;
      EXPECT_EQ(name.size(), std::string(".OUT.ERD.").size() + 6) << what << ": " << name;
      EXPECT_FALSE(EndsInErd(name)) << what << ": " << name << " could be taken for a diagram";
      const std::string part = ReadBytes(dir / name);
      EXPECT_EQ(fresh.compare(0, part.size(), part), 0) << what << ": the temporary file holds something else";
      fs::remove(dir / name);
    }
    if (::testing::Test::HasFailure()) break;
  }
  std::cout << made << " kills: " << killed << " killed, " << finished << " had finished; the target kept the old "
            << "diagram " << keptOld << " times, held the new one " << replaced << " times, was absent (none before) "
            << absent << " times; " << temporaryLeft << " killed while writing left their temporary file" << std::endl;
  EXPECT_GT(temporaryLeft, 0) << "no kill came while the file was written";
}

// The export into a folder that takes no new file, and over a folder, fails with one line and
// leaves what was there.
TEST_F(CrashSafeSave, AnExportThatCannotBeWrittenLeavesTheOldFile) {
  WriteBytes(dir / "IN.ERD", GeneratedDiagram("Fresh", 3));
  WriteBytes(dir / "OUT.ERD", "the old diagram");
  fs::create_directory(dir / "Folder.ERD");
  std::string err;
  EXPECT_EQ(Export({"--export=Folder.ERD", "IN.ERD"}, err), 1);
  EXPECT_NE(err.find("Cannot create file \"" + (dir / "Folder.ERD").string() + "\". Is a directory"), std::string::npos) << err;
  EXPECT_TRUE(fs::is_directory(dir / "Folder.ERD"));

  // Permission checks do not stop the superuser, who is then made an ordinary user for the run.
  fs::permissions(dir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
  const std::string user = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  EXPECT_EQ(Export({"--export=OUT.ERD", "IN.ERD"}, err, user), 1);
  EXPECT_NE(err.find("Cannot create file \"" + (dir / "OUT.ERD").string() + "\". Permission denied"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(ReadBytes(dir / "OUT.ERD"), "the old diagram");
  EXPECT_EQ(Others(dir), std::vector<std::string>{"Folder.ERD"});
}

// An editor killed while it writes its recovery copy leaves the copy before it whole, or the new one
// whole: a child writes copies of growing versions as fast as it can and is killed at random
// moments; the orphan it leaves is always one complete version, and a copy's description never
// stands without its diagram.
TEST_F(CrashSafeSave, AKilledRecoveryCopyIsAlwaysOneWholeVersion) {
  const fs::path folder = dir / "recovery";
  std::mt19937 random(11);
  int found = 0;
  for (int kill = 0; kill < 12; ++kill) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      TRecoveryStore store(folder.string());
      for (int version = 1;; ++version) {
        std::string name = "V";
        name += std::to_string(version);
        store.Write(GeneratedDiagram(name, 200), {name, "/x/", version, ""});
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 200));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    TRecoveryStore store(folder.string());
    for (const TRecoveryCopy& copy : store.Orphans()) {
      ASSERT_EQ(copy.Problem, "") << "kill " << kill;
      const std::string text = ReadBytes(copy.CopyFile);
      const size_t name = text.find("DIAGRAMNAME=");
      ASSERT_NE(name, std::string::npos) << "kill " << kill;
      const std::string version = text.substr(name + 12, text.find('\r', name) - name - 12);
      EXPECT_EQ(text, GeneratedDiagram(version, 200)) << "kill " << kill;
      ++found;
      store.Discard(copy);
    }
  }
  EXPECT_GT(found, 0) << "no kill came after a first copy";
}
