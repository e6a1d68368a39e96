// The saved connection set-up: both image sizes, and inputs found again by name.
#include <cstring>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_setup_file.h"
#include "sequencer/midi/midi_port_layout.h"
#include "sequencer/transport/sequencer_hooks.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

// Clears the set-up part of the driver state (the client and ports stay).
void ClearSetup() {
  for (MidiEndpointEntry& e : gMidiDriver.inputs) e = {};
  for (MidiEndpointEntry& e : gMidiDriver.syncOutputs) e = {};
  gMidiDriver.syncInput = {};
  std::memset(gMidiDriver.names, 0, sizeof gMidiDriver.names);
}

void SetName(int32_t i, const char* text) {
  std::memset(gMidiDriver.names[i], 0, kMidiNameSize);
  gMidiDriver.names[i][0] = uint8_t(std::strlen(text));
  std::memcpy(gMidiDriver.names[i] + 1, text, std::strlen(text));
}

TEST_F(MidiTest, SetUpImagesOfBothSizes) {
  gMidiDriver.inputs[2] = {0x1234, 99, kInputOrdinary};
  gMidiDriver.syncInput = {0x5678, 98, kInputSync};
  gMidiDriver.syncOutputs[3] = {0x9ABC, 97, 0};
  SetName(2, "Keys");
  uint8_t image[kMidiSetupSize];
  WriteMidiSetupImage(image);
  EXPECT_EQ(ReadU32BE(image + 24 + 2 * 12), 0x1234u);
  EXPECT_EQ(ReadU32BE(image + 132 + 3 * 12), 0x9ABCu);
  EXPECT_EQ(image[186 + 2 * 32], 4);
  ClearSetup();
  ASSERT_TRUE(ReadMidiSetupImage(image, kMidiSetupSize));
  EXPECT_EQ(gMidiDriver.inputs[2].uniqueId, 0x1234u);
  EXPECT_EQ(gMidiDriver.inputs[2].endpoint, 0u);  // looked up again, never trusted
  EXPECT_EQ(gMidiDriver.syncInput.uniqueId, 0x5678u);
  EXPECT_EQ(gMidiDriver.syncOutputs[3].uniqueId, 0x9ABCu);
  EXPECT_EQ(std::memcmp(gMidiDriver.names[2], "\004Keys", 5), 0);
  // The older form restores the inputs and sync entries but no names.
  ClearSetup();
  SetName(2, "Other");
  ASSERT_TRUE(ReadMidiSetupImage(image, kMidiSetupOldSize));
  EXPECT_EQ(gMidiDriver.inputs[2].uniqueId, 0x1234u);
  EXPECT_EQ(gMidiDriver.syncOutputs[3].uniqueId, 0x9ABCu);
  EXPECT_EQ(gMidiDriver.names[2][0], 5);
  // Other sizes change nothing; a name length past the field is cut to 31.
  EXPECT_FALSE(ReadMidiSetupImage(image, 300));
  image[186] = 200;
  ASSERT_TRUE(ReadMidiSetupImage(image, kMidiSetupSize));
  EXPECT_EQ(gMidiDriver.names[0][0], 31);
  ClearSetup();
}

TEST_F(MidiTest, AnInputWhoseSourceMovedIsFoundByName) {
  MIDIEndpointRef first = 0, second = 0;
  ASSERT_EQ(noErr, MIDISourceCreate(gMidiDriver.client, CFSTR("Moving Keys"), &first));
  SetMidiInput(0, GetEndpointUniqueID(first));
  uint32_t oldId = gMidiDriver.inputs[0].uniqueId;
  ASSERT_NE(gMidiDriver.inputs[0].endpoint, 0u);
  MIDIEndpointDispose(first);
  ASSERT_EQ(noErr, MIDISourceCreate(gMidiDriver.client, CFSTR("Moving Keys"), &second));
  // The same device come back under another unique ID.
  ASSERT_EQ(noErr, MIDIObjectSetIntegerProperty(second, kMIDIPropertyUniqueID, SInt32(oldId ^ 0x5A5A)));
  EXPECT_TRUE(FindMovedSources());
  ResolveMidiEndpoints();
  EXPECT_NE(gMidiDriver.inputs[0].uniqueId, oldId);
  EXPECT_EQ(gMidiDriver.inputs[0].endpoint, second);
  MIDIEndpointDispose(second);
  SetMidiInput(0, 0);
}

}  // namespace

namespace {

uint8_t* PortEntryOf(Handle table, int32_t i) {
  return reinterpret_cast<uint8_t*>(*table) + i * kPortEntrySize;
}

// An opened document's port table becomes the port table, resolved against the present
// destinations: its ids and order stay (its tracks name ports by place), an absent device is
// bracketed, and a stale endpoint from the file is never used. Without a table the program's
// table stays as it is.
TEST_F(MidiTest, AnOpenedDocumentsPortTableIsApplied) {
  int32_t port = MakeDestination("Synth");
  ASSERT_GE(port, 0);
  Handle table = NewHandleClear(kMaxPorts * kPortEntrySize);
  uint8_t* gone = PortEntryOf(table, 0);
  WriteU16BE(gone + kPortId, 55);
  WriteU32BE(gone + kPortUniqueId, 0x07777777);
  WriteU32BE(gone + kPortEndpoint, 0xDEAD);
  const unsigned char kOld[] = "\x03Old";
  std::memcpy(gone + kPortName, kOld, 4);
  uint8_t* synth = PortEntryOf(table, 1);
  std::memcpy(synth, PortEntryOf(gPortTable, port), size_t(kPortEntrySize));
  WriteU16BE(synth + kPortId, 300);
  WriteU32BE(synth + kPortEndpoint, 0xBEEF);
  Handle saved = GetDocumentSlot(kPortTableSlot);
  SetDocumentSlot(kPortTableSlot, table);
  gSongFileHeader[kFileHeaderPortCount] = kMaxPorts;
  InstallSequencerHooks();
  ApplyMidiPortSetup(false);
  EXPECT_EQ(ReadU16BE(PortEntryOf(gPortTable, 0) + kPortId), 55);
  EXPECT_EQ(ReadU32BE(PortEntryOf(gPortTable, 0) + kPortEndpoint), 0u);
  EXPECT_EQ(PortEntryOf(gPortTable, 0)[kPortName + 1], '[');
  EXPECT_EQ(ReadU16BE(PortEntryOf(gPortTable, 1) + kPortId), 300);
  EXPECT_EQ(ReadU32BE(PortEntryOf(gPortTable, 1) + kPortEndpoint), uint32_t(destination));
  EXPECT_GE(gPortCount, 2);
  EXPECT_EQ(ReadU32BE(synth + kPortEndpoint), 0xBEEFu) << "the document keeps its own table";
  ApplyMidiPortSetup(true);
  EXPECT_EQ(ReadU16BE(PortEntryOf(gPortTable, 1) + kPortId), 300);
  EXPECT_EQ(ReadU32BE(PortEntryOf(gPortTable, 1) + kPortEndpoint), uint32_t(destination));
  SetDocumentSlot(kPortTableSlot, saved);
  DisposeHandle(table);
}

}  // namespace
