// The instrument assignments section of the preferences data fork (and of the program-names
// file): the assignment table, then for each 128-byte record the three blocks its handles
// hold (patch names +92, bank-select messages +100, controller names +108).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kAssignmentSize = 128;
constexpr int32_t kAssignmentPatchNames = 92;
constexpr int32_t kAssignmentBankMessages = 100;
constexpr int32_t kAssignmentControllerNames = 108;
constexpr int32_t kAssignmentOutputId = 116;
// Older records are 64 bytes (files below 924); files below 788 hold a raw table of 48.
constexpr int32_t kOldAssignmentSize = 64;
constexpr uint16_t kFirstSizedAssignmentVersion = 788;
constexpr uint16_t kWideAssignmentVersion = 924;
// A table larger than this is taken for damage.
constexpr int32_t kMaxAssignments = 4096;

// Writes gInstrumentAssignments (nothing for none) and each record's three handles, size-
// prefixed, stopping at the first error. Returns the stream's error.
OSErr WriteAssignmentSection();
// Reads a section written by a file of this version into a new table whose records hold
// only handles made here (*table null when the file's table is empty). Versions below 788
// are refused (paramErr); nothing is left allocated on failure.
OSErr ReadAssignmentSection(uint16_t version, Handle* table);
// Disposes a table and the handles its records hold; clears the variable.
void DisposeAssignmentTableBlock(Handle* table);
// Makes table the program's assignment table (the old one is disposed); a null table
// keeps the old one.
void ReplaceAssignmentTable(Handle table);
