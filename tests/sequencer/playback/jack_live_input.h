// A JACK player as the sequencer's MIDI input and a JACK capture client as its output: the
// set-up of the tests of live input.
#pragma once

#include <cstdint>
#include <string>

#include "tests/sequencer/playback/jack_capture.h"
#include "tests/sequencer/playback/jack_player.h"

// Starts the sequencer's MIDI layer on JACK (StartSequencerMidiOnJack) with the player's port
// as the first MIDI input and both clients connected and kept to themselves. Answers the
// capture port's index in the port table, or -1 with the reason in *problem.
int32_t StartSequencerWithPlayer(JackCapture& capture, JackPlayer& player, std::string* problem);
