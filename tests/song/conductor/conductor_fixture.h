// Shared set-up of the conductor tests: a fresh song database at 480 ticks per quarter,
// 4/4 and 120 beats per minute, 30 frames per second (2400 subframes per second), so that
// tempos 600, 1200 and 2400 last exactly 5, 2.5 and 1.25 subframes per tick.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/memory/memory.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/app/program_hooks.h"
#include "song/conductor/conductor_document_header.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/markers.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"

class ConductorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallProgramHooks();
    gClockTempoFactor = kUnityTempoFactor;
    gSmpteRateCode = 3;
    gResolutionBeforeChange = gTicksPerQuarter = 480;
    gDocumentResolution = 480;
    gConductorState = ConductorState();
    gConductorState.ticksPerBeat = 0;
    gConductorState.tempo = 1200;
    ApplyTimebase();
    ResetSongDatabase();
    gTimeSelection = TimeSelection();
    gConductorRange[0] = gConductorRange[1] = 0;
    gConductorRecordFlag = 0;
  }

  uint8_t* Song() { return gCurrentSong; }
  uint8_t* Map() { return GetConductorMap(); }
  int32_t Count() { return CountConductorRecords(gCurrentSong); }
  uint8_t* Record(int32_t i) { return Map() + i * kConductorRecordSize; }

  // A meter change of numerator / denominator at tick (tick 1: the header).
  void MeterAt(int32_t tick, int32_t numerator, int32_t denominator) {
    SetTimeSignature(numerator, denominator);
    ASSERT_EQ(noErr, StoreMeterAt(tick));
  }
  void TempoAt(int32_t tick, int32_t tempo) { ASSERT_EQ(noErr, SetTempoAt(tempo, tick)); }

  void SelectTicks(uint32_t start, uint32_t end) {
    gTimeSelection.start.tick = start;
    gTimeSelection.end.tick = end;
  }
};

// The table conversion as a plain walk over every record, for comparison with the index.
inline uint32_t ReferenceTickToTime(uint8_t* song, int32_t tick) {
  int32_t scaled = ScaleTempoValue(ReadU16BE(song + kSongTempo), 0);
  double sum = 0.0;
  int32_t s = 1;
  for (uint8_t* r = GetSongConductorMap(song);
       ConductorKind(r) != kConductorEnd && ConductorTick(r) < tick; r += kConductorRecordSize) {
    if (ConductorKind(r) != kConductorTempo) continue;
    int32_t d = ConductorTick(r) - s;
    if (d != 0) {
      sum += d * SubframesPerTickAtTempo(scaled);
      s = ConductorTick(r);
    }
    scaled = ScaleTempoValue(ConductorValue(r), 0);
  }
  double v = double(int64_t(tick) - s) * SubframesPerTickAtTempo(scaled) + sum + 0.5;
  return v <= 0 ? 0 : uint32_t(v);
}
