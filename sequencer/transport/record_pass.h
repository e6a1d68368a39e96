// The record pass: the Record command, the record buffers of the armed tracks while the pass
// runs, the merge of what was recorded into the tracks (as it comes in a straight pass, at
// each cycle restart in cycle recording, where every pass becomes a take), and the end of the
// pass at Stop. Main thread only; the MIDI thread fills the processors' rings and the main
// thread pumps them into the record buffers (sequencer/midi/record_buffers.h).
//
// A stop in the middle of a pass keeps what the pass recorded: the notes still held are
// closed at the stop and the unfinished pass is merged (in cycle recording it becomes a take).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Record option bits (gRecordOptions).
constexpr uint8_t kRecordOptionReplace = 0x01;     // recorded events replace those of the range
constexpr uint8_t kRecordOptionClick = 0x02;       // the click is switched on for recording
constexpr uint8_t kRecordOptionNoSnapshot = 0x10;  // no play-start snapshot is kept
constexpr uint8_t kRecordOptionCycle = 0x20;       // cycle-record mode
constexpr uint8_t kRecordOptionCycleReplace = 0x21;  // each pass replaces the cycle range
constexpr uint8_t kRecordOptionNoPlay = 0x40;      // the pass does not start playback
extern uint8_t gRecordOptions;

// gMidiInputFlags bits the pass sets (record_buffers.h names the rest).
constexpr uint16_t kRecordInputNoFlagChanges = 0x2000;
constexpr uint16_t kRecordInputOutsideRange = 0x0800;

// The size of each armed track's record buffer (1 MB).
extern uint32_t gRecordBufferBytes;
// Reported once at the end of a pass whose record buffer filled: what came after was lost.
constexpr OSErr kRecordPartLeftOut = 1;
// The pass could not prepare a record buffer for an armed track.
constexpr OSErr kRecordCheckFailed = -108;

// The record range's end when the pass is not punched out.
constexpr uint32_t kNoRecordEnd = 0x7FFFFFFF;

// The song the running pass records into (0: no pass runs).
extern Handle gRecordedSong;

// The Record command: starts a record pass at the locate point, or punches in while playing.
void RecordCommand();
// Starts the pass: the record state, the armed tracks' buffers, the record range (the cycle
// points while punch is armed) and, unless the no-play option is set and unless fromIdle (the
// transport already plays), Play at the locate point. A failed check cancels the pass.
OSErr StartRecordPass(bool fromIdle);
// Run at each idle pass while a pass records (the transport's idle service): pumps the rings
// into the buffers and merges what is finished; ends the pass when the clock stopped by itself.
void RecordPassIdleTask();
// Ends the record buffers' pass at the clock's position: the rings are emptied into the
// buffers and the notes still held are closed there.
void EndRecordPass();
// Merges everything the pass recorded into the armed tracks (or their takes) and forgets the
// pass. Stop runs it after EndRecordPass.
void MergePassIntoTracks();
bool IsRecordPassRunning();
// The first tick the pass records: the later of the punch-in point and the tick the pass
// started playing at, so that a replacing pass never clears what lies before it.
uint32_t RecordRangeStart();
// The tick the running pass started playing at (the song position when it started while
// playing); the audio takes start there.
uint32_t RecordPassStartTick();
