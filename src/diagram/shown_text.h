// A text of the diagram where it shows on the surface: an entity's title, a property or method row's
// name, a relation or event box's description. What an editor in place renames (F2 on what was
// pressed last, a double-click on what is under the pointer) and what a tooltip shows whole when the
// box it stands in cuts it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "geometry.h"

class Control;
class TOOAPanel;

// The name a list or a screen reader gives an object, as the surface writes it: its description, or
// its component name when it has none; an entity's title ("New Entity" without a description).
std::string ShownName(const Control& object);

class TShownText {
 public:
  enum class TKind { Entity, Property, Method, Relation, Event };

  // The title, row or box pressed last, as Delete finds it: the pressed relation or event box, the
  // pressed row while its entity is the selected one, else the selected entity's title. None while
  // that does not show on the surface.
  static std::optional<TShownText> OfPressed(TOOAPanel& panel);
  // The title, row or box shown at the point of the surface; none over the empty surface. A point of
  // an entity on none of its rows is on its title.
  static std::optional<TShownText> At(TOOAPanel& panel, TPoint point);

  TKind Kind() const { return kind_; }
  // Where the text's box stands on the surface: the row or box, or the entity's title band.
  const TRect& Box() const { return box_; }
  // The object's own description: what a rename starts from (empty when it has none).
  const std::string& Desc() const { return desc_; }
  // The text as painting writes it (the component name for an empty description; a method's
  // " ( )" after it), and whether the box it stands in, or a box around that, cuts it: measured
  // on the platform's measuring canvas and placed as painting places it.
  const std::string& Shown() const { return shown_; }
  bool IsCut() const { return cut_; }
  // Left-aligned in its box (a method row) rather than centred.
  bool LeftAligned() const { return kind_ == TKind::Method; }

  // Renames the object as its menu's rename does with the answer, as one step named as that one; a
  // blank or unchanged text, or an object gone since, changes nothing and leaves no step. True when
  // renamed.
  bool Rename(const std::string& text) const;

  // The whole text of the row or title at the point when its box cuts it; empty otherwise. At most
  // TEntity::kHeaderCharacters characters are given, as a menu's header gives them: a tooltip is
  // one line on the screen.
  static std::string CutTextAt(TOOAPanel& panel, TPoint point);

 private:
  TShownText(TKind kind, Control& object);

  TKind kind_;
  Control* object_;
  std::weak_ptr<const void> alive_;
  TRect box_;
  std::string desc_;
  std::string shown_;
  bool cut_ = false;
};
