// The audio record of an audio track (TrackAudio): 158 bytes, big-endian, in a handle hung off
// the track's TrackEntry (+232 the main record, +256 the alternate one; a track bit chooses the
// active one). The record is written raw into song documents (song/instruments/plugin_records.h
// reads and writes it with the blocks it names), so its layout is a file format:
//   +0   32 bytes  the insert rack's part (plugins/host/insert_racks.h), kept as stored
//   +32  f32       sample rate (Hz)
//   +36  u8        id of the engine channel that plays the record (set by the engine and host)
//   +37  u8        rack flags (0x02 rate changed, 0x10/0x20 how the rack's chain is kept, 0x40)
//   +38  i8        overview state (kOverviewIdle, kOverviewQueued, kOverviewGaveUp, kOverviewUnshowable)
//   +64  3 bytes   waveform colour, red, green, blue (the high byte of each RGBColor component)
//   +70  u32       engine flags (bit 0: a one-shot request the engine clears when it prepares)
//   +74  OSType    sample encoding ('NONE', 'twos', 'sowt', 'in24', 'fl32', 'raw ', ...)
//   +78  i16       channels (interleaved)
//   +80  i16       bits per sample
//   +82  u32       sample rate as unsigned 16.16
//   +86  u32       movie word, +94 u32 the movie's edit state (both cleared with the media)
//   +110 handle    the overview cache file's alias
//   +118 handle    the overview: the first block of a chain, one block per channel
//   +126 handle    the region list (256-byte audio regions); the record is ready exactly when set
//   +134 u32       the insert rack's saved chain state (plugins)
//   +142 u32       id of the engine channel that plays the record, 0 when none is cached
//   +150 handle    the automation point list
// Bytes not named here are kept as stored. The record never holds a machine pointer.
#pragma once

#include <cstdint>

#include "audio/regions/region_placement.h"  // TrackAudioRate, the region list of a record
#include "platform/memory/byte_order.h"
#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"

constexpr int32_t kTrackAudioBytes = 158;
constexpr int32_t kTrackAudioRateAt = 32;
constexpr int32_t kTrackAudioChannelIdAt = 36;
constexpr int32_t kTrackAudioRackFlagsAt = 37;
constexpr int32_t kTrackAudioOverviewStateAt = 38;
constexpr int32_t kTrackAudioColorAt = 64;
constexpr int32_t kTrackAudioEngineFlagsAt = 70;
constexpr int32_t kTrackAudioEncodingAt = 74;
constexpr int32_t kTrackAudioChannelsAt = 78;
constexpr int32_t kTrackAudioBitsAt = 80;
constexpr int32_t kTrackAudioFixedRateAt = 82;
constexpr int32_t kTrackAudioMovieWordAt = 86;
constexpr int32_t kTrackAudioMovieEditStateAt = 94;
constexpr int32_t kTrackAudioOverviewAliasAt = 110;
constexpr int32_t kTrackAudioOverviewAt = 118;
constexpr int32_t kTrackAudioRegionsAt = 126;
constexpr int32_t kTrackAudioInsertChainAt = 134;
constexpr int32_t kTrackAudioEngineChannelAt = 142;
constexpr int32_t kTrackAudioAutomationAt = 150;

// Overview state byte.
constexpr int8_t kOverviewIdle = 0;        // the overview is current, or there is none
constexpr int8_t kOverviewQueued = 1;      // a job for the record is queued or running
constexpr int8_t kOverviewGaveUp = -1;     // computing stopped without a result
constexpr int8_t kOverviewUnshowable = -2; // the sample format cannot be shown

// The rate a record gets when it has none (a song file that stored 0.0).
constexpr float kTrackAudioDefaultRate = 44100.0f;

// A typed view over a record's bytes (lives only while the block cannot move).
struct TrackAudioView : RecordView {
  using RecordView::RecordView;
  float SampleRate() const { return F32(kTrackAudioRateAt); }
  void SetSampleRate(float rate) { SetF32(kTrackAudioRateAt, rate); }
  uint8_t ChannelId() const { return U8(kTrackAudioChannelIdAt); }
  void SetChannelId(uint8_t id) { SetU8(kTrackAudioChannelIdAt, id); }
  uint8_t RackFlags() const { return U8(kTrackAudioRackFlagsAt); }
  void SetRackFlags(uint8_t f) { SetU8(kTrackAudioRackFlagsAt, f); }
  int8_t OverviewState() const { return I8(kTrackAudioOverviewStateAt); }
  void SetOverviewState(int8_t s) { SetI8(kTrackAudioOverviewStateAt, s); }
  uint32_t EngineFlags() const { return U32(kTrackAudioEngineFlagsAt); }
  void SetEngineFlags(uint32_t f) { SetU32(kTrackAudioEngineFlagsAt, f); }
  OSType Encoding() const { return U32(kTrackAudioEncodingAt); }
  void SetEncoding(OSType code) { SetU32(kTrackAudioEncodingAt, code); }
  int16_t Channels() const { return I16(kTrackAudioChannelsAt); }
  void SetChannels(int16_t n) { SetI16(kTrackAudioChannelsAt, n); }
  int16_t BitsPerSample() const { return I16(kTrackAudioBitsAt); }
  void SetBitsPerSample(int16_t n) { SetI16(kTrackAudioBitsAt, n); }
  uint32_t FixedRate() const { return U32(kTrackAudioFixedRateAt); }
  void SetFixedRate(uint32_t r) { SetU32(kTrackAudioFixedRateAt, r); }
  uint32_t MovieWord() const { return U32(kTrackAudioMovieWordAt); }
  void SetMovieWord(uint32_t w) { SetU32(kTrackAudioMovieWordAt, w); }
  uint32_t MovieEditState() const { return U32(kTrackAudioMovieEditStateAt); }
  void SetMovieEditState(uint32_t s) { SetU32(kTrackAudioMovieEditStateAt, s); }
  Handle OverviewAlias() const { return Handle(U32(kTrackAudioOverviewAliasAt)); }
  void SetOverviewAlias(Handle h) { SetU32(kTrackAudioOverviewAliasAt, h.id); }
  Handle Overview() const { return Handle(U32(kTrackAudioOverviewAt)); }
  void SetOverview(Handle h) { SetU32(kTrackAudioOverviewAt, h.id); }
  Handle Regions() const { return Handle(U32(kTrackAudioRegionsAt)); }
  void SetRegions(Handle h) { SetU32(kTrackAudioRegionsAt, h.id); }
  uint32_t InsertChain() const { return U32(kTrackAudioInsertChainAt); }
  void SetInsertChain(uint32_t head) { SetU32(kTrackAudioInsertChainAt, head); }
  uint32_t EngineChannelId() const { return U32(kTrackAudioEngineChannelAt); }
  void SetEngineChannelId(uint32_t id) { SetU32(kTrackAudioEngineChannelAt, id); }
  Handle Automation() const { return Handle(U32(kTrackAudioAutomationAt)); }
  void SetAutomation(Handle h) { SetU32(kTrackAudioAutomationAt, h.id); }
};

// The view of a record handle; an empty view for 0 or a block shorter than the record.
TrackAudioView ViewTrackAudio(Handle record);

// Record life cycle.
// A cleared record with the default waveform colour into *slot (a big-endian handle word, e.g.
// TrackEntry +232 or +256); 0 or -108 (the slot is then 0).
OSErr AllocTrackAudio(uint8_t* slot);
// AllocTrackAudio into the current track's main slot.
OSErr NewTrackAudio();
// Disposes the record with every block it names and clears the slot.
void DisposeTrackAudio(uint8_t* slot);
// For a duplicated record: a copy made while the state is kOverviewQueued gets no overview;
// otherwise each block of the chain is replaced by a copy. Does nothing once *failed is set;
// sets it at the first copy that fails (the chain is then cut there).
void CopyTrackAudioOverview(Handle record, bool* failed);

// Lookups (on the current track).
// The handle when the record has a region list, else 0.
Handle TrackAudioIfReady(Handle record);
// The current track's main record when ready.
Handle GetTrackAudio();
// The current track's active record (main or alternate) when ready. (The song and the engine
// ask through their hook tables: IsTrackAudioReady, GetActiveTrackAudio.)
Handle GetActiveTrackAudioRecord();
// The song is in song mode one and the current track's main record is ready.
bool HasTrackAudio();
// The song allows step input and the current track's main record is ready.
bool IsMainTrackAudioReady();

struct EngineChannel;
// The engine channel that plays the record: the one whose id the record caches at +142; when
// none is cached and the engine plays (play state 1), the one with the record's id byte (+36).
// Null otherwise (an id of 0 finds nothing).
EngineChannel* GetTrackAudioChannel(Handle record);

// Colour: each stored byte is the high byte of its RGBColor component (x 256 when widened).
void GetTrackAudioColor(Handle record, RGBColor* color);
void SetTrackAudioColor(Handle record, const RGBColor& color);
// The colour new records take (black until the colour preference changes it).
extern RGBColor gDefaultWaveformColor;

// Overview state.
// Takes the head, clears the cell, disposes the blocks following each block's next link.
void DisposeOverviewChain(Handle record);
// The current track's main record: state idle, no overview.
void ClearOverviewDirty();
// State idle and the chain as the record's overview (any old chain disposed).
void SetTrackOverview(Handle record, Handle chain);
// With a record and a chain: SetTrackOverview. With a record and no chain: state kOverviewGaveUp
// unless it is negative already or a wait for the overview jobs is under way. No record: the
// chain is disposed.
void StoreOverviewResult(Handle record, Handle chain);
// ClearOverviewDirty and, when the song-file option asks, the overview file's alias too.
void ForgetTrackOverview();
// ForgetTrackOverview on every track of the current song.
void DiscardAllOverviews();
