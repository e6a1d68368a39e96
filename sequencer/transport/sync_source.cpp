#include "sequencer/transport/sync_source.h"

#include "platform/memory/byte_order.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/transport/movie_sync_hooks.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/app_state.h"
#include "song/conductor/tempo_tables.h"
#include "song/documents/document_file.h"
#include "song/model/song_context.h"
#include "song/model/window_redraw.h"

uint32_t gSyncFlags = 0;

namespace {

constexpr uint8_t kSourcesWithExternalTime = 0xF4;  // 2, 4, 5, 6 and 7
constexpr uint8_t kSyncModeAudioClock = 2;

// No external device offers a position yet: source 7 has nothing to follow.
int16_t ResolveExternalDevice(int16_t code) {
  return code == kSyncSourceExternalDevice ? kSyncSourceInternal : code;
}

void FollowTimeCode() {
  gTransportClock.playBits |= kPlayBitTimeCode;
  gTransportClock.syncRunning = 0;
  if (GetSyncModeByte() == kSyncModeAudioClock) gAudioClockMode = 1;
}

}  // namespace

void SetSyncSource(int16_t code) {
  if (code < kSyncSourceInternal || code > kSyncSourceExternalDevice) code = kSyncSourceInternal;
  // The document keeps the source chosen, so that a song switch applies it again.
  WriteU16BE(gSongFileHeader + kFileHeaderSyncSource, uint16_t(code));
  code = ResolveExternalDevice(code);
  if (code == kSyncSourceMachineControl && gClockSyncSource != code) gMmcResetSent = 0;
  gClockSyncSource = code;
  gTransportClock.playBits &= uint8_t(~kPlayBitTimeCode);
  gMachineControl = 0;
  gAudioClockMode = 0;
  switch (code) {
    case kSyncSourceTimeCode:
      FollowTimeCode();
      break;
    case kSyncSourceMachineControl:
      gAudioClockMode = 1;
      gMachineControl = 1;
      if (GetSyncModeByte() != kSyncModeAudioClock) {
        MmcResetOnce();
        MmcSetup();
      }
      FollowTimeCode();
      break;
    case kSyncSourceAudioClock:
    case kSyncSourceExternalDevice:
      gAudioClockMode = 1;
      break;
    default:
      break;
  }
  if (kSourcesWithExternalTime & (1u << code)) gSyncFlags |= kSyncFlagsExternalTime;
  else gSyncFlags &= ~kSyncFlagsExternalTime;
  if (gMidiDriver.client) InstallSyncOutputs();
  InvalidateInfoPanel();  // the panel names the source, and the sync menu shows it
}

int16_t GetSyncSource() { return gClockSyncSource; }

void ApplyDocumentSyncSettings(const uint8_t* header) {
  if (!header) return;
  uint8_t rate = header[kFileHeaderFrameRate];
  if (rate <= 3 && rate != gSmpteRateCode) SetSmpteFrameRate(rate);
  SetSyncSource(int16_t(ReadU16BE(header + kFileHeaderSyncSource)));
}

bool SyncSourceIsValid(int16_t code) {
  if (code < kSyncSourceInternal || code > kSyncSourceExternalDevice) return false;
  if (code == kSyncSourceMovie) return SongMovieAttached();
  return ResolveExternalDevice(code) == code;
}

void SelectSyncSourceMenu(int16_t item) { SetSyncSourceFromMenu(int16_t(item - 1), false); }

bool SetSyncSourceFromMenu(int16_t code, bool) {
  if (!SyncSourceIsValid(code)) return false;
  if (code != gClockSyncSource) SetSongModified();
  SetSyncSource(code);
  return true;
}
