// A plug-in's programs (VST) and factory presets (components) behind one interface: the
// current program, choosing a program, program names, the refresh that follows a program
// chosen in the plug-in's own editor, the plug-in category a VST plug-in reports, and the
// instrument names of a MIDI-receiving component.
//
// The program list (an instance's first owned handle): a 32-byte header, then records of
// 64 + 4 x count bytes, whose second word is the record's parameter count, followed by a
// length-prefixed name.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct PluginInfo;
struct PluginInstance;
struct PluginSettings;

constexpr int32_t kProgramListHeader = 32;
constexpr int32_t kProgramRecordBase = 64;
constexpr int32_t kProgramRecordNameAt = 8;  // after the two words: the length-prefixed name

// The program number, or -1.
int32_t GetCurrentProgram(PluginInstance* instance);
void SetProgram(PluginInstance* instance, int32_t program);
// SetProgram without a display refresh.
void SetProgramQuietly(PluginInstance* instance, int32_t program);
// Zero-terminated names; `capacity` counts the zero. GetProgramNameIndexed: 0 or -4.
OSErr GetProgramNameIndexed(PluginInstance* instance, int32_t program, char* name,
                            int32_t capacity);
void GetProgramName(PluginInstance* instance, char* name, int32_t capacity);
void SetProgramName(PluginInstance* instance, const char* name);

// The program list's records: the offset of record n (from 0) and of the record after the
// one at `offset`; -1 when outside the list.
int32_t GetProgramRecord(Handle list, int32_t program);
int32_t NextProgramRecord(Handle list, int32_t offset);

// Brings the settings' program up to date after the plug-in changed its program.
void RefreshPluginProgram(PluginInstance* instance, PluginSettings* settings);
// Sets the entry's category from the category the plug-in reports.
void GuessVstCategory(PluginInfo* info, PluginInstance* instance);
// The 130-byte list of the 128 instrument names of a bank (u16 count, then 128 Pascal
// strings of one byte each when empty); *bank becomes the next bank with instruments, or -1.
// Null when the bank has none or the instance is not a MIDI-receiving component.
Handle BuildInstrumentNameList(PluginInstance* instance, int32_t* bank);
