// The diagrams the user opened or saved last, newest first, kept in a file of the user's state
// folder beside the recovery copies, so that the editor can offer them again in its menu.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TOOAPanel;

class TRecentDiagrams {
 public:
  // As many as the menu lists.
  static constexpr size_t Most = 10;

  // $XDG_STATE_HOME/quorvane/recent-diagrams, or ~/.local/state/quorvane/recent-diagrams: in the
  // folder that holds the recovery copies' own.
  static std::string DefaultFile();

  explicit TRecentDiagrams(std::string file);
  const std::string& File() const { return file_; }

  // The diagrams of the file that still exist, newest first. A missing, damaged or foreign file
  // lists none.
  std::vector<std::string> Shown() const;
  // Puts the diagram first, by its absolute name, and writes the list anew, atomically: read again
  // first, for another editor may have written it since. Returns what Shown would. A file that
  // cannot be written raises EToolkitError.
  std::vector<std::string> Record(const std::string& fileName);

  // The file's text: a first line that names the list and its version, then one absolute name a
  // line, newest first, with line breaks and "%" escaped. Reading takes what it can use and leaves
  // the rest: a text of another kind or version gives no names; a line that is no absolute name,
  // or a name given twice, is left out; no more than Most are read.
  static std::vector<std::string> Parse(std::string_view text);
  static std::string Format(const std::vector<std::string>& files);
  // The list with the name first and not again further down, at most Most long.
  static std::vector<std::string> WithNewest(const std::vector<std::string>& files, const std::string& file);

 private:
  std::string file_;
};

// The editor's panel records every diagram it opens or saves in the list (and then tells also), and its
// "Recent Diagrams" show the list. Until a diagram is opened, the file dialogs start in the folder of
// the newest. A list that cannot be written is not the diagram's trouble: its failure is handed to
// failed, the open or the save goes on.
void KeepRecentDiagrams(TOOAPanel& panel, TRecentDiagrams& recent, std::function<void(const std::string& fileName)> also,
                        std::function<void(const std::string& problem)> failed);
