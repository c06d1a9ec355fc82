// A popup menu as the diagram builds it: captions ("-" is a separator) and commands. The host turns
// it into a real menu; a caption is shown as written (no accelerator letters, "&" shows as "&").
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class MenuItem {
 public:
  MenuItem(std::string_view caption, std::function<void()> command);

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

 private:
  // The caption: the item's own, or one kept once for every menu that shows it.
  const std::string* caption_ = nullptr;
  std::unique_ptr<std::string> own_;
  std::function<void()> command_;
  bool enabled_ = true;
};

class PopupMenu {
 public:
  // The item stays where it is until the next item is added.
  MenuItem& Add(std::string_view caption, std::function<void()> command = {});
  size_t Count() const { return items_.size(); }
  MenuItem& Item(size_t index) { return items_.at(index); }
  const MenuItem& Item(size_t index) const { return items_.at(index); }
  // The item with exactly this caption, or none.
  MenuItem* Find(const std::string& caption);
  std::vector<std::string> Captions() const;

 private:
  std::vector<MenuItem> items_;
};
