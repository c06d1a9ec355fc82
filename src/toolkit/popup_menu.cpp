#include "popup_menu.h"

#include <unordered_set>

namespace {
struct CaptionHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Every entity, row and box has a menu, and the captions of their commands and separators are the
// same in every menu of a kind ("-> Rename Method" in each method row's): each is kept once for all
// of them, rather than once per object of a diagram of thousands. Titles, which name their object,
// are each menu's own. The number kept is bounded; past it a caption is the item's own as well.
constexpr size_t kSharedCaptions = 4096;

const std::string* SharedCaption(std::string_view caption) {
  // Never destroyed: items anywhere may point into it until the very end.
  static auto* const shared = new std::unordered_set<std::string, CaptionHash, std::equal_to<>>();
  if (const auto known = shared->find(caption); known != shared->end()) return &*known;
  if (shared->size() >= kSharedCaptions) return nullptr;
  return &*shared->emplace(caption).first;
}
}  // namespace

MenuItem::MenuItem(std::string_view caption, std::function<void()> command) : command_(std::move(command)) {
  if (command_ || caption == "-") caption_ = SharedCaption(caption);
  if (!caption_) {
    own_ = std::make_unique<std::string>(caption);
    caption_ = own_.get();
  }
}

void MenuItem::SetCaption(std::string caption) {
  if (own_) {
    *own_ = std::move(caption);
    return;
  }
  own_ = std::make_unique<std::string>(std::move(caption));
  caption_ = own_.get();
}

void MenuItem::Click() const {
  if (!enabled_) return;
  const std::function<void()> command = command_;
  if (command) command();
}

MenuItem& PopupMenu::Add(std::string_view caption, std::function<void()> command) {
  // Every object of a diagram has a menu of six to eighteen items: room for eight at first, then
  // half as much again, so that little room is left over in thousands of menus.
  if (items_.size() == items_.capacity()) items_.reserve(items_.size() < 8 ? 8 : items_.size() + items_.size() / 2);
  return items_.emplace_back(caption, std::move(command));
}

PopupMenu& PopupMenu::AddSubmenu(std::string_view caption) {
  MenuItem& item = Add(caption);
  item.submenu_ = std::make_unique<PopupMenu>();
  return *item.submenu_;
}

std::vector<const MenuItem*> PopupMenu::AllItems() const {
  std::vector<const MenuItem*> all;
  for (const auto& item : items_) {
    all.push_back(&item);
    if (item.submenu_) {
      const std::vector<const MenuItem*> inner = item.submenu_->AllItems();
      all.insert(all.end(), inner.begin(), inner.end());
    }
  }
  return all;
}

MenuItem* PopupMenu::Find(const std::string& caption) {
  for (auto& item : items_) {
    if (item.Caption() == caption) return &item;
    if (item.submenu_)
      if (MenuItem* inner = item.submenu_->Find(caption)) return inner;
  }
  return nullptr;
}

std::vector<std::string> PopupMenu::Captions() const {
  std::vector<std::string> captions;
  captions.reserve(items_.size());
  for (const auto& item : items_) captions.push_back(item.Caption());
  return captions;
}
