// Automation point lists: 16-byte records in a handle, sorted by time and ended by a record
// whose time is 0xFFFFFFFF (0x7FFFFFFF or more in older lists). They drive volume, pan, sends and plug-in parameters while a
// channel plays.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;
struct ChannelRenderState;

constexpr int32_t kAutomationRecordSize = 16;
constexpr uint32_t kAutomationEndTime = 0xFFFFFFFFu;
// A record whose time is this or more ends the list (older lists end at 0x7FFFFFFF).
constexpr uint32_t kAutomationEndOfPoints = 0x7FFFFFFFu;
constexpr int32_t kAutomationSends = 8;

enum AutomationKind : uint8_t {
  kAutomationVolume = 1,
  kAutomationPan = 2,
  kAutomationParameter = 3,  // value32: Float32 bits; +8..+11: the chain position (i32); index: the parameter
  kAutomationSendLevel = 4,
  kAutomationSendPan = 5,
};
constexpr uint8_t kAutomationSkipped = 0x01;  // flags: playback passes the point over

struct AutomationView {
  uint8_t* p;
  uint32_t Time() const;
  uint32_t Value32() const;
  uint16_t Value() const;
  int16_t Pan() const;
  uint8_t Kind() const;
  uint8_t Flags() const;
  int16_t Index() const;
  int32_t PluginIndex() const;  // kind 3: the level and pan words read as one i32
  void SetTime(uint32_t v);
  void SetValue32(uint32_t v);
  void SetValue(uint16_t v);
  void SetPan(int16_t v);
  void SetKind(uint8_t v);
  void SetFlags(uint8_t v);
  void SetIndex(int16_t v);
  void SetPluginIndex(int32_t v);
};

// The first record whose time is not below position (a position above 32 bits is past every
// point): the end record when none is; null for an empty or malformed list.
uint8_t* FindAutomationRecord(Handle list, uint64_t position);
// Inserts a zeroed record at byte offset *offset (negative: before the end record; kept
// inside the list, never behind the end record), making the list when *list is null. The new
// record's address goes to *record and *offset moves past it. 0, or the memory error.
OSErr InsertAutomationRecord(Handle* list, uint8_t** record, int32_t* offset);
OSErr AddAutomationRecord(Handle* list, int32_t* offset, uint32_t time, uint16_t value, int16_t pan, uint8_t kind);
void FillAutomationRecord(uint8_t* record, uint32_t time, uint16_t value, int16_t pan, uint8_t kind);

// The state at position: volume and pan of the last points at or before it (unchanged when
// none), the 8 send levels and pans (-1 without a point), and, for a channel with a chain,
// the latest value of each plug-in parameter applied to its plug-in. Answers the record that
// playback continues from.
uint8_t* ChaseAutomationState(Handle list, uint64_t position, int32_t* volume, int32_t* pan, int32_t sendLevels[8],
                              int32_t sendPans[8], EngineChannel* channel);
// The channel's automation lock word (automationLock) guards its playback copy and cursors.
// The main thread takes it with TakeAutomationLock, which spins on a compare-and-swap 0 -> 1
// for at most kAutomationLockWaitMicros and answers whether it took the word; the engine
// thread only tries it once per block. Either side releases it by storing 0.
constexpr uint32_t kAutomationLockWaitMicros = 500000;
bool TakeAutomationLock(EngineChannel* channel);
void ReleaseAutomationLock(EngineChannel* channel);

// Engine thread, with the channel's automation lock held: plays the plug-in parameter points
// (kind 3, not skipped) that fall into the next `frames` frames from the channel's plug-in
// cursor, and moves the cursor and its position past the block. Nothing without a cursor.
// Interim: the values are set at the block's start, not at their frame within the block.
void PlayAutomationToPlugins(EngineChannel* channel, int32_t frames);

// A parameter number of 0 or more sets that plug-in parameter (unless noParameters);
// negative numbers set the chain's own values: -4 input gain (x / 32768), -3 wet gain
// (x x 32768), -2 dry level (x x 256), -1 bypass (on from 0.5).
void ApplyAutomationToPlugin(void* plugin, ChannelRenderState* chain, int32_t parameter, float x, bool noParameters);
