// The edits of a diagram, as steps that can be taken back and done again. A step keeps what its
// edit changed as plain values (images) of the entities it touched, each with its rows and boxes,
// before and after the edit, and of the panel's own state; undoing sets those entities and the
// panel back to the images before, redoing to the images after. An entity the edit made has no
// image before it, one it removed none after it. Rows and boxes are known by their numbers (Id),
// entities by their serials, so an object brought back is linked again to what it was linked to.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "color.h"
#include "diagram_types.h"
#include "geometry.h"
#include "placement.h"

class TEntity;
class TOOAPanel;

// What rows and boxes alike keep: their number, name, text, place and look.
struct TPartImage {
  long long Id = 0;
  std::string Name;
  std::string Desc;
  TRect Bounds;
  bool Visible = true;
  TColor Color = 0;
  friend bool operator==(const TPartImage&, const TPartImage&) = default;
};

struct TRowImage : TPartImage {
  int RowIndex = 0;
  // Properties.
  bool IsDisplay = true;
  int DisplaySlot = 0;
  TPropertyDataType DataType = pdtVachar;
  int DataSize = 0;
  int DataScale = 0;
  // Methods: the called row's number (0: no call) and the bracket's distance.
  long long Call = 0;
  int CallDistance = 0;
  friend bool operator==(const TRowImage&, const TRowImage&) = default;
};

// A link end: the entity's serial (-1: none) and the row's number (0: none).
struct TEndImage {
  long long Entity = -1;
  long long Row = 0;
  friend bool operator==(const TEndImage&, const TEndImage&) = default;
};

struct TBoxImage : TPartImage {
  int No = 0;
  TEntryList Entries;
  TEndImage Source;
  TEndImage Target;
  friend bool operator==(const TBoxImage&, const TBoxImage&) = default;
};

struct TEntityImage {
  long long Serial = 0;
  size_t Position = 0;  // in the panel's entity list
  std::string Name;
  std::string Desc;
  TEntityType Type = Et_Organization;
  int PropertyDefHeight = 0;
  int MethodDefHeight = 0;
  bool ShowProperty = true;
  bool ShowMethod = true;
  TEntryList Entries;
  TRect Bounds;
  bool Visible = true;
  TColor Color = 0;
  int RowsWidth = -1;
  // The selected members, by number (0: none).
  long long SelectedProperty = 0;
  long long SelectedMethod = 0;
  long long SelectedRelation = 0;
  long long SelectedEvent = 0;
  std::vector<TRowImage> Properties;
  std::vector<TRowImage> Methods;
  std::vector<TBoxImage> Relations;
  std::vector<TBoxImage> Events;
  friend bool operator==(const TEntityImage&, const TEntityImage&) = default;
};

// The panel's own state an edit may change: its pages and the selected entity; for loading and
// closing a diagram also its name and folder.
struct TPanelImage {
  std::string ActivePage;
  TEntryList Pages;
  long long SelectedEntity = -1;
  // The rows selected in the selected entity: what its next command acts on.
  long long SelectedProperty = 0;
  long long SelectedMethod = 0;
  bool WithFile = false;
  std::string DiagramName;
  std::string DiagramFolder;
  friend bool operator==(const TPanelImage&, const TPanelImage&) = default;
};

// What an edit may change: the entities it is given, every entity, or every entity and the
// diagram's name and folder (a load or a close).
enum class TEditReach { Scope, AllEntities, WholeDiagram };

class TDiagramHistory {
 public:
  // Steps kept; the oldest goes first.
  static constexpr size_t MaxSteps = 1000;

  explicit TDiagramHistory(TOOAPanel& panel);

  // Runs one edit of the user's as one step named what, recording the entities its reach gives and
  // every entity the edit makes. An edit inside another belongs to the outer one. An edit that
  // changes nothing leaves no step; one that fails leaves a step of what it changed before it
  // failed.
  void Edit(const std::string& what, const std::vector<TEntity*>& scope, TEditReach reach,
            const std::function<void()>& action);
  // The same as two calls around the edit (see TEditStep).
  void Begin(const std::string& what, const std::vector<TEntity*>& scope, TEditReach reach);
  void End();
  // While suspended, edits leave no step: what recording adds can be measured against it.
  void Suspend(bool suspended) { suspended_ = suspended; }

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < steps_.size(); }
  // What the step to be undone or redone did; empty when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  void Undo();
  void Redo();
  size_t StepCount() const { return steps_.size(); }
  // How many steps stand before the present one: as many as can be undone.
  size_t Position() const { return position_; }
  // How many steps were ever recorded.
  long long Recorded() const { return recorded_; }
  // Forgets every step (a fresh panel); the diagram as it stands is clean.
  void Clear();

  // The diagram as it stands is what was last saved or loaded.
  void MarkClean();
  // The diagram as it stands is no file's (a recovered diagram, schema files imported at start):
  // no position of the history is clean until the next save.
  void MarkUnsaved();
  bool IsClean() const { return clean_ == static_cast<long long>(position_); }

  // A page showing during an edit: whether the entity is one the step may still have to take, and
  // the two calls around its placing. What a placing sets (the entity's flags, place and size, its
  // rows' and boxes') is kept before it; an entity it changed joins the step as it stood.
  bool Watches(const TEntity& entity) const;
  void BeforeShow(const TEntity& entity);
  void AfterShow(const TEntity& entity);

  // The entity, and the entities owning boxes that link to it or its rows: what an edit of the
  // entity or its members can change.
  static std::vector<TEntity*> ScopeOf(TEntity* entity);

 private:
  static TEntityImage Capture(const TEntity& entity, size_t position);
  TPanelImage CapturePanel(bool withFile) const;

  struct TEntityChange {
    std::optional<TEntityImage> Before;
    std::optional<TEntityImage> After;
  };
  struct TStep {
    std::string Name;
    TPanelImage PanelBefore;
    TPanelImage PanelAfter;
    std::vector<TEntityChange> Changes;
  };

  void Apply(const TStep& step, bool forward);
  void Hold(const TEntity& entity, TEntityImage image);
  void RestoreEntity(TEntity& entity, const TEntityImage& image);
  void RestoreLinks(TEntity& entity, const TEntityImage& image);
  TEntity* InsertEntity(const TEntityImage& image);

  TOOAPanel& panel_;
  TStep pending_;  // its changes hold only images before until the edit ends
  long long firstNew_ = 0;
  long long edit_ = 0;  // counts the outermost edits: what an entity's heldByEdit_ is compared with
  bool watching_ = false;
  std::vector<int> placedBefore_;
  std::vector<int> placedAfter_;
  std::deque<TStep> steps_;
  size_t position_ = 0;
  long long clean_ = 0;  // the position that was saved or loaded; -1 when no position is
  int depth_ = 0;
  bool applying_ = false;
  bool suspended_ = false;
  long long recorded_ = 0;
};

// One command of the user's as one step, from here to the end of the scope it stands in: what it
// changes in the entities of scope (and every entity it makes) can be undone. The panel may be none.
class TEditStep {
 public:
  TEditStep(TOOAPanel* panel, const std::string& what, const std::vector<TEntity*>& scope,
            TEditReach reach = TEditReach::Scope);
  ~TEditStep();
  TEditStep(const TEditStep&) = delete;
  TEditStep& operator=(const TEditStep&) = delete;

 private:
  TOOAPanel* panel_;
};
