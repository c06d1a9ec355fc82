// A popup menu as the diagram builds it: captions ("-" is a separator), commands and submenus. The
// host turns it into a real menu; a caption is shown as written (no accelerator letters, "&" shows
// as "&").
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class PopupMenu;

class MenuItem {
 public:
  MenuItem(std::string_view caption, std::function<void()> command);
  ~MenuItem();
  MenuItem(MenuItem&&) noexcept;
  MenuItem& operator=(MenuItem&&) noexcept;

  const std::string& Caption() const { return *caption_; }
  void SetCaption(std::string caption);
  bool IsSeparator() const { return Caption() == "-"; }
  bool HasCommand() const { return static_cast<bool>(command_); }
  // A disabled item shows greyed and runs nothing.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  // Runs the command. The command is copied first: a command may destroy the object that owns this
  // menu (removing an entity removes its menu), and must not pull its own code from under itself.
  void Click() const;
  // The menu this item opens, or none: an item with a submenu has no command of its own.
  PopupMenu* Submenu() const { return submenu_.get(); }

 private:
  friend class PopupMenu;
  // The caption: the item's own, or one kept once for every menu that shows it.
  const std::string* caption_ = nullptr;
  std::unique_ptr<std::string> own_;
  std::function<void()> command_;
  std::unique_ptr<PopupMenu> submenu_;
  bool enabled_ = true;
};

class PopupMenu {
 public:
  // The item stays where it is until the next item is added.
  MenuItem& Add(std::string_view caption, std::function<void()> command = {});
  // An item that opens a submenu of this caption, and the submenu, to which items are added as to
  // any menu. The submenu stays where it is for the menu's life.
  PopupMenu& AddSubmenu(std::string_view caption);
  // Takes every item away, for a menu whose items follow a list (an item's command may be running:
  // MenuItem::Click runs a copy).
  void Clear() { items_.clear(); }
  // The menu's own items, those of its submenus aside.
  size_t Count() const { return items_.size(); }
  MenuItem& Item(size_t index) { return items_.at(index); }
  const MenuItem& Item(size_t index) const { return items_.at(index); }
  std::vector<std::string> Captions() const;
  // Every item, its submenus' too, read down the menu: an item with a submenu is followed by the
  // submenu's items. A host tells the item chosen by its place in this list.
  std::vector<const MenuItem*> AllItems() const;
  // The item with exactly this caption, in the menu or a submenu (the first in AllItems), or none.
  MenuItem* Find(const std::string& caption);

 private:
  std::vector<MenuItem> items_;
};

// Inline, where a submenu is a complete type: menus are made and grown by the thousand.
inline MenuItem::~MenuItem() = default;
inline MenuItem::MenuItem(MenuItem&&) noexcept = default;
inline MenuItem& MenuItem::operator=(MenuItem&&) noexcept = default;
