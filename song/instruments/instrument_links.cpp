// Link groups of the instrument table, and holding the real-time processors while the table
// changes.
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/midi_hooks.h"
#include "song/instruments/processor_chain_hooks.h"

namespace {

// A link byte names an entry as index + 1; only instruments are linked.
uint8_t* LinkedRecord(uint8_t link) {
  if (link == 0 || link > gInstrumentCount) return nullptr;
  return GetInstrumentRecord(link - 1);
}

void LeaveGroupIfAlone(uint8_t* record) {
  if (!record || record[kInstLinkPrevious] != 0 || record[kInstLinkNext] != 0) return;
  record[kInstOptions] &= uint8_t(~kInstOptionLinked);
  SetInstrumentLinkGroup(record, 0);
}

}  // namespace

void UnlinkInstrument() {
  if (gCurrentInstrument < 0 || gCurrentInstrument >= gInstrumentCount) return;
  uint8_t* record = GetInstrumentRecord(gCurrentInstrument);
  uint8_t previous = record[kInstLinkPrevious];
  uint8_t next = record[kInstLinkNext];
  uint8_t* before = LinkedRecord(previous);
  uint8_t* after = LinkedRecord(next);
  if (!before) previous = 0;  // a link byte outside the table names nobody
  if (!after) next = 0;
  if (before) before[kInstLinkNext] = next;
  if (after) after[kInstLinkPrevious] = previous;
  LeaveGroupIfAlone(before);
  LeaveGroupIfAlone(after);
  record[kInstLinkPrevious] = 0;
  record[kInstLinkNext] = 0;
  SetInstrumentLinkGroup(record, 0);
  record[kInstOptions] &= uint8_t(~kInstOptionLinked);
}

void UnlinkSelectedInstruments() {
  int32_t saved = gCurrentInstrument;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    if (!(GetInstrumentRecord(i)[kInstFlags] & kInstFlagSelected)) continue;
    gCurrentInstrument = i;
    UnlinkInstrument();
  }
  gCurrentInstrument = saved;
}

void SetSelectedInstrumentsAltFlag(bool value) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (!(record[kInstFlags] & kInstFlagSelected)) continue;
    if (value)
      record[kInstFlags] |= kInstFlagAlternate;
    else
      record[kInstFlags] &= uint8_t(~kInstFlagAlternate);
  }
}

uint8_t TakeRealtimeProcessorFlags() {
  int32_t flags = GetFirstProcessorFlags();
  if (flags < 0) return 0;
  ResetRealtimeProcessors();
  return uint8_t(flags);
}

// The info panel redraws itself once it exists.
void ClampProcessorInstruments(uint8_t flags) {
  ClampProcessorInstrumentsTo(gInstrumentCount);
  UpdateRealtimeProcessorFlags(0x00FF, uint16_t(flags << 8));
  ResetNodeList();
}
