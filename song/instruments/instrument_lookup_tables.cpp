// The controller lookup tables derived from the instrument table, and the rebuild of all
// derived instrument state after the table changes.
//
// Per device kind 0..24 (the MIDI drivers):
//   controller map: u16 next free block number (from 1), u8[128] block number per controller
//     (0 none), then the blocks, each 256 u16 indexed by port: the position of a channel row
//     (0 none);
//   channel rows: one unused u16 (so that no row sits at position 0), then rows of 16 u16
//     indexed by channel: the instrument that owns (controller, port, channel), 0xFFFF none.
// A row's position is the index of its first u16 in the rows block.
#include <cstring>
#include <initializer_list>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/audio_driver_lookup.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "song/instruments/controller_tables.h"
#include "song/instruments/instrument_table.h"
#include "song/model/songs.h"

namespace {

constexpr int32_t kMapHeader = 2 + 128;
constexpr int32_t kMapBlockSize = 256 * 2;
constexpr int32_t kRowWords = 16;
constexpr int32_t kRowSize = kRowWords * 2;
constexpr uint16_t kNoRowEntry = 0xFFFF;

struct LookupTables {
  Handle maps[kControllerTableKinds];
  Handle rows[kControllerTableKinds];
};

bool EnsureTables(LookupTables& t, int32_t kind) {
  if (!t.maps[kind]) {
    t.maps[kind] = NewHandleClear(kMapHeader + kMapBlockSize);
    if (!t.maps[kind]) return false;
    WriteU16BE(*t.maps[kind], 1);
  }
  if (!t.rows[kind]) t.rows[kind] = NewHandleClear(2);
  return bool(t.rows[kind]);
}

// The controller's block number in a map, given one (and room for it) when it has none.
int32_t ControllerBlock(Handle map, uint8_t controller) {
  uint8_t* p = reinterpret_cast<uint8_t*>(*map);
  if (p[2 + controller] != 0) return p[2 + controller];
  uint16_t block = ReadU16BE(p);
  Size needed = kMapHeader + block * kMapBlockSize;
  if (GetHandleSize(map) < needed) {
    SetHandleSize(map, needed);
    if (MemError() != noErr) return 0;
    p = reinterpret_cast<uint8_t*>(*map);
    std::memset(p + needed - kMapBlockSize, 0, kMapBlockSize);
  }
  p[2 + controller] = uint8_t(block);
  WriteU16BE(p, uint16_t(block + 1));
  return block;
}

// The position of the (block, port) channel row, appending a row of 0xFF when it has none.
int32_t ChannelRow(Handle map, Handle rows, int32_t block, uint8_t port) {
  uint8_t* cell = reinterpret_cast<uint8_t*>(*map) + kMapHeader + (block - 1) * kMapBlockSize + 2 * port;
  uint16_t position = ReadU16BE(cell);
  if (position != 0) return position;
  Size size = GetHandleSize(rows);
  SetHandleSize(rows, size + kRowSize);
  if (MemError() != noErr) return 0;
  std::memset(*rows + size, 0xFF, kRowSize);
  position = uint16_t(size / 2);
  WriteU16BE(reinterpret_cast<uint8_t*>(*map) + kMapHeader + (block - 1) * kMapBlockSize + 2 * port, position);
  return position;
}

bool AddControllerEntry(LookupTables& t, int32_t kind, uint8_t controller, uint8_t port,
                        uint8_t channel, int32_t instrument) {
  if (!EnsureTables(t, kind)) return false;
  int32_t block = ControllerBlock(t.maps[kind], controller & 127);
  if (block == 0) return false;
  int32_t row = ChannelRow(t.maps[kind], t.rows[kind], block, port);
  if (row == 0) return false;
  WriteU16BE(*t.rows[kind] + 2 * (row + (channel & 15)), uint16_t(instrument));
  return true;
}

// Walks the instruments from the last to the first, so that the lowest index wins.
void BuildLookupTables(LookupTables& t) {
  for (int32_t i = gInstrumentCount - 1; i >= 0; --i) {
    InstrumentView view(GetInstrumentRecord(i));
    uint8_t kind = view.DeviceKind(0);
    if (HasAudioDriverEntry(kind) || !(view.PartMask() & 1) || kind >= kControllerTableKinds) continue;
    for (uint8_t controller : {view.VolumeController(), view.PanController()}) {
      if (!AddControllerEntry(t, kind, controller, view.Port(0), view.Channel(0), i)) {
        ReportError(memFullErr);
        return;
      }
    }
  }
}

// Puts the new tables in place as whole handles, then frees the old ones.
void SwapLookupTables(LookupTables& t) {
  for (int32_t kind = 0; kind < kControllerTableKinds; ++kind) {
    for (Handle h : {t.maps[kind], t.rows[kind]}) {
      if (h && gSectionMode) LockHandleHigh(h);
    }
    Handle oldMap = gControllerMaps[kind];
    Handle oldRows = gChannelRows[kind];
    gControllerMaps[kind] = t.maps[kind];
    gChannelRows[kind] = t.rows[kind];
    if (oldMap) DisposeHandle(oldMap);
    if (oldRows) DisposeHandle(oldRows);
  }
}

}  // namespace

void RebuildInstrumentState() {
  // The QuickTime Music channels and the jukebox's binding are refreshed by their own
  // subsystem once it exists.
  LookupTables tables = {};
  if (gInstruments) BuildLookupTables(tables);
  SwapLookupTables(tables);
  if (uint8_t* current = GetInstrumentRecord(gCurrentInstrument)) {
    // An entry still marked as a link member although it belongs to no group is taken out.
    if ((current[kInstOptions] & kInstOptionLinked) && current[kInstLinkGroup] == 0) UnlinkInstrument();
  }
  NumberInstrumentsForDisplay(gInstruments);
}

int32_t LookupControllerInstrument(uint8_t deviceKind, uint8_t controller, uint8_t port, uint8_t channel) {
  if (deviceKind >= kControllerTableKinds) return -1;
  Handle map = gControllerMaps[deviceKind];
  Handle rows = gChannelRows[deviceKind];
  if (!map || !rows) return -1;
  const uint8_t* m = reinterpret_cast<const uint8_t*>(*map);
  int32_t block = m[2 + (controller & 127)];
  Size cell = kMapHeader + (block - 1) * kMapBlockSize + 2 * port;
  if (block == 0 || cell + 2 > GetHandleSize(map)) return -1;
  int32_t row = ReadU16BE(m + cell);
  Size entry = 2 * (row + (channel & 15));
  if (row == 0 || entry + 2 > GetHandleSize(rows)) return -1;
  uint16_t instrument = ReadU16BE(*rows + entry);
  return instrument == kNoRowEntry ? -1 : instrument;
}
