#include "recovery_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "file_access.h"
#include "text.h"
#include "toolkit_error.h"

namespace fs = std::filesystem;

namespace {
const char* const kCopy = ".ERD";
const char* const kInfo = ".info";
const char* const kLock = ".lock";
const char* const kDamaged = ".damaged";

// Reads a description; the problem when it cannot stand.
std::string ReadInfo(const std::string& text, TRecoveryInfo& info) {
  std::map<std::string, std::string> values;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    if (const size_t equals = line.find('='); equals != std::string_view::npos)
      values[std::string(line.substr(0, equals))] = FromOneLineText(line.substr(equals + 1));
    start = end + 1;
  }
  const auto number = [&values](const char* key, long long& out) {
    const auto found = values.find(key);
    if (found == values.end() || found->second.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(found->second.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
  };
  long long version = 0;
  if (!number("VERSION", version) || version < 1) return "its description is damaged";
  if (version > TRecoveryStore::Version) return "it was written by a newer version of the editor";
  if (!number("TIME", info.WrittenAt) || !values.count("NAME") || !values.count("FOLDER"))
    return "its description is damaged";
  info.DiagramName = values["NAME"];
  info.DiagramFolder = values["FOLDER"];
  // Descriptions written before the diagram had a file of its own have none.
  info.DiagramFile = values["FILE"];
  return {};
}

void RemoveQuietly(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
}

// The lock of an editor: held is true when this process now holds it (its editor no longer runs),
// false when another process does. -1 and an error when it cannot be opened.
// A lock file another editor removed between our open and our lock is no lock of anyone's: the
// lock is taken again on the file the name now stands for.
int TakeLock(const std::string& path, bool& held) {
  held = false;
  for (;;) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return -1;
    }
    struct stat locked {}, named {};
    if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
        locked.st_dev == named.st_dev) {
      held = true;
      return fd;
    }
    ::close(fd);
  }
}
}  // namespace

std::string TRecoveryStore::DefaultFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return (fs::path(state) / "quorvane" / "recovery").string();
  const char* home = std::getenv("HOME");
  std::string base = home && home[0] ? home : "";
  if (base.empty())
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) base = user->pw_dir;
  return (fs::path(base) / ".local" / "state" / "quorvane" / "recovery").string();
}

TRecoveryStore::TRecoveryStore(std::string folder) : folder_(std::move(folder)) {
  // Unique among editors now and later: the process and the moment it started.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  id_ = IntToText(static_cast<long long>(::getpid())) + "-" +
        IntToText(static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

TRecoveryStore::~TRecoveryStore() {
  for (const auto& [id, fd] : held_) ::close(fd);
  if (lock_ >= 0) {
    RemoveQuietly(PathOf(id_, kLock));
    ::close(lock_);
  }
}

std::string TRecoveryStore::PathOf(const std::string& id, const char* suffix) const {
  return (fs::path(folder_) / (id + suffix)).string();
}

void TRecoveryStore::LockOwn() {
  if (lock_ >= 0) return;
  std::error_code error;
  fs::create_directories(folder_, error);
  if (error)
    throw EToolkitError("Cannot create folder \"" + FullFileName(folder_) + "\". " + error.message());
  fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace, error);
  bool held = false;
  const int fd = TakeLock(PathOf(id_, kLock), held);
  if (fd < 0)
    throw EToolkitError("Cannot create file \"" + FullFileName(PathOf(id_, kLock)) + "\". " + SystemErrorText(errno));
  lock_ = fd;
}

void TRecoveryStore::Write(std::string_view diagramText, const TRecoveryInfo& info) {
  const std::lock_guard<std::mutex> guard(mutex_);
  LockOwn();
  WriteFileAtomically(PathOf(id_, kCopy), diagramText);
  try {
    WriteFileAtomically(PathOf(id_, kInfo), "VERSION=" + IntToText(Version) + "\nNAME=" + OneLineText(info.DiagramName) +
                                                "\nFOLDER=" + OneLineText(info.DiagramFolder) +
                                                "\nFILE=" + OneLineText(info.DiagramFile) +
                                                "\nTIME=" + IntToText(info.WrittenAt) + "\n");
  } catch (...) {
    // A copy no description tells of is never offered, and nothing would ever remove it: unless an
    // earlier description stands beside it (then the copy is whole and described), it goes.
    if (!hasCopy_) RemoveQuietly(PathOf(id_, kCopy));
    throw;
  }
  hasCopy_ = true;
}

void TRecoveryStore::Remove() {
  const std::lock_guard<std::mutex> guard(mutex_);
  if (!hasCopy_) return;
  // The description first: a copy without one is never offered.
  RemoveQuietly(PathOf(id_, kInfo));
  RemoveQuietly(PathOf(id_, kCopy));
  hasCopy_ = false;
}

bool TRecoveryStore::HasCopy() const {
  const std::lock_guard<std::mutex> guard(mutex_);
  return hasCopy_;
}

std::vector<TRecoveryCopy> TRecoveryStore::Orphans() {
  const std::lock_guard<std::mutex> guard(mutex_);
  std::vector<TRecoveryCopy> copies;
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const fs::path path = it->path();
    if (path.extension() == kLock) {
      // The lock of an editor killed without a copy: nothing to offer, and it would only pile up.
      const std::string id = path.stem().string();
      std::error_code missing;
      bool held = false;
      if (id != id_ && !held_.count(id) && !fs::exists(PathOf(id, kInfo), missing)) {
        const int fd = TakeLock(path.string(), held);
        if (held) {
          RemoveQuietly(path.string());
          ::close(fd);
        }
      }
      continue;
    }
    if (path.extension() != kInfo) continue;
    const std::string id = path.stem().string();
    if (id == id_ || held_.count(id)) continue;
    bool held = false;
    const int fd = TakeLock(PathOf(id, kLock), held);
    if (!held) continue;  // its editor runs
    held_[id] = fd;
    TRecoveryCopy copy;
    copy.Id = id;
    copy.CopyFile = PathOf(id, kCopy);
    try {
      const auto text = ReadWholeFile(path.string());
      copy.Problem = text ? ReadInfo(*text, copy.Info) : "its description is missing";
    } catch (const EToolkitError& e) {
      copy.Problem = e.what();
    }
    // The copy is written before its description, so a kill between the two leaves a newer copy
    // than the description tells: the time is the copy's own.
    struct stat written {};
    if (copy.Problem.empty()) {
      if (::stat(copy.CopyFile.c_str(), &written) != 0 || !S_ISREG(written.st_mode))
        copy.Problem = "its diagram is missing";
      else
        copy.Info.WrittenAt = static_cast<long long>(written.st_mtime);
    }
    copies.push_back(std::move(copy));
  }
  std::stable_sort(copies.begin(), copies.end(), [](const TRecoveryCopy& a, const TRecoveryCopy& b) {
    return a.Info.WrittenAt > b.Info.WrittenAt;
  });
  return copies;
}

void TRecoveryStore::Release(const std::string& id) {
  const auto found = held_.find(id);
  if (found == held_.end()) return;
  RemoveQuietly(PathOf(id, kLock));
  ::close(found->second);
  held_.erase(found);
}

void TRecoveryStore::Discard(const TRecoveryCopy& copy) {
  const std::lock_guard<std::mutex> guard(mutex_);
  if (!held_.count(copy.Id)) return;
  RemoveQuietly(PathOf(copy.Id, kInfo));
  RemoveQuietly(PathOf(copy.Id, kCopy));
  Release(copy.Id);
}

std::string TRecoveryStore::PutAside(const TRecoveryCopy& copy) {
  const std::lock_guard<std::mutex> guard(mutex_);
  const std::string copyFile = PathOf(copy.Id, kCopy);
  if (!held_.count(copy.Id)) return copyFile;
  // Each file is renamed aside when it can be, else left where it stands; what is told is where the
  // copy is kept, or its description when the copy itself is missing.
  const auto setAside = [](const std::string& path) -> std::optional<std::string> {
    std::error_code error;
    if (!fs::exists(path, error)) return std::nullopt;
    fs::rename(path, path + kDamaged, error);
    return error ? path : path + kDamaged;
  };
  const std::optional<std::string> copyKept = setAside(copyFile);
  const std::optional<std::string> infoKept = setAside(PathOf(copy.Id, kInfo));
  Release(copy.Id);
  return copyKept ? *copyKept : infoKept.value_or(copyFile);
}

void TRecoveryStore::Adopt(const TRecoveryCopy& copy) {
  const std::lock_guard<std::mutex> guard(mutex_);
  if (!held_.count(copy.Id)) return;
  LockOwn();
  // The diagram first, then its description: a description always has its diagram beside it.
  std::error_code error;
  fs::rename(PathOf(copy.Id, kCopy), PathOf(id_, kCopy), error);
  if (error) throw EToolkitError("Cannot create file \"" + FullFileName(PathOf(id_, kCopy)) + "\". " + error.message());
  fs::rename(PathOf(copy.Id, kInfo), PathOf(id_, kInfo), error);
  hasCopy_ = true;
  Release(copy.Id);
}
