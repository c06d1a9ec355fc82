// Whole files in and out for the diagram files: reading a file into memory, and replacing a file
// atomically, so that a failed save never leaves a half-written diagram where the old one stood.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

// The system calls that replacing a file goes through. Tests put their own in place (a device that
// fills up, a sync or rename that fails) through TScopedFileSystemCalls; every call reports a
// failure as the system does, returning -1 with errno set.
class TFileSystemCalls {
 public:
  virtual ~TFileSystemCalls() = default;
  // Creates and opens a new file from a mkstemp template, which it completes in place.
  virtual int CreateTemporary(std::string& pathTemplate);
  virtual ssize_t Write(int fd, const char* data, size_t size);
  virtual int Sync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const std::string& from, const std::string& to);
};

// Puts calls in place for as long as it lives, then brings back the ones before.
class TScopedFileSystemCalls {
 public:
  explicit TScopedFileSystemCalls(TFileSystemCalls& calls);
  ~TScopedFileSystemCalls();
  TScopedFileSystemCalls(const TScopedFileSystemCalls&) = delete;
  TScopedFileSystemCalls& operator=(const TScopedFileSystemCalls&) = delete;

 private:
  TFileSystemCalls* previous_;
};

// The system's words for an error number, as the file errors show them; safe on any thread (the
// recovery copy is written beside the saves).
std::string SystemErrorText(int error);

// The name as the file errors show it: absolute, with "." and ".." resolved.
std::string FullFileName(const std::string& fileName);

// The file as its folder spells it: the name itself when such a file exists (or the folder cannot
// be read); otherwise the first file of the folder, in name order, whose name equals it but for
// letter case; otherwise the name itself. Diagram files come from a system where letter case does
// not tell two files apart: saving Shop.ERD over a folder's shop.ERD must write that file, not a
// second one beside it.
std::string ExistingSpellingOf(const std::string& fileName);

// The bytes of the file, or nothing when no file of that name exists. A file that exists but cannot
// be read (a folder included) raises EToolkitError "Cannot open file "NAME". REASON".
std::optional<std::string> ReadWholeFile(const std::string& fileName);
// The same for a file that must be there: a missing one raises "Cannot open file "NAME". REASON" too.
std::string ReadExistingFile(const std::string& fileName);

// Writes the bytes to a new file in the target's folder, syncs it and renames it over the target.
// On any failure the new file is removed, the target is left as it was, and EToolkitError
// "Cannot create file "NAME". REASON" is raised. A target that exists keeps its permissions; one
// that is read-only is not replaced.
void WriteFileAtomically(const std::string& fileName, std::string_view bytes);
