// The built-in General MIDI synth: a FluidSynth instance with the system's General MIDI sound
// font, played by the "Zarin GM Synth" destination (its MIDI channels 1-16) and by the note
// channels of the note allocator (note_allocator.h; sixteen more channels of their own).
//
// Its sound reaches the speakers through the audio layer, which calls RenderBuiltInSynth (or
// RenderBuiltInSynthAt) from its output path once per buffer and mixes the result in. Events
// take effect where their time stamp falls in the buffer, counting the buffer as starting at
// the host time given (RenderBuiltInSynth: the time of the call), so the relative timing of
// events survives whatever constant latency the output adds. FluidSynth works in blocks of 64
// frames: an event starts on the block boundary nearest its frame (within 32 frames).
#pragma once

#include <cstdint>

#include "platform/coremidi/midi_types.h"

inline constexpr const char* kBuiltInSynthName = "Zarin GM Synth";

// Real-time safe (no allocation, no lock, no wait). Writes frames samples of each channel
// (silence while the synth is not loaded, while another thread is rendering, and while the
// synth is being rebuilt for a new sampleRate: a first call at a rate other than the
// prepared one asks the MIDI thread to rebuild it).
void RenderBuiltInSynth(float* left, float* right, uint32_t frames, double sampleRate);
void RenderBuiltInSynthAt(float* left, float* right, uint32_t frames, double sampleRate,
                          MIDITimeStamp firstFrameTime);

// Not real-time: makes the synth run at sampleRate, rebuilding it (and loading its sound font
// again: tens to hundreds of milliseconds) when the rate differs. The audio layer calls this
// before it starts rendering. The MIDI layer must be running (any MIDI call starts it).
// Channel state (programs, controllers) is not carried over a rebuild.
OSStatus PrepareBuiltInSynth(double sampleRate);

// True when the synth is loaded with a sound font (the destination is offline otherwise).
Boolean BuiltInSynthIsReady();
// The sample rate the synth runs at (0 when it is not loaded).
double BuiltInSynthSampleRate();
