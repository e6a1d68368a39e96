#include "song/instruments/midi_port_table.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/bmid_resources.h"

Handle gPortTable;
uint8_t gPortCount = 0;

namespace {
int32_t EntriesInTable() {
  if (!gPortTable || !IsValidHandle(gPortTable)) return 0;
  return std::min<int32_t>(gPortCount, int32_t(GetHandleSize(gPortTable) / kPortEntrySize));
}
}  // namespace

int32_t FindPortIndexById(uint16_t id, bool* found) {
  *found = false;
  for (int32_t i = 0; i < EntriesInTable(); ++i) {
    if (ReadU16BE(*gPortTable + i * kPortEntrySize) != id) continue;
    *found = true;
    return i;
  }
  return 0;
}

void GetPortEntry(int32_t port, uint16_t* first, uint16_t* second) {
  *first = *second = 0;
  if (port < 0 || port >= EntriesInTable()) return;
  const char* p = *gPortTable + port * kPortEntrySize;
  *first = ReadU16BE(p);
  *second = ReadU16BE(p + 2);
}

void GetPortEntryName(int32_t port, Str255 name) {
  name[0] = 0;
  if (port < 0 || port >= EntriesInTable()) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*gPortTable) + port * kPortEntrySize + kPortEntryName;
  uint8_t n = std::min<uint8_t>(p[0], kPortEntryNameSize - 1);
  std::copy(p, p + n + 1, name);
  name[0] = n;
}

OSErr SavePortTable() {
  if (!gPortTable) return noErr;
  static const unsigned char kName[] = "\003OMS";
  return WriteBMIDResource(&gPortTable, kPortTableResId, kName, true);
}
