// The ALSA sequencer, where the system has one: a note sent to the kernel's through port
// comes back from its source. Skipped when /dev/snd/seq is missing (containers, CI).
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/coremidi/core_midi.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/test_support.h"

namespace {

using midi_test::PacketList;
using midi_test::Recorder;

TEST(AlsaSeq, NoteThroughTheKernelThroughPortComesBack) {
  if (access("/dev/snd/seq", R_OK | W_OK) != 0) GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
  zarin_test::ScopedEnv drivers("ZARIN_MIDI_DRIVERS", "alsa");
  Recorder recorder;
  MIDIClientRef client = 0;
  MIDIPortRef in = 0, out = 0;
  ASSERT_EQ(MIDIClientCreate(CFSTR("Tests"), nullptr, nullptr, &client), noErr);
  ASSERT_EQ(MIDIInputPortCreate(client, CFSTR("In"), Recorder::Proc, &recorder, &in), noErr);
  ASSERT_EQ(MIDIOutputPortCreate(client, CFSTR("Out"), &out), noErr);
  // Device "Midi Through", port "Midi Through Port-0": the port's name says it all.
  MIDIEndpointRef dest = midi_test::FindDestination("Midi Through Port-0");
  MIDIEndpointRef source = midi_test::FindSource("Midi Through Port-0");
  if (dest == 0 || source == 0) {
    ShutDownMidiServices();
    GTEST_SKIP() << "the snd-seq-dummy through port is not loaded";
  }
  ASSERT_EQ(MIDIPortConnectSource(in, source, nullptr), noErr);
  PacketList list({{0, {0x92, 48, 77}}});
  ASSERT_EQ(MIDISend(out, dest, list.get()), noErr);
  EXPECT_TRUE(recorder.WaitForBytes(3));
  EXPECT_EQ(recorder.AllBytes(), std::vector<Byte>({0x92, 48, 77}));
  ShutDownMidiServices();
}

}  // namespace
