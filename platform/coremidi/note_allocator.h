// Note channels in the QuickTime Music manner, played by the built-in General MIDI synth on
// sixteen channels of their own (apart from the "Zarin GM Synth" destination's). A note
// allocator is opened per output port; each of its note channels is one synth channel.
//
// Instrument numbers: 1-128 are the General MIDI programs; bank select is carried above them
// (number - 1 = bank MSB << 14 | bank LSB << 7 | program); 16385-16512 are drum kits
// (16384 + kit program + 1).
//
// NAPlayNote, NASetController and NASetInstrumentNumber take no lock and allocate nothing, so
// the sequencer's clock thread may call them; opening and disposing happen on the main thread.
#pragma once

#include "platform/memory/mac_types.h"

using NoteAllocator = UInt32;  // 0 = none
using NoteChannel = UInt32;    // 0 = none
using ComponentResult = SInt32;

constexpr OSType kNoteAllocatorComponentType = FourCC("nota");
constexpr SInt32 kFirstGMInstrument = 1;
constexpr SInt32 kLastGMInstrument = 128;
constexpr SInt32 kFirstDrumkit = 16384;  // kit k (0-127) is kFirstDrumkit + k + 1
constexpr SInt32 kLastDrumkit = kFirstDrumkit + 128;

// Controller numbers with a meaning of their own; the others are MIDI controllers whose value
// is given in 8.8 fixed point (MIDI value x 256).
enum : SInt32 {
  kControllerModulationWheel = 1,
  kControllerVolume = 7,
  kControllerPan = 10,          // 256 (left) .. 512 (right)
  kControllerPitchBend = 32,    // semitones in 8.8 fixed point (the synth bends up to 24)
  kControllerAfterTouch = 33,   // channel pressure x 256
  kControllerSustain = 64,      // on at 64 or more
};

// Returned when all sixteen note channels are taken.
constexpr ComponentResult notEnoughHardwareErr = -201;

struct ToneDescription {
  OSType synthesizerType;
  Str31 synthesizerName;
  Str31 instrumentName;
  SInt32 instrumentNumber;
  SInt32 gmNumber;
};
static_assert(sizeof(ToneDescription) == 76);

struct NoteRequestInfo {
  UInt8 flags;
  UInt8 reserved;
  SInt16 polyphony;
  SInt32 typicalPolyphony;  // 16.16 fixed point
};

struct NoteRequest {
  NoteRequestInfo info;
  ToneDescription tone;
};

// Stands in for opening the default component of type kNoteAllocatorComponentType: a new note
// allocator (starting the MIDI layer and its synth when needed), 0 when that fails.
NoteAllocator OpenNoteAllocatorComponent();
// Disposes the allocator's note channels too. paramErr for an unknown allocator.
ComponentResult CloseNoteAllocatorComponent(NoteAllocator na);

// A channel playing noteRequest->tone's instrument (its instrument number, else its General
// MIDI number, else 1). notEnoughHardwareErr when all channels are taken.
ComponentResult NANewNoteChannel(NoteAllocator na, NoteRequest* noteRequest, NoteChannel* outChannel);
// Silences the channel and frees it.
ComponentResult NADisposeNoteChannel(NoteAllocator na, NoteChannel noteChannel);
// pitch 0-127; velocity 0 ends the note (above 127 counts as 127).
ComponentResult NAPlayNote(NoteAllocator na, NoteChannel noteChannel, SInt32 pitch, SInt32 velocity);
ComponentResult NASetController(NoteAllocator na, NoteChannel noteChannel, SInt32 controllerNumber,
                                SInt32 controllerValue);
ComponentResult NASetInstrumentNumber(NoteAllocator na, NoteChannel noteChannel, SInt32 instrumentNumber);
// Fills td for the instrument number: its name, instrument number and General MIDI number.
ComponentResult NAStuffToneDescription(NoteAllocator na, SInt32 gmNumber, ToneDescription* td);

// Closes every allocator and frees every channel (the MIDI layer's shut-down calls this).
void CloseAllNoteAllocators();
