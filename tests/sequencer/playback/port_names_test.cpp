// The names ports are shown and stored with: a generic name gives way to the port's entity,
// then its device; a port connected to an external device takes that device's name when
// asked. The port is a JACK client made here. Skipped when no JACK server runs.
#include <gtest/gtest.h>

#include <string>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/text/cf_data.h"
#include "platform/text/cf_string.h"
#include "sequencer/midi/coremidi_driver.h"
#include "tests/sequencer/playback/jack_capture.h"

namespace {

std::string PortName(MIDIEndpointRef endpoint, bool follow = false) {
  uint8_t name[64];
  GetEndpointDisplayName(endpoint, name, sizeof name, follow);
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

void SetName(MIDIObjectRef object, CFStringRef property, const std::string& text) {
  CFStringRef s = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
  ASSERT_EQ(noErr, MIDIObjectSetStringProperty(object, property, s));
  CFRelease(s);
}

class PortNames : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("portnamesclient-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    ASSERT_GE(StartSequencerMidiOnJack(capture.Name()), 0);
    for (ItemCount i = 0; i < MIDIGetNumberOfDestinations() && !port; ++i)
      if (PortName(MIDIGetDestination(i)).find(capture.Name()) != std::string::npos) port = MIDIGetDestination(i);
    ASSERT_NE(0u, port);
    ASSERT_EQ(noErr, MIDIEndpointGetEntity(port, &entity));
    ASSERT_EQ(noErr, MIDIEntityGetDevice(entity, &device));
  }
  void TearDown() override {
    StopSequencerMidi();
    capture.Close();
  }
  JackCapture capture;
  MIDIEndpointRef port = 0;
  MIDIEntityRef entity = 0;
  MIDIDeviceRef device = 0;
};

TEST_F(PortNames, GenericNamesGiveWayToTheEntityThenTheDevice) {
  SetName(device, kMIDIPropertyName, "Desk Synth");
  struct Case {
    const char* portName;
    const char* entityName;
    const char* expected;
  };
  const Case cases[] = {
      {"Port 1", "Upper Keys", "Upper Keys"},
      {"New Port", "Lower Keys", "Lower Keys"},
      {"Port 1", "New Port", "Desk Synth"},
      {"Strings", "Upper Keys", "Strings"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.portName) + " / " + c.entityName);
    SetName(port, kMIDIPropertyDisplayName, c.portName);
    SetName(entity, kMIDIPropertyName, c.entityName);
    EXPECT_EQ(c.expected, PortName(port));
  }
  // Another client's ports coming and going rescan the graph; the names given here stay.
  ASSERT_EQ(noErr, MIDIRestart());
  SetName(port, kMIDIPropertyDisplayName, "Port 1");
  EXPECT_EQ("Upper Keys", PortName(port));
}

TEST_F(PortNames, AConnectedPortIsNamedAfterItsExternalDeviceWhenAsked) {
  SetName(device, kMIDIPropertyName, "Desk Synth");
  SetName(port, kMIDIPropertyDisplayName, "Cable");
  SInt32 deviceId = 0;
  ASSERT_EQ(noErr, MIDIObjectGetIntegerProperty(device, kMIDIPropertyUniqueID, &deviceId));
  uint8_t ids[8] = {};  // an id that names nothing comes first
  WriteU32BE(ids + 4, uint32_t(deviceId));
  CFDataRef data = CFDataCreate(nullptr, ids, sizeof ids);
  ASSERT_EQ(noErr, MIDIObjectSetDataProperty(port, kMIDIPropertyConnectionUniqueID, data));
  CFRelease(data);
  EXPECT_EQ("Cable", PortName(port));
  EXPECT_EQ("Desk Synth", PortName(port, true));
}

}  // namespace
