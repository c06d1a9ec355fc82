// The recovery copies of unsaved diagrams: one per running editor, in one folder of the user's, each
// beside a description of what it came from and a lock its editor holds while it runs. A copy whose
// lock nobody holds is an orphan: its editor crashed, was killed or closed with unsaved changes, and
// the next editor offers it back.
//
// In the folder, for an editor known by ID: ID.lock (locked with flock while the editor runs),
// ID.ERD (the diagram file, written as a save writes it) and ID.info (the description, written
// after the copy, so that a described copy is always whole).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// What the offer of a copy tells and what restoring it needs.
struct TRecoveryInfo {
  std::string DiagramName;    // an orphan's is the description's; its copy's own name is the truer
  std::string DiagramFolder;  // the folder of the file the diagram came from; empty for none
  long long WrittenAt = 0;    // seconds since 1970, UTC; an orphan's is when its copy was written
  std::string DiagramFile;    // the diagram's own file (TOOAPanel::DiagramFile); empty for none
};

struct TRecoveryCopy {
  std::string Id;
  std::string CopyFile;
  TRecoveryInfo Info;
  // Why the copy cannot be restored (its description is missing, damaged or from a newer version,
  // its diagram cannot be read); empty when it can.
  std::string Problem;
};

class TRecoveryStore {
 public:
  // The version of the description this editor writes and reads; a higher one is a newer editor's.
  static constexpr int Version = 1;

  // $XDG_STATE_HOME/quorvane/recovery, or ~/.local/state/quorvane/recovery when the variable is
  // unset or not an absolute path.
  static std::string DefaultFolder();

  explicit TRecoveryStore(std::string folder);
  // Lets go of this editor's lock and of the orphans held; this editor's copy stays when it has one.
  ~TRecoveryStore();
  TRecoveryStore(const TRecoveryStore&) = delete;
  TRecoveryStore& operator=(const TRecoveryStore&) = delete;

  const std::string& Folder() const { return folder_; }

  // Writes this editor's copy and its description, each replacing the one before atomically; the
  // folder and this editor's lock are made first. Raises EToolkitError when anything fails.
  void Write(std::string_view diagramText, const TRecoveryInfo& info);
  // Removes this editor's copy; nothing when it has none.
  void Remove();
  bool HasCopy() const;

  // The copies whose editors no longer run, newest first: each stays locked by this store, so that
  // no other editor offers it at the same time, until it is discarded, put aside, taken or the
  // store goes. A copy whose description cannot be read comes with its Problem set.
  std::vector<TRecoveryCopy> Orphans();
  // An orphan the user does not want back: its files go.
  void Discard(const TRecoveryCopy& copy);
  // An orphan that cannot be restored: renamed to ID.ERD.damaged (its description to
  // ID.info.damaged), never deleted; returns the name the copy now has (where it stands when it
  // cannot be renamed; its description's when the copy itself is missing).
  std::string PutAside(const TRecoveryCopy& copy);
  // An orphan restored into this editor: it becomes this editor's copy, still recoverable.
  void Adopt(const TRecoveryCopy& copy);

 private:
  std::string PathOf(const std::string& id, const char* suffix) const;
  void LockOwn();
  void Release(const std::string& id);

  std::string folder_;
  std::string id_;
  int lock_ = -1;
  bool hasCopy_ = false;
  std::map<std::string, int> held_;  // the orphans' locks, by id
  mutable std::mutex mutex_;         // writes come from a thread of their own
};
