#include <gtest/gtest.h>

#include <string>

#include "song/instruments/driver_procs.h"
#include "song/instruments/output_kinds.h"

namespace {

TEST(OutputKinds, NormalizeKindPairTable) {
  struct Case { uint8_t kind, port, kindOut, portOut; };
  const Case cases[] = {
      {4, 7, 4, 0},    {5, 3, 5, 0},    {11, 2, 11, 0},  {127, 9, 127, 0},  // port cleared
      {13, 5, 19, 5},                                                      // 13 becomes 19
      {18, 3, 18, 3},  {19, 2, 19, 2},  {20, 7, 20, 7},  {22, 1, 22, 1},  {24, 2, 24, 2},
      {7, 1, 0, 0},    {8, 4, 1, 0},    {9, 4, 2, 4},    {10, 4, 3, 4},     // 7-10 become 0-3
      {2, 5, 2, 5},    {3, 5, 3, 5},    {6, 3, 6, 3},    {14, 2, 14, 2},    // keep the port
      {0, 3, 0, 0},    {1, 3, 1, 0},    {12, 1, 12, 0},  {21, 4, 21, 0},  {16, 9, 16, 0},
  };
  for (const Case& k : cases) {
    uint8_t kind = k.kind, port = k.port;
    NormalizeKindPair(&kind, &port);
    EXPECT_EQ(kind, k.kindOut) << "kind " << int(k.kind);
    EXPECT_EQ(port, k.portOut) << "kind " << int(k.kind);
    kind = k.kind;
    port = k.port;
    NormalizeKindPairDefault(&kind, &port);
    EXPECT_EQ(kind, k.kindOut);
    EXPECT_EQ(port, k.portOut);
  }
}

TEST(OutputKinds, DriverProcedures) {
  EXPECT_EQ(GetDriverProcForKind(5), kQuickTimeMusicDriverProc);
  EXPECT_EQ(GetDriverProcForKind(18), kMidiPortDriverProc);
  EXPECT_EQ(GetDriverProcForKind(20), kPluginInstrumentDriverProc);
  EXPECT_EQ(GetDriverProcForKind(21), kReWireDriverProc);
  EXPECT_EQ(GetDriverProcForKind(19), kAudioDriverProcBase + 19);  // the host audio driver
  EXPECT_EQ(GetDriverProcForKind(0), kDefaultDriverProc);
  EXPECT_EQ(GetDriverProcForKind(11), kDefaultDriverProc);
}

TEST(OutputKinds, NamesAreNeverEmptyForKnownKinds) {
  for (int kind = 0; kind < 25; ++kind) EXPECT_GT(BuildOutputKindName(uint8_t(kind), 0)[0], 0) << kind;
  EXPECT_GT(GetOutputKindName(127, 0)[0], 0);
  EXPECT_EQ(BuildOutputKindName(60, 0)[0], 0);
}

}  // namespace

#include "platform/memory/byte_order.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"

namespace {

TEST(OutputKinds, CurrentTrackDriverIsNormalisedAndStored) {
  ResetSongDatabase();
  ASSERT_NE(gCurrentTrack, nullptr);
  gCurrentTrack[kTrackType] = 9;
  gCurrentTrack[kTrackMidiOutput] = 4;
  RefreshCurrentTrackDriver();
  EXPECT_EQ(gCurrentTrack[kTrackType], 2);
  EXPECT_EQ(gCurrentTrack[kTrackMidiOutput], 4);
  EXPECT_EQ(ReadU32BE(gCurrentTrack + kTrackSetting208), kDefaultDriverProc);
  gCurrentTrack[kTrackType] = 18;
  RefreshCurrentTrackDriver();
  EXPECT_EQ(ReadU32BE(gCurrentTrack + kTrackSetting208), kMidiPortDriverProc);
}

}  // namespace
