// The plug-in device table: the plug-in instruments that tracks and instrument-table entries
// play. A track (or an instrument entry) whose output is a plug-in instrument names output
// device kind 20 and a device id; the table maps that id to the insert rack whose chain holds
// the instrument, to the live PluginInstance and to the engine channel's MIDI state.
//
// The table is part of the song document (header slot 8): a block of consecutive 80-byte
// big-endian records (64 bytes in files before version 1617), gPluginDevices, with the count
// in gPluginDeviceCount. Record layout:
//   +0  Str31 name            +32 u32 output device kind (20)   +36 u32 device id (254 click)
//   +40 i32 aux-bus index (negative for an instrument entry or a track)
//   +44 u16 flags (bit 0 pending)    +46 u16 track index      +48 u32 second id
//   +52 u16 reference count          +54 i16 child-sequence index (-1 none)
//   +56 u32 (cleared)                +60 u16 song id          +62 u8 track number
//   +63 u8 instrument-table index + 1 (0 for track devices)
//   +64 .. +79 the MIDI-state and instance links: always zero in the block (a saved document
//       never carries them and a loaded one is never trusted); the links live beside the
//       block, in memory only (GetDeviceInstanceId, GetDeviceMidiState).
//
// Threads: the block and every procedure that changes the table belong to the main thread.
// The MIDI input thread, the engine and main-thread tools reach the devices' live rings
// through the live view (ForEachLiveDevice), which never blocks and never allocates: each
// change publishes a new view, and an old view is freed only once no reader can hold it.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;
struct PluginInstance;
struct PluginInfo;
struct PluginMidiState;

constexpr int32_t kPluginDeviceSize = 80;
constexpr int32_t kOldPluginDeviceSize = 64;
constexpr uint32_t kPluginDeviceKind = 20;
constexpr uint32_t kClickPluginDeviceId = 254;
constexpr uint32_t kMaxPluginDeviceId = 253;
constexpr uint16_t kNoDeviceSong = 0xFFFF;
constexpr uint16_t kDevicePending = 0x0001;
// Before this file version track devices named their song by index only.
constexpr uint16_t kFirstVersionWithDeviceSongIds = 1570;
// Before this file version records were 64 bytes long.
constexpr uint16_t kFirstVersionWith80ByteDevices = 1617;

enum : int32_t {
  kDeviceName = 0,
  kDeviceKind = 32,
  kDeviceId = 36,
  kDeviceBusIndex = 40,
  kDeviceFlags = 44,
  kDeviceTrackIndex = 46,
  kDeviceSecondId = 48,
  kDeviceRefCount = 52,
  kDeviceChildIndex = 54,
  kDeviceWord56 = 56,
  kDeviceSongId = 60,
  kDeviceTrackNumber = 62,
  kDeviceInstrumentNumber = 63,
  kDeviceLinks = 64,
};

// A view of one record; lives only while the table block does not move (the block is kept
// locked high).
struct PluginDeviceView {
  uint8_t* p;
  const uint8_t* Name() const { return p + kDeviceName; }
  uint32_t Kind() const;
  uint32_t Id() const;
  int32_t BusIndex() const;
  uint16_t Flags() const;
  bool IsPending() const { return (Flags() & kDevicePending) != 0; }
  uint16_t TrackIndex() const;
  uint32_t SecondId() const;
  uint16_t RefCount() const;
  int16_t ChildIndex() const;
  uint16_t SongId() const;
  uint8_t TrackNumber() const { return p[kDeviceTrackNumber]; }
  uint8_t InstrumentNumber() const { return p[kDeviceInstrumentNumber]; }
  bool IsTrackDevice() const { return BusIndex() < 0 && InstrumentNumber() == 0; }
  void SetName(const uint8_t* name);
  void SetKind(uint32_t v);
  void SetId(uint32_t v);
  void SetBusIndex(int32_t v);
  void SetFlags(uint16_t v);
  void SetTrackIndex(uint16_t v);
  void SetRefCount(uint16_t v);
  void SetChildIndex(int16_t v);
  void SetSongId(uint16_t v);
  void SetTrackNumber(uint8_t v) { p[kDeviceTrackNumber] = v; }
  void SetInstrumentNumber(uint8_t v) { p[kDeviceInstrumentNumber] = v; }
};

// The table block (the handle of the document's slot 8; 0 for none) and its record count.
Handle GetPluginDeviceTable();
extern int32_t gPluginDeviceCount;
// The address of record n (null past the count).
uint8_t* GetPluginDeviceRecord(int32_t n);

// Lookups (main thread). Records are addressed as in the block. The song layer reaches the
// id and second-id lookups and the rebuild as FindDeviceById, FindDeviceBySecondId and
// RebuildDeviceTable (song/instruments/plugin_hooks.h), which these serve.
uint8_t* FindPluginDeviceById(uint32_t id, uint32_t flagMask);
uint8_t* FindDeviceByInstance(uint32_t instance);
uint8_t* FindDeviceByBusIndex(int32_t busIndex);
// The non-pending record whose second id matches, or null.
uint8_t* FindPluginDeviceBySecondId(uint32_t secondId);
// The linked instance of the device with that id (any flags), or null.
PluginInstance* GetDeviceInstance(uint32_t id);
// The links of a record (0 / null when none).
uint32_t GetDeviceInstanceId(const uint8_t* record);
PluginMidiState* GetDeviceMidiState(const uint8_t* record);
// The first device with that id takes the instance (SetInstanceDevice with its register
// flag): its pending bit is cleared (set for 0) and its reference count grows by one. False
// when there is no such device.
bool LinkDeviceInstance(uint32_t id, uint32_t instance);
// handle size / 80; 0 for a null handle.
int32_t CountDeviceRecords(Handle table);

// Registration and rebuild (main thread, engine stopped or idle).
// *id: in the wanted id or -1; out the id given. 0, -50 for a null rack, or the memory error
// (the old table and count stay).
OSErr RegisterPluginDevice(Handle rack, int32_t* id, int32_t instrumentIndex);
// Empties the table and registers every song's tracks, the instrument table's entries and,
// when the metronome's track has a rack, the click device (254).
void RebuildPluginDeviceTable();
// Registers the metronome's track rack as the click device (254, no song); paramErr when the
// click track has no chain.
OSErr RegisterClickDevice();
// After the click settings changed: with flag, a click track whose settings no longer match
// (its rack's inserts on, and the click no longer plays device kind 20 or plays another
// device) loses its media; then, unless the program is quitting, the table is rebuilt.
void RebuildForClickChange(int32_t flag);
// Mode 0 sets the device's pending bit, 1 clears it, 2 names it again from the chain, clears
// its reference count, relinks the head instance and clears pending.
void UpdateRackDevice(Handle rack, int32_t mode);
// The name of the chain's instrument plug-in ("--" without one), unique among the table's
// other records.
void MakeDeviceName(Handle table, uint32_t chainHead, int32_t count, uint8_t* name);
// The plug-in's name as the plug-in table lists it, else the instance's own (at most 31
// characters).
void GetPluginInstanceName(const PluginInstance* record, uint8_t* name);
void RefreshDeviceName(uint8_t* record);
// The device's name for kind 20 (in brackets when pending, or with the flag for a track
// device of another song); an empty string for other kinds. Points at a shared buffer.
const uint8_t* GetDeviceDisplayName(uint32_t kind, uint32_t id, int32_t bracket);
// The rack whose chain plays the device (and the track when asked), or 0.
Handle GetDevicePluginChain(const uint8_t* record, uint8_t** track);
// The current track's device while the song is in step or record mode and the track plays a
// plug-in instrument (null for a track device of another song).
uint8_t* GetCurrentTrackDevice();
// With useDevice the chain of the current track's device, else (or without one) the current
// track's rack with useDevice; without it the rack of the plug-in in focus
// (gPluginHostHooks.focusedPluginRack).
Handle GetCurrentDevicePluginChain(int32_t useDevice, uint8_t** device);

// Links to the engine.
void AttachChannelToDevice(EngineChannel* channel, PluginMidiState* state);
void ClearDeviceMidiStates();
void MarkUnreferencedDevices();
void ClearDeviceLinksTo(uint32_t instance);
// Recounts the table's records, then counts the bus, instrument and current-song track
// devices (the click device only with the flag).
int32_t CountSongTrackDevices(int32_t includeClick);
uint32_t GetNthVisibleDeviceId(int32_t n);
int32_t GetDeviceTrackIndex(uint32_t id);
int32_t GetCurrentDeviceBusIndex();
// Sets or clears the step-record flag (kPluginFlagStepRecord) of the plug-in of the current
// track's device; nothing when there is none (the song is not in step or record mode).
void SetPluginRecordFlag(bool on);
uint32_t FindDeviceNamedLike(uint32_t id);
using MidiOutputPluginProc = void (*)(const PluginInfo* info, uint8_t* device, uint32_t routing, void* context);
void ForEachMidiOutputPlugin(MidiOutputPluginProc callback, void* context);
void GetPluginOutputName(uint8_t* name, uint32_t routing);

// Document life.
void FixTrackDeviceSongIds(uint16_t fileVersion);
void SetClickDeviceSong(int32_t on);
void DecrementTrackIndexAfter(int32_t trackIndex);
// Takes the table block the document reader stored in slot 8 (widened already).
void LoadDeviceTable(uint16_t fileVersion);
void ResetDeviceTable();

// Tempo and bus bypass.
void ApplyTempoToPluginChannels(int32_t tempo);
int32_t UpdateBusBypassForTracks(int32_t busIndex, int32_t force);
int32_t UpdateCurrentBusBypass(int32_t force);
// When the current track plays its alternate region list: the alternate audio record is
// disposed, the track plays its main list again and the current device's bus bypass is
// applied again with force.
void ClearAlternateRegionOutput();
// Every bus again (not forced): those with the auto-bypass bit follow the tracks that now
// play them. Run when the table is rebuilt and when Play starts.
void UpdateAllBusBypass();

// The engine's channels, then its aux-bus channels, until the procedure answers non-zero
// (served as ForEachInstrumentPlugin, song/instruments/plugin_hooks.h).
using DeviceChannelProc = int32_t (*)(EngineChannel* channel, void* block);
void WalkInstrumentPluginChannels(DeviceChannelProc callback, void* block);

// Installs the table's entries of gInstrumentPluginHooks and gDocumentHooks (called by
// InstallPluginHooks).
void InstallPluginDeviceHooks();

// The live view, for the MIDI input thread, the engine and main-thread tools: never blocks,
// never allocates. With id 0 the procedure runs for every device that has an instance; else
// for the first device with that id. The entry is valid only during the call.
struct LiveDevice {
  uint32_t id;
  uint16_t flags;
  uint32_t instance;           // instance id, 0 none
  PluginMidiState* midiState;  // null while the engine is stopped
};
using LiveDeviceProc = void (*)(const LiveDevice* device, void* context);
void ForEachLiveDevice(uint32_t id, LiveDeviceProc proc, void* context);
// Views published and not yet freed (for leak checks).
int32_t CountRetiredDeviceViews();
