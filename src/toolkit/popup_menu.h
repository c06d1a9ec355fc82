// A popup menu as the diagram builds it: captions ("-" is a separator) and commands. The host turns
// it into a real menu; a caption is shown as written (no accelerator letters, "&" shows as "&").
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class MenuItem {
 public:
  MenuItem(std::string caption, std::function<void()> command)
      : caption_(std::move(caption)), command_(std::move(command)) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  bool IsSeparator() const { return caption_ == "-"; }
  bool HasCommand() const { return static_cast<bool>(command_); }
  // Runs the command. The command is copied first: a command may destroy the object that owns this
  // menu (removing an entity removes its menu), and must not pull its own code from under itself.
  void Click() const;

 private:
  std::string caption_;
  std::function<void()> command_;
};

class PopupMenu {
 public:
  MenuItem& Add(std::string caption, std::function<void()> command = {});
  size_t Count() const { return items_.size(); }
  MenuItem& Item(size_t index) { return *items_.at(index); }
  const MenuItem& Item(size_t index) const { return *items_.at(index); }
  // The item with exactly this caption, or none.
  MenuItem* Find(const std::string& caption);
  std::vector<std::string> Captions() const;

 private:
  std::vector<std::unique_ptr<MenuItem>> items_;
};
