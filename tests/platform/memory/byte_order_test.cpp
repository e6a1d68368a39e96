#include <gtest/gtest.h>

#include <cstdint>

#include "platform/memory/byte_order.h"

namespace {

TEST(ByteOrder, IntegersAreBigEndian) {
  uint8_t b[8] = {};
  WriteU16BE(b, 0x1234);
  EXPECT_EQ(b[0], 0x12);
  EXPECT_EQ(ReadU16BE(b), 0x1234);
  WriteI32BE(b, -2);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[3], 0xFE);
  EXPECT_EQ(ReadI32BE(b), -2);
  WriteU64BE(b, 0x0102030405060708ull);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[7], 8);
  EXPECT_EQ(ReadU64BE(b), 0x0102030405060708ull);
  WriteF32BE(b, 1.0f);
  EXPECT_EQ(ReadU32BE(b), 0x3F800000u);
  EXPECT_EQ(ReadF32BE(b), 1.0f);
  WriteF64BE(b, -2.5);
  EXPECT_EQ(ReadF64BE(b), -2.5);
}

TEST(ByteOrder, Extended80MatchesKnownAiffRates) {
  struct Case {
    double rate;
    uint8_t bytes[10];
  } cases[] = {
      {44100.0, {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}},
      {48000.0, {0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0}},
      {22050.0, {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}},
      {8000.0, {0x40, 0x0B, 0xFA, 0x00, 0, 0, 0, 0, 0, 0}},
      {1.0, {0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    uint8_t out[10];
    WriteExtended80(out, c.rate);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], c.bytes[i]) << c.rate << " byte " << i;
    EXPECT_EQ(ReadExtended80(c.bytes), c.rate);
  }
  uint8_t inf[10] = {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ReadExtended80(inf), 0.0);
}

struct MarkerView : RecordView {
  using RecordView::RecordView;
  uint32_t Tick() const { return U32(0); }
  void SetTick(uint32_t t) { SetU32(0, t); }
  int16_t Value() const { return I16(4); }
  void SetValue(int16_t v) { SetI16(4, v); }
};

TEST(ByteOrder, RecordViewNamesFieldsOverBytes) {
  uint8_t image[6] = {};
  MarkerView view(image);
  view.SetTick(0x7FFFFFFF);
  view.SetValue(-3);
  EXPECT_EQ(image[0], 0x7F);
  EXPECT_EQ(image[4], 0xFF);
  EXPECT_EQ(view.Tick(), 0x7FFFFFFFu);
  EXPECT_EQ(view.Value(), -3);
}

}  // namespace
