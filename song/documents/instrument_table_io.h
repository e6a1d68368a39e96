// The instrument table in a song document: the table block (always present, size-prefixed)
// and behind it, for every record (instruments, aux buses and the master entry), its plug-in
// data: the plug-in record at +244 when there is one, otherwise the blocks of the pan and
// volume assignments at +34 and +42.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Writes gInstrumentTable (a 0 count when there is none) and each record's plug-in data.
OSErr WriteInstrumentTable();
// One record's plug-in data (nothing once a file error is latched).
OSErr WriteInstrumentPluginData(const uint8_t* record);
// Reads a table and its records' plug-in data into a new table that is not installed;
// *table is 0 for a document that holds no table. A block that is no table (under one record,
// too many instruments) is refused as damaged. On failure nothing stays allocated.
OSErr ReadStoredInstrumentTable(Handle* table);
// Frees a table read by ReadStoredInstrumentTable with the blocks its records name.
void DisposeStoredInstrumentTable(Handle table);
// Frees the blocks that the plug-in records of the installed table name.
void ReleaseInstrumentPluginBlocks();
// Installs a table read from a document in place of gInstrumentTable (the old one and what
// it holds are disposed): recounted, driver procedures resolved again, state rebuilt.
void InstallInstrumentTable(Handle table);
