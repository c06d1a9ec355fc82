#include "recent_diagrams.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "file_access.h"
#include "ooa_panel.h"
#include "recovery_store.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {
// The first line: what the file holds, and the version of its lines. A file that begins otherwise
// is no list of ours (or a newer editor's), and lists nothing.
const char kHeader[] = "quorvane recent diagrams 1";

std::vector<std::string> Existing(std::vector<std::string> files) {
  std::erase_if(files, [](const std::string& file) {
    std::error_code error;
    return !fs::is_regular_file(file, error);
  });
  return files;
}

// The list as the file holds it; a file that cannot be read holds none.
std::vector<std::string> ReadList(const std::string& file) {
  try {
    const std::optional<std::string> text = ReadWholeFile(file);
    return text ? TRecentDiagrams::Parse(*text) : std::vector<std::string>{};
  } catch (const std::exception&) {
    return {};
  }
}
}  // namespace

std::string TRecentDiagrams::DefaultFile() {
  return (fs::path(TRecoveryStore::DefaultFolder()).parent_path() / "recent-diagrams").string();
}

TRecentDiagrams::TRecentDiagrams(std::string file) : file_(std::move(file)) {}

std::vector<std::string> TRecentDiagrams::Shown() const { return Existing(ReadList(file_)); }

std::vector<std::string> TRecentDiagrams::Record(const std::string& fileName) {
  // A diagram moved or removed since is let go now, rather than keep a place of the ten.
  const std::vector<std::string> files = Existing(WithNewest(ReadList(file_), FullFileName(fileName)));
  std::error_code error;
  fs::create_directories(fs::path(file_).parent_path(), error);
  WriteFileAtomically(file_, Format(files));
  return files;
}

std::vector<std::string> TRecentDiagrams::Parse(std::string_view text) {
  std::vector<std::string> files;
  bool headed = false;
  size_t start = 0;
  while (start < text.size() && files.size() < Most) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!headed) {
      if (line != kHeader) return {};
      headed = true;
      continue;
    }
    std::string file = FromOneLineText(line);
    if (file.empty() || file.front() != '/' || file.find('\0') != std::string::npos) continue;
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(std::move(file));
  }
  return files;
}

std::string TRecentDiagrams::Format(const std::vector<std::string>& files) {
  std::string text = Cat(kHeader, "\n");
  for (const std::string& file : files) Append(text, OneLineText(file), "\n");
  return text;
}

std::vector<std::string> TRecentDiagrams::WithNewest(const std::vector<std::string>& files, const std::string& file) {
  std::vector<std::string> list{file};
  for (const std::string& older : files)
    if (list.size() < Most && older != file) list.push_back(older);
  return list;
}

void KeepRecentDiagrams(TOOAPanel& panel, TRecentDiagrams& recent, std::function<void(const std::string& fileName)> also,
                        std::function<void(const std::string& problem)> failed) {
  const std::vector<std::string> shown = recent.Shown();
  if (!shown.empty() && panel.DiagramFile().empty()) {
    std::string folder = fs::path(shown.front()).parent_path().string();
    if (folder.empty() || folder.back() != fs::path::preferred_separator) folder += fs::path::preferred_separator;
    panel.SetDiagramFolder(folder);
  }
  panel.SetRecentDiagrams(shown);
  panel.FileHandlers.DiagramFileUsed = [&recent, also = std::move(also), failed = std::move(failed)](
                                           TOOAPanel& used, const std::string& fileName) {
    try {
      used.SetRecentDiagrams(recent.Record(fileName));
    } catch (const std::exception& error) {
      if (failed) failed(error.what());
    }
    if (also) also(fileName);
  };
}
