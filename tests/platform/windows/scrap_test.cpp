#include <gtest/gtest.h>

#include <cstring>

#include "platform/windows/scrap.h"
#include "tests/platform/windows/windows_test_support.h"

namespace {

TEST(Scrap, FlavorsRoundTripAndTheReferenceChangesWithTheClipboard) {
  ASSERT_EQ(ClearCurrentScrap(), noErr);
  ScrapRef scrap = nullptr;
  ASSERT_EQ(GetCurrentScrap(&scrap), noErr);
  const char text[] = "Bar 12";
  EXPECT_EQ(PutScrapFlavor(scrap, kScrapFlavorTypeText, kScrapFlavorMaskNone, 6, text), noErr);
  EXPECT_EQ(PutScrapFlavor(scrap, kScrapFlavorTypeText, kScrapFlavorMaskNone, 6, text), duplicateScrapFlavorErr);
  EXPECT_EQ(PutScrapFlavor(scrap, FourCC("DSeC"), kScrapFlavorMaskNone, 4, nullptr), nilScrapFlavorDataErr);
  EXPECT_EQ(PutScrapFlavor(scrap, FourCC("DSeC"), kScrapFlavorMaskNone, -1, text), illegalScrapFlavorSizeErr);

  ScrapRef again = nullptr;
  GetCurrentScrap(&again);
  EXPECT_EQ(again, scrap) << "unchanged clipboard, same reference";
  Size size = 0;
  EXPECT_EQ(GetScrapFlavorSize(again, kScrapFlavorTypeText, &size), noErr);
  EXPECT_EQ(size, 6);
  char buffer[16] = {};
  Size want = 3;
  EXPECT_EQ(GetScrapFlavorData(again, kScrapFlavorTypeText, &want, buffer), noErr);
  EXPECT_EQ(want, 3) << "no more than asked";
  EXPECT_EQ(std::string(buffer, 3), "Bar");
  EXPECT_EQ(GetScrapFlavorSize(again, FourCC("PICT"), &size), scrapFlavorNotFoundErr);
  UInt32 count = 0;
  EXPECT_EQ(GetScrapFlavorCount(again, &count), noErr);
  EXPECT_EQ(count, 1u);

  ASSERT_EQ(ClearCurrentScrap(), noErr);
  ScrapRef cleared = nullptr;
  GetCurrentScrap(&cleared);
  EXPECT_NE(cleared, scrap) << "a cleared clipboard is a new scrap";
  EXPECT_EQ(GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size), badScrapRefErr);
  EXPECT_EQ(PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, 6, text), badScrapRefErr);
  EXPECT_EQ(GetScrapFlavorCount(cleared, &count), noErr);
  EXPECT_EQ(count, 0u);
}

}  // namespace
