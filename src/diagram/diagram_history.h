// The edits of a diagram, as steps that can be taken back and done again. A step keeps what its
// edit changed as images (diagram_images.h) of the entities it touched, each with its rows and
// boxes, before and after the edit, and of the panel's own state; undoing sets those entities and
// the panel back to the images before, redoing to the images after. An entity the edit made has no
// image before it, one it removed none after it. Each object takes and gives back its own image.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "diagram_images.h"

class TEntity;
class TOOAPanel;

// What an edit may change: the entities it is given, every entity, or every entity and the
// diagram's name and folder (a load or a close).
enum class TEditReach { Scope, AllEntities, WholeDiagram };

class TDiagramHistory {
 public:
  // Steps kept; the oldest goes first.
  static constexpr size_t MaxSteps = 1000;

  explicit TDiagramHistory(TOOAPanel& panel);
  ~TDiagramHistory();
  TDiagramHistory(const TDiagramHistory&) = delete;
  TDiagramHistory& operator=(const TDiagramHistory&) = delete;

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
  TEntityImage ImageOf(const TEntity& entity) const;

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
  // Apply, and on failure back to the position before (back steps) with the history usable.
  void ApplyOrStay(const TStep& step, bool forward, int back);
  void Hold(TEntityImage image);
  // Lets go of steps nobody can reach any more (undone and overtaken by a new edit, or the oldest
  // past MaxSteps): small ones at once, large ones on a thread of their own (joined before the next
  // and when the history goes), so that an edit does not wait for freeing thousands of images.
  static constexpr size_t kImagesFreedAside = 256;
  void Discard(std::vector<TStep> steps);

  TOOAPanel& panel_;
  TStep pending_;  // its changes hold only images before until the edit ends
  std::unordered_set<long long> held_;  // the serials of the entities pending_ holds
  long long firstNew_ = 0;
  bool watching_ = false;
  TPlacing placedBefore_;
  TPlacing placedAfter_;
  std::deque<TStep> steps_;
  size_t position_ = 0;
  long long clean_ = 0;  // the position that was saved or loaded; -1 when no position is
  int depth_ = 0;
  bool applying_ = false;
  bool suspended_ = false;
  long long recorded_ = 0;
  std::thread discarding_;
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
