// Texts of the track views: names shortened to a column's width and track lengths in bars.
#include <cstring>
#include <string>

#include "platform/text/pascal_strings.h"
#include "shell/drawing/text_drawing.h"
#include "shell/drawing/track_text.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

std::string Text(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

void MakePString(const std::string& text, Str255 out) {
  out[0] = uint8_t(text.size());
  std::memcpy(out + 1, text.data(), text.size());
}

using TrackTextTest = FieldsTest;

TEST_F(TrackTextTest, NamesAreShortenedUntilTheyFitAndKeptWhenTheyDo) {
  Str255 name, out;
  MakePString("Strings and Woodwinds", name);
  int16_t full = MeasurePString(name);
  ASSERT_GT(full, 20);

  TruncatePStringToWidth(name, out, full, kTruncateWithEllipsis);
  EXPECT_EQ("Strings and Woodwinds", Text(out));  // fits: unchanged

  int previous = name[0] + 1;
  for (int16_t width : {int16_t(full - 1), int16_t(full / 2), int16_t(full / 4)}) {
    TruncatePStringToWidth(name, out, width, kTruncateWithEllipsis);
    std::string text = Text(out);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ("...", text.substr(text.size() - 3));
    EXPECT_EQ(0, std::string("Strings and Woodwinds").find(text.substr(0, text.size() - 3)));
    EXPECT_LE(MeasurePString(out), width);
    EXPECT_LT(int(text.size()) - 3, previous);  // a narrower width keeps fewer characters
    previous = int(text.size()) - 3;
  }

  TruncatePStringToWidth(name, out, 1, kTruncateWithEllipsis);  // not even the dots fit
  EXPECT_EQ("...", Text(out));
  TruncatePStringToWidth(name, out, int16_t(full / 2), kTruncateToFirstCharacter);
  EXPECT_EQ("S", Text(out));

  gTruncateWithThreeDots = false;
  TruncatePStringToWidth(name, name, int16_t(full / 2), kTruncateWithEllipsis);  // in place
  gTruncateWithThreeDots = true;
  EXPECT_EQ(kEllipsisCharacter, name[name[0]]);
  EXPECT_LT(name[0], 21);

  Str255 empty = {0};
  TruncatePStringToWidth(empty, out, 0, kTruncateToFirstCharacter);
  EXPECT_EQ(0, out[0]);
}

TEST(TrackLengthText, LengthsAboveFourDigitsShowDots) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "0"}, {12, "12"}, {9999, "9999"}, {10000, "..."}, {-1, "..."}};
  for (const auto& c : cases) {
    Str255 text;
    FormatTrackLengthText(c.first, text);
    EXPECT_EQ(c.second, Text(text)) << c.first;
  }
}

}  // namespace
}  // namespace fields_test
