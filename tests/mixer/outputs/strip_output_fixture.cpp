#include "tests/mixer/outputs/strip_output_fixture.h"

#include "mixer/outputs/instrument_values.h"
#include "platform/memory/byte_order.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

namespace strip_test {

std::vector<Sent> gSent;

namespace {

int32_t Keep(uint8_t* record, int32_t arg) {
  gSent.push_back({uint8_t(arg), std::vector<uint8_t>(record + 6, record + record[1])});
  return 0;
}

}  // namespace

void StripOutputTest::SetUp() {
  gSent.clear();
  SetDriverProcById(kKeepProc, Keep);
  ASSERT_EQ(noErr, CreateInstrumentTable(4, kDeviceKindMidiPort));
  gMidiVolumeFactor = 4096;
  gInstrumentWindowPart = 0;
  gCurrentInstrument = 0;
}

void StripOutputTest::TearDown() {
  DisposeInstrumentTable();
  SetDriverProcById(kKeepProc, nullptr);
  gMidiVolumeFactor = 4096;
  gInstrumentWindowPart = 0;
  gCurrentInstrument = 0;
}

uint8_t* StripOutputTest::Strip(int32_t i, uint8_t channel, uint8_t port) {
  uint8_t* record = GetInstrumentRecord(i);
  record[kInstChannels] = channel;
  record[kInstPorts] = port;
  record[kInstPartMask] = 1;
  WriteU32BE(record + kInstDriverProcs, kKeepProc);
  return record;
}

}  // namespace strip_test
