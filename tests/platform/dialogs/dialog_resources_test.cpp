// Reading 'DITL', 'DLOG' and 'ALRT' images, and refusing damaged ones.
#include <gtest/gtest.h>

#include "platform/dialogs/dialog_resources.h"
#include "platform/memory/byte_order.h"
#include "tests/platform/dialogs/dialog_test_support.h"

namespace {

using dialog_test::Item;

const UInt8* Bytes(const std::string& s) { return reinterpret_cast<const UInt8*>(s.data()); }

TEST(DialogResources, ItemListsRoundTripWithTheirPadding) {
  std::vector<DialogItemTemplate> items = dialog_test::EveryItemKind();
  items.push_back(Item(helpItem, Rect{0, 0, 0, 0}));
  std::string image = BuildDialogItemList(items);
  std::vector<DialogItemTemplate> back;
  ASSERT_TRUE(ParseDialogItemList(Bytes(image), image.size(), &back));
  ASSERT_EQ(back.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(back[i].type, items[i].type) << i;
    EXPECT_EQ(back[i].rect, items[i].rect) << i;
    EXPECT_EQ(back[i].text, items[i].text) << i;
    EXPECT_EQ(back[i].resourceID, items[i].resourceID) << i;
  }
  // "OK" (even) takes no pad byte, "Cancel" neither, "Loop playback" (13) one.
  EXPECT_EQ(image.size() % 2, 0u);
  std::vector<DialogItemTemplate> none;
  std::string empty = BuildDialogItemList(none);
  ASSERT_TRUE(ParseDialogItemList(Bytes(empty), empty.size(), &back));
  EXPECT_TRUE(back.empty());
}

TEST(DialogResources, DamagedItemListsAreRefused) {
  std::string good = BuildDialogItemList(dialog_test::EveryItemKind());
  std::vector<DialogItemTemplate> out;
  // Cut anywhere before its last item's data ends: refused.
  for (size_t n = 0; n + 1 < good.size(); ++n)
    EXPECT_FALSE(ParseDialogItemList(Bytes(good), n, &out)) << n;
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"count past the items", [&] { std::string s = good; s[1] = 40; return s; }()},
      {"negative count", std::string("\xFF\xF0", 2)},
      {"unknown type", BuildDialogItemList({Item(3, Rect{0, 0, 10, 10})})},
      {"resource item of 3 bytes", [] {
         std::string s = BuildDialogItemList({Item(kIconDialogItem, Rect{0, 0, 10, 10}, "", 5)});
         s[15] = 3;
         return s + std::string(2, '\0');
       }()},
      {"too many items", [] {
         std::string s = BuildDialogItemList(std::vector<DialogItemTemplate>(
             kMaxDialogItems + 1, Item(userItem, Rect{0, 0, 1, 1})));
         return s;
       }()},
  };
  for (const Case& k : cases) EXPECT_FALSE(ParseDialogItemList(Bytes(k.bytes), k.bytes.size(), &out)) << k.name;
  EXPECT_FALSE(ParseDialogItemList(nullptr, 10, &out));
}

TEST(DialogResources, DialogAndAlertTemplates) {
  // bounds, procID 5, visible, goAway, refCon 77, DITL 130, title "Odd" (odd: a pad), position.
  std::string dlog = std::string("\x00\x0A\x00\x14\x00\x64\x00\xC8\x00\x05\x01\x00\x01\x00\x00\x00\x00\x4D\x00\x82", 20) +
                     "\x03Odd" + std::string("\x30\x0A", 2);
  DialogTemplate d;
  ASSERT_TRUE(ParseDialogTemplate(Bytes(dlog), dlog.size(), &d));
  EXPECT_EQ(d.bounds, (Rect{10, 20, 100, 200}));
  EXPECT_EQ(d.procID, 5);
  EXPECT_TRUE(d.visible);
  EXPECT_TRUE(d.goAway);
  EXPECT_EQ(d.refCon, 77);
  EXPECT_EQ(d.itemsID, 130);
  EXPECT_EQ(d.title, "Odd");
  EXPECT_EQ(d.position, kDialogPositionAlertMainScreen);
  ASSERT_TRUE(ParseDialogTemplate(Bytes(dlog), dlog.size() - 2, &d));
  EXPECT_EQ(d.position, kDialogPositionNone);
  for (size_t n = 0; n < 24; ++n) EXPECT_FALSE(ParseDialogTemplate(Bytes(dlog), n, &d)) << n;

  std::string alrt("\x00\x0A\x00\x14\x00\x64\x00\xC8\x00\xC8\x55\x5D", 12);
  AlertTemplate a;
  ASSERT_TRUE(ParseAlertTemplate(Bytes(alrt), alrt.size(), &a));
  EXPECT_EQ(a.itemsID, 200);
  EXPECT_EQ(a.stages, 0x555D);
  EXPECT_FALSE(ParseAlertTemplate(Bytes(alrt), 11, &a));
}

}  // namespace
