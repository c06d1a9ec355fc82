// The comparison of two diagrams in the diagram's own terms (--diff OLD NEW): entities, rows, relation
// and event boxes and pages added, removed, renamed or changed, and apart from those what only moved
// or changed its hiding on a page.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TOOAPanel;

// Objects are matched by component name (the n-th object of a name in the one diagram with the n-th
// of that name in the other, so that files with repeated names still compare object by object), rows
// within their entity's matched pair. One line per change, in the order of the diagram (what went
// first, then the new diagram's objects in its order), in two parts: Model (what the diagram says)
// and Placement (where its objects stand and what they hide, page by page). Line formats: see
// DiffUsage.
class TDiagramDiff {
 public:
  TDiagramDiff(const TOOAPanel& older, const TOOAPanel& newer);

  const std::vector<std::string>& Model() const { return model_; }
  const std::vector<std::string>& Placement() const { return placement_; }
  bool Same() const { return model_.empty() && placement_.empty(); }
  // Both parts, each under its heading ("# model", "# placement") when it has lines; every line ends
  // with "\n". Empty when the diagrams are the same.
  std::string Text() const;

 private:
  std::vector<std::string> model_;
  std::vector<std::string> placement_;
};

// A diagram file read for comparing, on a platform that answers nothing and shows nothing. No file
// name (a side git gives as /dev/null) is the empty diagram. Raises EToolkitError, naming the file,
// when the file is missing or cannot be read, is no diagram file, or its reading says anything at
// all (a format error, a cut file): a comparison with a diagram read in part would report losses that
// are not there.
class TComparedDiagram {
 public:
  explicit TComparedDiagram(const std::optional<std::string>& fileName);
  ~TComparedDiagram();
  TComparedDiagram(const TComparedDiagram&) = delete;
  TComparedDiagram& operator=(const TComparedDiagram&) = delete;

  const TOOAPanel& Panel() const { return *panel_; }
  // Leaves the diagram to the end of the process, which hands its memory back at once (freed object
  // by object, a large diagram takes longer than the comparison).
  void LeaveToProcessEnd();

 private:
  class TPlatform;
  std::unique_ptr<TPlatform> platform_;
  std::unique_ptr<TOOAPanel> panel_;
};

// The whole --diff job. files are OLD NEW, or the seven arguments git gives a diff driver (path
// old-file old-hex old-mode new-file new-hex new-mode; a side of mode "." does not exist). Prints the
// changes on out; returns 0 when the diagrams are the same, 1 when they differ (0 in git's form, for
// git stops at a driver that fails), 2 with one line on err when a file cannot be compared.
int RunDiff(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

// The lines of --help that tell --diff and its output.
std::string DiffUsage();
