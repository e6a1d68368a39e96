// The instrument table: the program-wide list of output destinations that tracks play
// through. One relocatable block of back-to-back 256-byte Instrument records, kept locked
// high, laid out as
//   gInstrumentCount instruments (at most 254), then gAuxBusCount aux buses (flag 0x04),
//   then exactly one master entry, always last.
// Its size is always (instrument count + aux count) x 256 + 256.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/instruments/instrument_record.h"

extern Handle gInstrumentTable;
extern uint8_t* gInstruments;          // start of the locked table, null without one
extern int32_t gInstrumentCount;
extern int32_t gAuxBusCount;
extern int32_t gCurrentInstrument;     // walks set it to each index in turn and restore it
extern int32_t gCurrentInstrumentPart; // 0..7
extern int32_t gInstrumentInsertionPoint;  // where pasted instruments go
// The remembered default instrument device: device kind, then port.
extern uint8_t gDefaultInstrumentDevice[2];

// Result of a table block that cannot be a table (under one record, or more records than a
// table can hold).
constexpr OSErr kBadInstrumentTableErr = -2080;

// --- layout, sizing and building -------------------------------------------------------

// Record i of the table (instruments, aux buses and the master), or null out of range.
uint8_t* GetInstrumentRecord(int32_t i);
uint8_t* GetMasterEntry();
int32_t GetMasterIndex();
// Moves the table high, locks it and caches its start in gInstruments.
void RefreshInstrumentTablePointer();
// Makes a table of count instruments, no aux bus and a master; each instrument is
// InitInstrumentRecord (channel i mod 16, deviceKind, port 0).
OSErr CreateInstrumentTable(int32_t count, uint8_t deviceKind);
// Takes a cleared block of one record as the table: no instrument, no aux bus, the master
// with its defaults (not forced).
void InstallMasterOnlyTable(Handle block);
// Disposes the handles a record owns (insert rack, pan and volume assignments) and clears
// their fields.
void DisposeInstrumentResources(uint8_t* record);
// Disposes the table and the resources its records hold.
void DisposeInstrumentTable();
// Derives the counts of any table block: clears flag 0x04 of the master, then counts the run
// of aux-bus records before it (at most 8; records before the run are instruments). A block
// whose size is not a whole number of records is cut to whole records; one under 256 bytes or
// with more than 254 instruments is refused (kBadInstrumentTableErr) and left unchanged.
OSErr CountInstrumentTable(Handle block, int32_t* count, int32_t* auxCount);
// CountInstrumentTable of gInstrumentTable, into gInstrumentCount / gAuxBusCount.
OSErr RecountInstrumentTable();
// SetHandleSize to (count + aux count) x 256 + 256; returns MemError.
OSErr SetInstrumentTableSize(int32_t count);
// Copies the aux buses and master aside (savedTail), sets the aux count, resizes the block to
// min(newCount, 254) instruments; records from the old instrument count on are cleared for
// the caller to fill. On failure nothing changes (the insufficient-memory alert is shown).
// The caller must call RestoreAuxAndMasterEntries (savedTail) afterwards.
OSErr ResizeInstrumentTable(int32_t newCount, Handle* savedTail, int32_t* clampedCount,
                            int32_t newAuxCount);
// Copies the saved aux buses (as many as fit) and the master back behind the instruments,
// disposes savedTail and re-applies the master volume. A null savedTail does nothing.
void RestoreAuxAndMasterEntries(Handle savedTail);
// Fills a new record (see the record's defaults); name may be null.
void InitInstrumentRecord(uint8_t* record, uint8_t channel, uint8_t deviceKind, uint8_t port,
                          ConstStr255Param name, uint16_t portValue);
// Normalises each part in mask and stores its driver procedure; clears the others; byte 1 =
// mask.
void ResolveInstrumentParts(uint8_t* record, uint8_t mask);
// Name = at most 12 characters of name (or of the output's name), trailing blanks and '-'
// removed, then "-" and channel + 1.
void BuildInstrumentName(uint8_t* record, ConstStr255Param name);
// Appends a copy of a record; a full table adds nothing and is no error.
OSErr AddInstrumentRecord(const uint8_t* record);
OSErr SetAuxBusCount(int32_t newCount, uint8_t deviceKind, uint8_t port, bool rebuild);
void InitMasterEntry(bool force);
// Name of aux bus n (n + 1 after the bus text); with n equal to the aux count, the master's.
StringPtr GetInstrumentDefaultName(int32_t n);

// --- access -------------------------------------------------------------------------

// High byte of the track's instrument word; with a non-empty table, clipped to count - 1.
int32_t GetTrackInstrument(const uint8_t* track, int32_t channel);
int32_t SelectInstrumentOfTrack(int32_t channel);
int32_t UpdateCurrentInstrument();
int32_t GetTrackInstrumentOrNone();
extern uint8_t gDefaultBendRange;
int32_t GetCurrentPitchBendRange();
uint32_t GetCurrentInstrumentDriverProc();
uint32_t GetCurrentTrackDriverProc();
void NumberInstrumentsForDisplay(uint8_t* records);
// The "none" text for n < 0, else n (+1 when fromOne) in gStringBuffer.
StringPtr FormatProgramNumber(int32_t n, bool fromOne);

// --- walks ----------------------------------------------------------------------------

using InstrumentBlockProc = int32_t (*)(void* block);
using InstrumentSearchProc = int32_t (*)(void* arg, uint8_t* record);
// Stores each record's address in the first word of block (a uint8_t*) and calls callback.
void IterateInstruments(InstrumentBlockProc callback, void* block, int32_t count);
void ForEachInstrument(InstrumentBlockProc callback, void* block);
void ForEachInstrumentAll(InstrumentBlockProc callback, void* block);
int32_t FindInstrument(InstrumentSearchProc callback, void* arg);
int32_t ForEachInstrumentAndSpecial(InstrumentSearchProc callback, void* arg);
int32_t ForEachHandleRecord(Handle block, InstrumentSearchProc callback, void* arg);
int32_t CountFlaggedInstruments(int32_t bit);
void SelectAllInstruments();

// --- deleting and pasting --------------------------------------------------------------

void DeleteFlaggedInstruments(int32_t bit);
void DeleteFlaggedInstrumentsAndRebuild(int32_t bit);
void DeletePluginInstrumentsOfDevice(uint8_t port);
void DeleteOrphanedPluginInstruments();
void DeleteMidiInstruments();
// Maps every instrument reference (tracks of every open song and their child sequences,
// engine channels) through the deletion of the records flagged with bit, or through the
// insertion of count records at index at.
void RenumberInstrumentReferencesForDeletion(int32_t bit);
void RenumberInstrumentReferencesForInsertion(int32_t at, int32_t count);
// The first `count` instruments took new places (newIndex[old] is the new index of old): the
// tracks' instrument words, the engine channels and the open songs' mixer selections of an
// instrument follow them.
void RenumberInstrumentReferencesForOrder(const int32_t* newIndex, int32_t count);
// Pastes the selected instruments of a clipboard table at gInstrumentInsertionPoint.
OSErr PasteInstrumentsFrom(Handle clipboardTable);
// The clipboard's table when it holds instrument data; see song/model/clipboard_record.h.
OSErr PasteInstruments();

// --- links ----------------------------------------------------------------------------

void UnlinkInstrument();
void UnlinkSelectedInstruments();
void SetSelectedInstrumentsAltFlag(bool value);

// --- real-time processors ----------------------------------------------------------------

// Takes the high byte of the first processor's flags word and resets the processors.
uint8_t TakeRealtimeProcessorFlags();
// Clamps each processor's instrument below the count and gives back the taken flags.
void ClampProcessorInstruments(uint8_t flags);

// --- derived state --------------------------------------------------------------------

void RebuildInstrumentState();
// The instrument that owns (controller, port, channel) on a device kind, or -1.
int32_t LookupControllerInstrument(uint8_t deviceKind, uint8_t controller, uint8_t port,
                                   uint8_t channel);

// --- MIDI to instruments ----------------------------------------------------------------

constexpr int32_t kMidiRecordHeader = 6;
void SendMidiRecord(uint8_t* record, int32_t length, uint32_t proc, int32_t arg);
void SendToInstrument(uint8_t* record, int32_t instrument, int32_t length);
void SendInstrumentController(int32_t instrument, int32_t value, uint8_t controller);
void BroadcastMidiMessage(uint8_t* record);
void SendControllerAllChannels(uint8_t controller, uint8_t value);
void SendAllNotesOff();
