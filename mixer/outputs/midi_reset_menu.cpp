#include "mixer/outputs/midi_reset_menu.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "sequencer/midi/midi_short_messages.h"
#include "song/instruments/instrument_table.h"

namespace {

constexpr uint8_t kUniversalReset[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
// The fixed reset messages of menu items 3 and 5.
constexpr uint8_t kItem3Reset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr uint8_t kItem5Reset[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
constexpr uint8_t kMidiRecordMarker = 0x80;
constexpr uint8_t kSustainController = 64;

void BroadcastFixed(const uint8_t* message, int32_t length) {
  uint8_t record[64];
  if (BuildResetRecord(message, length, record, sizeof record) > 0) BroadcastMidiMessage(record);
}

struct ControllerItem {
  int16_t item;
  uint8_t controller;
  uint8_t value;
};

constexpr ControllerItem kControllerItems[] = {{8, 120, 0},  {10, 122, 0}, {11, 122, 127}, {13, 121, 0},
                                               {15, 124, 0}, {16, 125, 0}, {17, 126, 0},   {18, 127, 0}};

}  // namespace

int32_t BuildResetRecord(const uint8_t* message, int32_t length, uint8_t* record, int32_t room) {
  int32_t total = length + kMidiRecordHeader;
  if (length <= 0 || total > 255 || total > room) return 0;
  record[0] = kMidiRecordMarker;
  record[1] = uint8_t(total);
  WriteU32BE(record + 2, 0);
  std::memcpy(record + kMidiRecordHeader, message, size_t(length));
  return total;
}

void HandleMidiResetMenu(int16_t item) {
  switch (item) {
    case 1: BroadcastFixed(kUniversalReset, sizeof kUniversalReset); return;
    case 3: BroadcastFixed(kItem3Reset, sizeof kItem3Reset); return;
    case 5: BroadcastFixed(kItem5Reset, sizeof kItem5Reset); return;
    case 7: SendAllNotesOff(); return;
    default: break;
  }
  for (const ControllerItem& c : kControllerItems)
    if (c.item == item) SendControllerAllChannels(c.controller, c.value);
}

void ReleaseSustainOnParts(const uint8_t* record) {
  if (!record) return;
  for (int32_t p = 0; p < kInstrumentParts; ++p) {
    if (!(record[kInstPartMask] & (1u << p))) continue;
    SendShortMessage(ReadU32BE(record + kInstDriverProcs + 4 * p), record[kInstPorts + p],
                     uint8_t(0xB0 | (record[kInstChannels + p] & 0x0F)), kSustainController, 0);
  }
}
