// Finding a diagram's objects by their description (entities by their title, their property and
// method rows, their relation and event boxes) and going to one: its page shown, the object selected
// as a press on it selects it, and where it stands on the surface told for the view to show it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "geometry.h"

class Control;
class TOOAPanel;

class TDiagramFind {
 public:
  // The kinds in the order an entity's matches come in.
  enum class TKind { Entity, Property, Method, Relation, Event };

  // What going to a match came to.
  struct TFound {
    size_t Index = 0;  // its place among the matches, from 0
    size_t Count = 0;  // how many there are; none found when 0
    // Whether it stands on the active page now (no page shows an entity without entries, nor its
    // members): only then is it selected, and Bounds is where it stands on the surface (a row
    // hidden there: its entity's box).
    bool Shown = false;
    TRect Bounds;
    bool Found() const { return Count > 0; }
  };

  explicit TDiagramFind(TOOAPanel& panel);

  // Another text: the matches are found anew and the first from the current one on (the current
  // one itself while it still matches) is gone to. The same text again goes to the current match.
  TFound Find(const std::string& text);
  // The match after or before the current one, past the last back to the first and the other way.
  TFound Next();
  TFound Previous();
  const std::string& Text() const { return text_; }
  // The object gone to last, while it stands; none before the first.
  Control* Current() const;

 private:
  // A match known by what outlives the object itself, so that a match whose object went since (an
  // edit, an undo) is never followed: the entity's serial, the row's or box's number (0 for the
  // entity), and where it stood in the order.
  struct TMatch {
    long long Serial = 0;
    TKind Kind = TKind::Entity;
    long long Id = 0;
    size_t EntityIndex = 0;
    size_t Member = 0;
    bool operator<(const TMatch& other) const;
  };

  // What the matches are found in goes stale with every step, undo and redo, or with another diagram:
  // it is read again before it is used then.
  bool Stale() const;
  // Every description, folded to small letters, one after the other (each ended by a zero byte) in
  // one text, so that a key typed searches one text rather than visiting every object.
  void Read();
  // The objects whose description holds the text.
  void Match();
  // The place of the first match at or after the current one (the count when none is).
  size_t FirstFromCurrent() const;
  TFound GoTo(size_t index);
  Control* Resolve(const TMatch& match) const;

  TOOAPanel& panel_;
  std::string text_;
  std::string folded_;
  std::vector<TMatch> objects_;
  std::vector<size_t> starts_;
  std::string described_;
  std::vector<TMatch> matches_;
  bool read_ = false;
  long long recorded_ = -1;
  size_t position_ = 0;
  size_t entityCount_ = 0;
  long long nextSerial_ = 0;
  // The match gone to last, and its place in matches_ when it is known to stand there.
  TMatch current_;
  bool hasCurrent_ = false;
  size_t currentIndex_ = 0;
  bool currentIndexKnown_ = false;
};
