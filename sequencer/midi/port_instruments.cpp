#include "sequencer/midi/port_instruments.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/midi_port_layout.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

namespace {

constexpr int32_t kMaxTableInstruments = 254;
constexpr int32_t kFullVolume = 127;

const uint8_t* PortEntry(int32_t i) {
  if (!gPortTable || (i + 1) * kPortEntrySize > GetHandleSize(gPortTable)) return nullptr;
  return reinterpret_cast<const uint8_t*>(*gPortTable) + i * kPortEntrySize;
}

uint16_t ChannelMask(const uint8_t* entry) {
  return ReadU16BE(entry + kPortId) != 0 ? ReadU16BE(entry + kPortChannelMask) : 0;
}

int32_t CountPortChannels() {
  int32_t channels = 0;
  for (int32_t i = 0; i < gPortCount; ++i)
    if (const uint8_t* entry = PortEntry(i)) channels += __builtin_popcount(ChannelMask(entry));
  return channels;
}

// Fills the records from index `at` on, at most up to `end`.
void FillPortInstruments(int32_t at, int32_t end, uint8_t deviceKind, uint8_t subKind) {
  for (int32_t i = 0; i < gPortCount && at < end; ++i) {
    const uint8_t* entry = PortEntry(i);
    uint16_t mask = entry ? ChannelMask(entry) : 0;
    for (int32_t channel = 0; channel < 16 && at < end; ++channel)
      if (mask & (1u << channel))
        InitInstrumentRecord(GetInstrumentRecord(at++), uint8_t(channel), deviceKind, uint8_t(subKind + i), nullptr,
                             ReadU16BE(entry + kPortId));
  }
}

}  // namespace

OSErr CreateInstrumentsForPorts(uint8_t deviceKind, uint8_t subKind, bool rebuild) {
  int32_t first = rebuild ? 0 : gInstrumentCount;
  int32_t total = std::min(first + CountPortChannels(), kMaxTableInstruments);
  if (total == 0) return kNoPortChannelsErr;
  Handle savedTail = Handle();
  int32_t count = 0;
  OSErr err = ResizeInstrumentTable(total, &savedTail, &count, gAuxBusCount);
  if (err != noErr) return err;
  FillPortInstruments(first, count, deviceKind, subKind);
  RestoreAuxAndMasterEntries(savedTail);
  return noErr;
}

void ResetInstrumentsForMode(int16_t) {
  // Interim: the per-instrument reset of a mode belongs to the instrument dialogs, which are
  // not built yet; the master volume and the derived state are set here.
  SetMasterVolume(kFullVolume);
  RebuildInstrumentState();
}
