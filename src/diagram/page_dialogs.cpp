#include "page_dialogs.h"

#include <algorithm>

#include "platform.h"
#include "text.h"

namespace {
bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto ux = static_cast<unsigned char>((x >= 'a' && x <= 'z') ? x - 'a' + 'A' : x);
    const auto uy = static_cast<unsigned char>((y >= 'a' && y <= 'z') ? y - 'a' + 'A' : y);
    return ux < uy;
  });
}

ChoiceDialog PageDialog(const std::string& caption, const std::string& label, int labelLeft,
                        std::vector<std::string> items) {
  ChoiceDialog dialog;
  dialog.Caption = caption;
  dialog.Width = 320;
  dialog.Height = 105;
  dialog.FontSize = 10;
  dialog.Label = label;
  dialog.LabelLeft = labelLeft;
  dialog.LabelTop = 16;
  dialog.ListLeft = 142;
  dialog.ListTop = 12;
  dialog.ListWidth = 160;
  SortListItems(items);
  dialog.Items = std::move(items);
  dialog.CloseLeft = 126;
  dialog.CloseTop = 54;
  return dialog;
}
}  // namespace

void SortListItems(std::vector<std::string>& items) {
  std::stable_sort(items.begin(), items.end(), LessIgnoringCase);
}

void AddDisplayPageDialog(Platform& platform, const std::string& objectName, int left, int top,
                          const TEntryList& pageList, TEntryList& entries) {
  std::vector<std::string> items{""};
  for (const auto& page : pageList) items.push_back(PageOfEntry(page));
  const std::string chosen = platform.Choose(PageDialog(
      "Add New DisPlay Page [ " + objectName + " ]", "New DisPlay Page", 22, std::move(items)));
  if (IsBlank(chosen) || IndexOfPage(chosen, entries) >= 0) return;
  entries.push_back(MakeEntry(chosen, left, top));
}

void RemoveDisplayPageDialog(Platform& platform, const std::string& objectName, TEntryList& entries) {
  std::vector<std::string> items{""};
  for (const auto& entry : entries) items.push_back(PageOfEntry(entry));
  const std::string chosen = platform.Choose(PageDialog(
      "Remove New DisPlay Page [ " + objectName + " ]", "Select Remove Page ", 12, std::move(items)));
  if (IsBlank(chosen)) return;
  const int index = IndexOfPage(chosen, entries);
  if (index >= 0) entries.erase(entries.begin() + index);
}
