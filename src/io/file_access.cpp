#include "file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "text.h"
#include "toolkit_error.h"

namespace {
TFileSystemCalls gSystemCalls;
TFileSystemCalls* gCalls = &gSystemCalls;

EToolkitError OpenError(const std::string& fileName, const std::string& reason) {
  return EToolkitError("Cannot open file \"" + FullFileName(fileName) + "\". " + reason);
}

EToolkitError CreateError(const std::string& fileName, int error) {
  return EToolkitError("Cannot create file \"" + FullFileName(fileName) + "\". " + SystemErrorText(error));
}

// The permissions a new file gets from the process. The mask can only be read by setting it, and
// files are written from more than one thread (the recovery copies are written beside the saves),
// so it is read once, before any file is written, and never set again.
mode_t NewFileMode() {
  static const mode_t mask = [] {
    const mode_t current = ::umask(0);
    ::umask(current);
    return current;
  }();
  return 0666 & ~mask;
}

// The file a save replaces: the one a symbolic link points at, so that the link itself survives.
std::string ResolvedTarget(const std::string& fileName) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(fileName.c_str(), nullptr), &std::free);
  return resolved ? std::string(resolved.get()) : fileName;
}

std::string FolderOf(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

// The part of the target's name that names its temporary file. The temporary file's name adds a dot
// before it and a dot and six random letters after it, so it is cut short, between two characters,
// where the whole would not fit in a folder: a target with the longest name a folder allows must be
// saved too. Starting with a dot and ending in random letters, the name is never listed, or taken,
// as a diagram.
std::string TemporaryBase(std::string name) {
  constexpr size_t kRoom = NAME_MAX - std::char_traits<char>::length("..XXXXXX");
  if (name.size() <= kRoom) return name;
  size_t cut = kRoom;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  name.resize(cut);
  return name;
}

// Makes the rename itself durable. The target is already replaced when this runs, so a failure here
// is not reported as a failed save.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
}  // namespace

int TFileSystemCalls::CreateTemporary(std::string& pathTemplate) {
  return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}
ssize_t TFileSystemCalls::Write(int fd, const char* data, size_t size) { return ::write(fd, data, size); }
int TFileSystemCalls::Sync(int fd) { return ::fsync(fd); }
int TFileSystemCalls::Close(int fd) { return ::close(fd); }
int TFileSystemCalls::Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str());
}

TScopedFileSystemCalls::TScopedFileSystemCalls(TFileSystemCalls& calls) : previous_(gCalls) { gCalls = &calls; }
TScopedFileSystemCalls::~TScopedFileSystemCalls() { gCalls = previous_; }

std::string SystemErrorText(int error) { return std::generic_category().message(error); }

std::string FullFileName(const std::string& fileName) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(fileName), error);
  if (error) return fileName;
  return full.lexically_normal().string();
}

std::string ExistingSpellingOf(const std::string& fileName) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path path(fileName);
  if (fs::exists(path, error) || error) return fileName;
  const std::string name = path.filename().string();
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::string found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string candidate = it->path().filename().string();
    std::error_code kind;
    if (SameText(candidate, name) && (found.empty() || candidate < found) && !fs::is_directory(it->path(), kind))
      found = candidate;
  }
  if (found.empty()) return fileName;
  return (path.has_parent_path() ? (path.parent_path() / found) : fs::path(found)).string();
}

std::string ReadExistingFile(const std::string& fileName) {
  if (std::optional<std::string> bytes = ReadWholeFile(fileName)) return std::move(*bytes);
  // The reason a file found missing cannot be opened, as the system words it.
  struct stat info {};
  const int error = ::stat(fileName.c_str(), &info) != 0 ? errno : ENOENT;
  throw EToolkitError("Cannot open file \"" + FullFileName(fileName) + "\". " + SystemErrorText(error));
}

std::optional<std::string> ReadWholeFile(const std::string& fileName) {
  struct stat info {};
  if (::stat(fileName.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw OpenError(fileName, SystemErrorText(errno));
  }
  if (S_ISDIR(info.st_mode)) throw OpenError(fileName, SystemErrorText(EISDIR));
  // A pipe or a device could block the editor or never end; a diagram is always a plain file.
  if (!S_ISREG(info.st_mode)) throw OpenError(fileName, "Not a regular file");
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) throw OpenError(fileName, SystemErrorText(errno));
  std::string bytes;
  if (info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw OpenError(fileName, SystemErrorText(error));
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<size_t>(count));
  }
  ::close(fd);
  return bytes;
}

void WriteFileAtomically(const std::string& fileName, std::string_view bytes) {
  TFileSystemCalls& calls = *gCalls;
  const std::string target = ResolvedTarget(fileName);
  mode_t mode = 0;
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) throw CreateError(fileName, EISDIR);
    // Renaming over a file needs no right to write it; a read-only diagram must still stay as it is.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) throw CreateError(fileName, errno);
    mode = info.st_mode & 07777;
  } else {
    mode = NewFileMode();
  }

  const std::string folder = FolderOf(target);
  std::string temporary = folder + "." + TemporaryBase(target.substr(folder.size())) + ".XXXXXX";
  const int fd = calls.CreateTemporary(temporary);
  if (fd < 0) throw CreateError(fileName, errno);

  int error = 0;
  if (::fchmod(fd, mode) != 0) error = errno;
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (error == 0 && left > 0) {
    const ssize_t written = calls.Write(fd, data, left);
    if (written < 0) {
      if (errno != EINTR) error = errno;
      continue;
    }
    if (written == 0) {
      error = ENOSPC;  // a device that takes nothing more and says nothing is full
      break;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  if (error == 0 && calls.Sync(fd) != 0) error = errno;
  // Closed once whatever happened before: on this system the descriptor is gone even when close
  // reports an error.
  if (calls.Close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && calls.Rename(temporary, target) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw CreateError(fileName, error);
  }
  SyncFolder(folder);
}
