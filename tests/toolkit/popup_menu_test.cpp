// Popup menus: every item keeps the caption it was given, whatever other menus show, and a command
// may remove the menu that holds it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "popup_menu.h"
#include "text.h"

namespace {
TEST(PopupMenuTest, EveryItemKeepsItsCaptionHoweverManyMenusShowTheSameOnes) {
  // Thousands of menus of the same kind, as a large diagram has; each with its own title, the
  // captions of its commands, separators and an item without a command.
  std::vector<std::unique_ptr<PopupMenu>> menus;
  int clicked = -1;
  for (int i = 0; i < 6000; ++i) {
    auto& menu = *menus.emplace_back(std::make_unique<PopupMenu>());
    std::string title = "METHOD : Entity " + IntToText(i) + " -> Check";
    menu.Add(title);
    title.assign(title.size(), 'x');  // the menu keeps a copy, not the caller's text
    menu.Add("-");
    menu.Add("-> Rename Method", [&clicked, i] { clicked = i; });
    menu.Add(std::string("-> Method ") + (i % 2 ? "Move UP" : "Move Down"), [] {});
    menu.Add(" -> Property Data Type");
    menu.Add("-> Command " + IntToText(i), [] {});
  }
  for (int i = 0; i < 6000; i += 599) {
    PopupMenu& menu = *menus[static_cast<size_t>(i)];
    EXPECT_EQ(menu.Captions(), (std::vector<std::string>{"METHOD : Entity " + IntToText(i) + " -> Check", "-",
                                                        "-> Rename Method", i % 2 ? "-> Method Move UP" : "-> Method Move Down",
                                                        " -> Property Data Type", "-> Command " + IntToText(i)}));
    EXPECT_TRUE(menu.Item(1).IsSeparator());
    EXPECT_FALSE(menu.Item(0).HasCommand());
    ASSERT_NE(menu.Find("-> Rename Method"), nullptr);
    menu.Find("-> Rename Method")->Click();
    EXPECT_EQ(clicked, i);
  }
  // A new caption for one item changes that item alone, also where others showed the same text.
  menus[3]->Item(2).SetCaption("-> Renamed");
  menus[3]->Item(0).SetCaption("METHOD : Other -> Check");
  EXPECT_EQ(menus[3]->Item(2).Caption(), "-> Renamed");
  EXPECT_EQ(menus[4]->Item(2).Caption(), "-> Rename Method");
  EXPECT_EQ(menus[3]->Item(0).Caption(), "METHOD : Other -> Check");
  EXPECT_EQ(menus[4]->Item(0).Caption(), "METHOD : Entity 4 -> Check");
  EXPECT_EQ(menus[3]->Find("-> Rename Method"), nullptr);
}

TEST(PopupMenuTest, ACommandMayRemoveTheMenuThatHoldsIt) {
  auto menu = std::make_unique<PopupMenu>();
  for (int i = 0; i < 100; ++i) menu->Add("item " + IntToText(i), [&menu] { menu.reset(); });
  EXPECT_EQ(menu->Item(99).Caption(), "item 99");
  menu->Item(57).Click();
  EXPECT_EQ(menu, nullptr);
}
}  // namespace
