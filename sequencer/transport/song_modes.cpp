#include "sequencer/transport/song_modes.h"

#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint8_t kModeOne = 1;
constexpr uint8_t kModeRecord = 3;

uint8_t CurrentSongMode() { return gCurrentSong ? SongHeaderView(gCurrentSong).SongMode() : 0; }

const uint8_t* CurrentInstrument() { return GetInstrumentRecord(gCurrentInstrument); }

}  // namespace

uint8_t GetCurrentOutputDevice() {
  const uint8_t* instrument = CurrentInstrument();
  return instrument ? instrument[kInstDeviceKinds] : 0;
}

bool IsSongModeOne() { return CurrentSongMode() == kModeOne; }

bool IsSongStepOrRecordMode() {
  uint8_t mode = CurrentSongMode();
  return mode == kModeRecord || (mode == kModeOne && GetCurrentOutputDevice() == kPluginInstrumentDevice);
}

bool IsPluginInstrumentCurrent() { return GetCurrentOutputDevice() == kSecondPluginInstrumentDevice; }

bool DoesSongAllowStepInput() {
  if (IsSongModeOne()) return true;
  if (!IsSongStepOrRecordMode()) return false;
  const uint8_t* instrument = CurrentInstrument();
  return instrument && RackHasPluginChain(Handle(ReadU32BE(instrument + kInstInsertRack)));
}
