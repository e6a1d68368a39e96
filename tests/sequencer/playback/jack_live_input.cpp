#include "tests/sequencer/playback/jack_live_input.h"

#include "platform/coremidi/midi_services.h"
#include "sequencer/midi/coremidi_driver.h"
#include "tests/platform/coremidi/midi_test_support.h"

int32_t StartSequencerWithPlayer(JackCapture& capture, JackPlayer& player, std::string* problem) {
  int32_t port = StartSequencerMidiOnJack(capture.Name());
  if (port < 0) {
    *problem = "the capture port did not appear in the port table";
    return -1;
  }
  MIDIEndpointRef source = 0;
  if (!WaitUntil(10, [&] { return (source = midi_test::FindSource(player.SourceName())) != 0; })) {
    *problem = "the player's port did not appear as a MIDI source";
    return -1;
  }
  SetMidiInput(0, GetEndpointUniqueID(source));
  DisconnectMidiSources();
  if (ConnectMidiSources() != noErr ||
      !WaitUntil(3, [&] { return capture.Connected() && player.Connected(SequencerJackClientName()); })) {
    *problem = "the clients were not connected";
    return -1;
  }
  capture.KeepOnlyOurLayer({player.Name()});
  return port;
}
