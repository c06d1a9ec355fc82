#include "popup_menu.h"

void MenuItem::Click() const {
  const std::function<void()> command = command_;
  if (command) command();
}

MenuItem& PopupMenu::Add(std::string caption, std::function<void()> command) {
  items_.push_back(std::make_unique<MenuItem>(std::move(caption), std::move(command)));
  return *items_.back();
}

MenuItem* PopupMenu::Find(const std::string& caption) {
  for (auto& item : items_)
    if (item->Caption() == caption) return item.get();
  return nullptr;
}

std::vector<std::string> PopupMenu::Captions() const {
  std::vector<std::string> captions;
  captions.reserve(items_.size());
  for (const auto& item : items_) captions.push_back(item->Caption());
  return captions;
}
