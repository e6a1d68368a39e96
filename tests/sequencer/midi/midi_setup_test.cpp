// The saved connection set-up: both image sizes, and inputs found again by name.
#include <cstring>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_setup_file.h"
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
