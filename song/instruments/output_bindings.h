// Carrying the tracks' instrument bindings across a replacement of the instrument table:
// every track channel that plays through the table is saved as the (device kind, port,
// channel) of its instrument's first part, and bound again afterwards to the instrument
// with the same output, wherever it now stands. Also the refresh of an instrument's ports
// after the MIDI port list changed, and the removal of unused instruments.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// TrackOutputSnapshot: a handle of u32 capacity (bytes), u32 count, then count entries of
// device kind, port, channel and a zero byte.
constexpr int32_t kSnapshotHeader = 8;
constexpr int32_t kSnapshotEntrySize = 4;
constexpr int32_t kSnapshotInitialSize = 408;
constexpr int32_t kSnapshotGrowth = 400;
// The device kind of an entry that stands for a channel bound to no instrument.
constexpr uint8_t kSnapshotNoOutput = 0xFF;

// Undo step kind of an instrument table replacement.
constexpr int32_t kUndoKindInstrumentTable = 38;

// Saves the output of every channel of every track (of every open song and child sequence)
// that plays through the table; with flagBit (0..7) non-zero, each instrument used loses that
// flag bit. On failure the error is reported and *snapshot is null.
OSErr SaveTrackOutputs(Handle* snapshot, int32_t flagBit);
// Appends a triple, growing the snapshot by 400 bytes when it is full (the growth's error is
// returned); clears flag bit flagBit of a valid instrument when flagBit is non-zero.
OSErr AppendOutputTriple(Handle snapshot, int32_t instrument, uint8_t kind, uint8_t port,
                         uint8_t channel, int32_t flagBit);
// Binds every channel again, in the same walk, to the first instrument with its saved
// output. A missing output whose kind has an audio driver (or is a plug-in, 20) gets a new
// instrument; one of a plain MIDI kind leaves the channel's word as it was. With renumber,
// each instrument found at or after the running insertion index moves there, so the used
// instruments end up first in the order the tracks use them. The snapshot is freed.
void RestoreTrackOutputs(Handle snapshot, bool renumber);
// RestoreTrackOutputs, then the editor, track and instrument windows are redrawn, the song
// is marked modified and the instrument state rebuilt.
void RestoreTrackOutputsAndRedraw(Handle snapshot, bool renumber);

// Every running engine channel's instrument output (kind << 16 | port << 8 | channel, -1
// for none) is kept, and each channel's instrument found again from it afterwards.
void SaveEngineChannelOutput();
void RestoreEngineChannelOutput();

// Flag 0x10 on every instrument whose insert rack runs no plug-in chain, cleared on the
// others.
void MarkInstrumentsWithoutPlugin();
// Looks each part's port up again in the port table by its stored port id (re-registering a
// missing kind-18 port when reRegister is set), then resolves the parts. An instrument of
// an audio driver only has its parts resolved.
void RefreshInstrumentPorts(int32_t instrument, bool reRegister);
// As one undoable step: deletes every instrument that no track uses and that runs no plug-in,
// and moves the used ones to the front in the order the tracks use them.
void RemoveUnusedInstruments();

// Installs a table read from a file (see instrument_table_io.h) as the program's table; with
// refreshPorts each record's ports are then looked up again in the port table.
void InstallInstrumentTableWithPorts(Handle table, bool refreshPorts);

// The first instrument (0..count-1) whose part 0 plays through this output, or -1.
int32_t FindInstrumentByOutput(uint8_t kind, uint8_t port, uint8_t channel);
// Runs edit as an undo step of kind 38 that keeps the instrument table, or directly when
// there is no song to keep the step with.
void RunInstrumentTableStep(int32_t (*edit)(void* context), void* context);
