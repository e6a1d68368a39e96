// Render-time MIDI delivery: tracks that play a plug-in instrument do not go through the tick
// scheduler; their events are placed, sample-accurately, into the block the engine is about to
// render. ScheduleBufferEvents cuts the block at tempo changes and at the cycle end, asks a
// per-piece routine for each piece's events (QueuePluginMidiEvent for plug-ins), carries
// note-offs from block to block, adds the click and the live events of the device's ring and
// sorts the block's list by sample offset; SendChainMidi hands the list to every plug-in of the
// chain that takes MIDI.
//
// Engine thread: nothing allocates or locks (all events come from the state's own pool; the
// tracks are guarded by their atomic busy words).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/vst/vst_records.h"
#include "plugins/host/plugin_midi_ring.h"

struct PluginInstance;
struct EngineChannel;
struct MidiMessage;

constexpr int32_t kMidiListCapacity = 256;

// One event: a VstMidiEvent. deltaFrames is the offset in the block, noteLength the samples
// left until a scheduled note-off, midiData[0..2] status, data1, data2, noteOffVelocity the
// velocity of the later note-off; flags bit 0 marks an event that must keep its place.
using PluginMidiEvent = VstMidiEvent;

// A VstEvents record with room for 256 event pointers (handed to effProcessEvents as it is).
struct MidiEventList {
  VstInt32 numEvents = 0;
  VstIntPtr reserved = 0;
  PluginMidiEvent* events[kMidiListCapacity] = {};
};

// Where a track's events are read from while it plays a plug-in: the byte offset of its next
// event, its own tick position (1 at the start of the span it plays, which wraps when the track
// loops), the section it plays and the repeats done there, and whether it wrapped or was
// re-seeked (from then on the controllers and programs marked as not to be sent again are
// passed over, as the clock does).
struct TrackRenderCursor {
  uint32_t offset = 0;
  double tick = 1.0;
  int32_t section = 0;
  uint16_t sectionRepeats = 0;
  uint8_t ended = 0;
  uint8_t wrapped = 0;
  uint8_t reseek = 0;  // the track was being edited: find the place again by the song tick
};
constexpr int32_t kMaxRenderTracks = 128;

// A child sequence that a sequence reference (kind 0x50) started: its song plays from its tick 1
// for the reference's length, at the parent's tempo; its tracks that play the device deliver.
constexpr int32_t kMaxRenderChildren = 8;
constexpr int32_t kMaxChildTracks = 32;
struct RenderChild {
  Handle song;
  uint8_t active = 0;
  double remaining = 0.0;  // ticks it still plays
  double startAt = -1.0;   // the sample of the current piece it starts at (-1: the piece's start)
  TrackRenderCursor cursors[kMaxChildTracks];
};

// The per-channel MIDI state of an instrument channel (made on the main thread before the
// engine plays, reached through the channel's render state).
struct PluginMidiState {
  EngineChannel* channel = nullptr;
  uint32_t receiverId = 0;           // the instance that is told of transport changes
  MidiEventList freeList;
  MidiEventList pending;
  MidiEventList output;
  std::atomic<uint8_t> reset{0};     // release every pending note at offset 0 next block
  uint32_t ownerId = 0;              // the device id whose tracks play here
  PluginMidiRing liveRing;
  // The channel's song time (engine thread; set up by StartPluginMidiState).
  Handle song;
  uint8_t playing = 0;               // the transport runs: song events are scheduled
  double tickPosition = 1.0;         // song tick at the next block's first sample
  double pieceTick = 1.0;            // song tick at the start of the piece being scheduled
  double pieceSample = 0.0;          // and the block's sample it starts at
  double secondsPerTick = 0.0;
  int32_t tempo = 1200;              // tenths of a beat per minute, scaled
  int32_t conductorCursor = 0;       // index of the next conductor record
  int32_t latencyOffset = 0;         // samples
  uint8_t cycleOn = 0;
  double cycleStartTick = 0.0;       // where the cycle returns to: the play start
  double cycleEndTick = 0.0;         // the end of the play range (0 none); the rest of a block
                                     // after it is dropped when the cycle is off
  double lastTickSpan = 0.0;         // the tick span of the last block
  int32_t blockFrames = 0;           // the block being scheduled
  int32_t lastFrames = 0;            // the block scheduled before it
  uint8_t clickChannel = 0;          // the channel plays the click
  uint8_t noEvents = 0;              // the channel takes no song events
  TrackRenderCursor cursors[kMaxRenderTracks];
  RenderChild children[kMaxRenderChildren];
  int32_t childStarts = 0;           // child starts in this block (bounded)
  PluginMidiEvent pool[2][kMidiListCapacity] = {};
};

// The per-piece routine: one piece of a block, from sample pieceStart (a fraction where a tempo
// change falls between samples) for `samples` samples, spanning tickSpan ticks; restarted is 1
// when the song position went back to its start inside the block.
using BufferPieceProc = void (*)(PluginMidiState* state, float rate, double tickSpan, double pieceStart,
                                 double samples, uint8_t restarted);

// Main thread: a cleared state for a channel (its pool on the free list), or null without
// memory; DisposePluginMidiState frees it.
PluginMidiState* NewPluginMidiState(EngineChannel* channel, uint32_t ownerId);
void DisposePluginMidiState(PluginMidiState* state);
// Asks for every pending note to be released at offset 0 in the next block (stop, locate).
void ResetPluginMidiState(PluginMidiState* state);
// The same for the state of every device the engine plays (any thread).
void ResetDeviceMidiStates();
// Main thread, engine stopped: the state plays `song` from startTick (its tempo, conductor
// place and track cursors taken there); playing is set.
void StartPluginMidiState(PluginMidiState* state, Handle song, double startTick);
// Re-seeks one track's cursor to a song tick (its section and the place in it as playing from
// the start would leave them); ResetTrackCursors re-seeks them all and ends the child sequences.
void SeekTrackCursor(PluginMidiState* state, int32_t track, double tick);
void ResetTrackCursors(PluginMidiState* state, double tick);
// The engine's block of an instrument channel takes the transport's cycle from the clock: the
// cycle mode and the end of the play range.
void TakeClockCycle(PluginMidiState* state);

// Schedules the block's events and sends them to the chain (the engine's hook entry
// deliverBufferMidi comes here with the render state's MIDI state).
void DeliverBufferMidi(EngineChannel* channel, PluginInstance* chainHead, PluginMidiState* state, int32_t frames);
// The block's events, sorted by offset.
MidiEventList* ScheduleBufferEvents(PluginMidiState* state, int32_t frames, BufferPieceProc piece);
// The per-piece routine of plug-in instruments: the tracks that play the state's device.
void QueuePluginMidiEvent(PluginMidiState* state, float rate, double tickSpan, double pieceStart, double samples,
                          uint8_t restarted);
// One track's events whose times lie in [startTime, endTime) into the block: mode 1 only starts
// the child sequences its references call, mode 2 delivers its events too. A note longer than
// noteLengthCap ticks is cut to it; a cap below 1 leaves notes out. Answers false when the
// track ended (or its window ran backwards: engine error 99).
bool QueueTrackEventsInSpan(PluginMidiState* state, const uint8_t* entry, TrackRenderCursor* cursor, double startTime,
                            double endTime, float rate, double pieceStart, int32_t mode, int32_t noteLengthCap);
// The note-ons of the block still sounding at sample `cut` (a cycle or song restart) end one
// sample before it.
void CutNotesAt(PluginMidiState* state, int32_t carried, double cut);
// At such a jump each track that plays the device gets the pitch bend that stood at the play
// start (the bend word the chase left in its record), at sample `at`.
void QueueTrackBends(PluginMidiState* state, double at);
// The clicks of a piece (ticks startTick up to endTick) on the click channel.
void QueueClickEvents(PluginMidiState* state, double startTick, double endTick, float rate, double pieceStart);

// A note that a plug-in sends out with a length: the note-off that ends it, on the note's own
// channel, noteLength samples later (ticksPerSample converts); false for anything but a
// note-on with a velocity and a length.
bool PlanPluginOutputNoteOff(const VstMidiEvent* event, double tick, double ticksPerSample, uint8_t noteOff[3],
                             double* noteOffTick);

// Sends the list to every plug-in of the chain that takes MIDI, filtered by its masks.
void SendChainMidi(PluginInstance* first, MidiEventList* list);
void SendMidiToPlugin(PluginInstance* instance, MidiEventList* list);

// Live input: puts a message into the ring of the plug-in device with that id (id 0: every
// registered device that has an instance). Any thread; a full ring drops it.
void QueueDeviceLiveEvent(const MidiMessage* message, uint8_t deviceId);
// The same for one ring.
void QueueLiveEventForDevice(const MidiMessage* message, PluginMidiRing* ring);
// Makes the send procedure of plug-in instrument outputs (device kind 20, the port naming the
// device) queue each message with QueueDeviceLiveEvent: the real-time processors' thru, note
// auditions and broadcasts reach the plug-in instruments that way.
void InstallPluginInstrumentOutput();

// Sorting a block's list by offset (stable), then moving a note-off of a key in front of a
// note-on of the same key at the same offset.
void SortBlockEvents(MidiEventList* list);
