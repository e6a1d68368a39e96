#include "sequencer/midi/midi_short_messages.h"

namespace {

constexpr uint8_t kShortMessageHeader = 128;

}  // namespace

int32_t SendShortMessage(DriverProcId send, uint8_t output, uint8_t status, uint8_t data1,
                         uint8_t data2) {
  if (IsOneDataByteStatus(status)) return SendTwoByteMessage(send, output, status, data1);
  uint8_t record[9] = {kShortMessageHeader, 9, 0, 0, 0, 0, status, data1, data2};
  return InvokeSendCallback(send, record, output);
}

int32_t SendTwoByteMessage(DriverProcId send, uint8_t output, uint8_t status, uint8_t data1) {
  uint8_t record[9] = {kShortMessageHeader, 8, 0, 0, 0, 0, status, data1, 0};
  return InvokeSendCallback(send, record, output);
}
