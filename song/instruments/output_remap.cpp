#include "song/instruments/output_remap.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/resource_files.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/output_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"
#include "song/undo/undo_steps.h"

OutputRemapEntry gRemapTable[kMaxRemapEntries];
int32_t gRemapCount = 0;

namespace {

// The kinds whose replacements are remembered as 'pChg' resources: 13-17, 19-21, 23 and 24.
constexpr uint32_t kRememberedKinds = 0x1BBE000;
constexpr uint8_t kPluginInstrumentKind = 20;

bool IsRememberedKind(uint8_t kind) { return (kRememberedKinds >> (kind & 0x3F)) & 1; }
bool IsNamedPortKind(uint8_t kind) { return kind == 6 || kind == kDeviceKindMidiPort || kind == 22; }

void CopyName(ConstStr255Param from, Str255 to) { std::memcpy(to, from, size_t(from[0]) + 1); }

// A port of the MIDI port table that is present: its entry is in use and has a destination.
bool IsPresentPort(int32_t port) {
  uint16_t id = 0, state = 0;
  GetPortEntry(port, &id, &state);
  if (id == 0 || state == kPortStateAbsentValue) return false;
  Str255 name;
  GetPortEntryName(port, name);
  return name[0] == 0 || name[1] != '[';
}

// The replacement remembered for a port name, when its kind's driver has that port.
bool FindRememberedChoice(ConstStr255Param name, uint8_t* kind, uint8_t* port) {
  if (gPrefsResFile < 0 || name[0] == 0) return false;
  int16_t saved = CurResFile();
  UseResFile(gPrefsResFile);
  Handle h = Get1NamedResource(kPortChoiceType, name);
  UseResFile(saved);
  if (!h || GetHandleSize(h) < 2) return false;
  *kind = uint8_t((*h)[0]);
  *port = uint8_t((*h)[1]);
  ReleaseResource(h);
  return true;
}

void ProposeReplacement(OutputRemapEntry& e) {
  e.newKind = kNoOutputKind;
  e.newPort = 0;
  if (IsNamedPortKind(e.kind)) {
    FindSimilarPort(e.name, &e.newKind, &e.newPort);
    return;
  }
  if (!IsRememberedKind(e.kind)) return;
  if (e.kind == kPluginInstrumentKind) {
    e.newKind = e.kind;  // the plug-in layer keeps its own numbering
    e.newPort = e.port;
    return;
  }
  uint8_t kind = gDefaultInstrumentDevice[0], port = gDefaultInstrumentDevice[1];
  FindRememberedChoice(e.name, &kind, &port);
  Str255 ignored;
  e.newKind = kind;
  e.newPort = IsOutputMissing(kind, port, ignored) ? 0 : port;
}

// Byte-occurrence distance between two names; the missing one from its second character on.
int32_t NameDistance(ConstStr255Param missing, ConstStr255Param known) {
  int32_t counts[256] = {};
  for (int32_t i = 2; i <= missing[0]; ++i) ++counts[missing[i]];
  for (int32_t i = 1; i <= known[0]; ++i) --counts[known[i]];
  int32_t d = 0;
  for (int32_t c : counts) d += c < 0 ? -c : c;
  return d;
}

int32_t CheckTrack(void* found) {
  if (gCurrentTrack[kTrackFlags] & kTrackFlagPlaysInstrument) return 0;
  Str255 name;
  if (IsOutputMissing(gCurrentTrack[kTrackType], gCurrentTrack[kTrackMidiOutput], name)) *static_cast<bool*>(found) = true;
  return 0;
}

int32_t CollectTrack(void*) {
  Str255 name;
  if (IsOutputMissing(gCurrentTrack[kTrackType], gCurrentTrack[kTrackMidiOutput], name))
    AddPortRemap(gCurrentTrack[kTrackType], gCurrentTrack[kTrackMidiOutput], name);
  return 0;
}

int32_t RemapTrack(void*) {
  if (RemapOutput(&gCurrentTrack[kTrackType], &gCurrentTrack[kTrackMidiOutput])) RefreshCurrentTrackDriver();
  return 0;
}

// Calls each enabled part's pair of every instrument; stops when visit answers true.
template <typename Visit>
bool ForEachInstrumentPart(Visit visit) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* inst = GetInstrumentRecord(i);
    if (!inst) continue;
    for (int32_t p = 0; p < kInstrumentParts; ++p) {
      bool enabled = (inst[kInstPartMask] >> p) & 1;
      if (!enabled && !(p == 0 && inst[kInstPartMask] == 0)) continue;
      if (visit(&inst[kInstDeviceKinds + p], &inst[kInstPorts + p])) return true;
    }
  }
  return false;
}

int32_t RemapAll(void*) {
  ForEachTrack(RemapTrack, nullptr);
  ForEachInstrumentPart([](uint8_t* kind, uint8_t* port) {
    RemapOutput(kind, port);
    return false;
  });
  RemapOutput(&gDefaultInstrumentDevice[0], &gDefaultInstrumentDevice[1]);
  return 0;
}

void RememberChoices() {
  if (gPrefsResFile < 0) return;
  int16_t saved = CurResFile();
  UseResFile(gPrefsResFile);
  for (int32_t i = 0; i < gRemapCount; ++i) {
    const OutputRemapEntry& e = gRemapTable[i];
    if (!IsRememberedKind(e.kind) || e.name[0] == 0) continue;
    if (Handle old = Get1NamedResource(kPortChoiceType, e.name)) {
      RemoveResource(old);
      DisposeHandle(old);
    }
    Handle h = NewHandle(2);
    if (!h) break;
    (*h)[0] = char(e.newKind);
    (*h)[1] = char(e.newPort);
    AddResource(h, kPortChoiceType, UniqueID(kPortChoiceType), e.name);
    if (ResError() != noErr) break;
  }
  UpdateResFile(gPrefsResFile);
  UseResFile(saved);
}

}  // namespace

void ClearRemapTable() { gRemapCount = 0; }

bool IsPortInRemapTable(uint8_t kind, uint8_t port) {
  for (int32_t i = 0; i < gRemapCount; ++i)
    if (gRemapTable[i].kind == kind && gRemapTable[i].port == port) return true;
  return false;
}

bool RemapOutput(uint8_t* kind, uint8_t* port) {
  for (int32_t i = 0; i < gRemapCount; ++i) {
    const OutputRemapEntry& e = gRemapTable[i];
    if (e.kind != *kind || e.port != *port) continue;
    if (e.newKind == *kind && e.newPort == *port) return false;
    *kind = e.newKind;
    *port = e.newPort;
    SetSongModified();
    return true;
  }
  return false;
}

void AddPortRemap(uint8_t kind, uint8_t port, ConstStr255Param name) {
  if (gRemapCount >= kMaxRemapEntries || IsPortInRemapTable(kind, port)) return;
  OutputRemapEntry& e = gRemapTable[gRemapCount];
  e.kind = kind;
  e.port = port;
  if (name && name[0]) CopyName(name, e.name);
  else CopyName(BuildOutputKindName(kind, port), e.name);
  ProposeReplacement(e);
  ++gRemapCount;
}

bool FindSimilarPort(ConstStr255Param name, uint8_t* kind, uint8_t* port) {
  int32_t best = -1, bestDistance = name[0] - 1;
  for (int32_t i = 0; i < gPortCount; ++i) {
    if (!IsPresentPort(i)) continue;
    Str255 known;
    GetPortEntryName(i, known);
    int32_t d = NameDistance(name, known);
    if (d == 0) {
      best = i;
      break;
    }
    if (d < bestDistance) best = i, bestDistance = d;
  }
  if (best < 0) return false;
  *kind = kDeviceKindMidiPort;
  *port = uint8_t(best);
  return true;
}

bool IsOutputMissing(uint8_t kind, uint8_t port, Str255 name) {
  name[0] = 0;
  if (kind == kDeviceKindMidiPort) {
    // A port the table does not list is not set up rather than missing: there is nothing
    // to remap it from.
    if (port < gPortCount) GetPortEntryName(port, name);
    if (name[0] == 0) CopyName(BuildOutputKindName(kind, port), name);
    return port < gPortCount && !IsPresentPort(port);
  }
  CopyName(BuildOutputKindName(kind, port), name);
  return name[0] > 0 && name[1] == '[';
}

bool AnyOutputMissing() {
  bool found = false;
  if (gCurrentSong) ForEachTrack(CheckTrack, &found);
  if (found) return true;
  return ForEachInstrumentPart([](uint8_t* kind, uint8_t* port) {
    Str255 name;
    return IsOutputMissing(*kind, *port, name);
  });
}

int32_t CollectMissingOutputs() {
  ClearRemapTable();
  if (gCurrentSong) ForEachTrack(CollectTrack, nullptr);
  ForEachInstrumentPart([](uint8_t* kind, uint8_t* port) {
    Str255 name;
    if (IsOutputMissing(*kind, *port, name)) AddPortRemap(*kind, *port, name);
    return false;
  });
  return gRemapCount;
}

void ApplyOutputRemapping(bool remember) {
  if (gCurrentSong) RunUndoableEditClearingScope(RemapAll);
  else RemapAll(nullptr);
  if (remember) RememberChoices();
}

int32_t CountReplacementChoices() {
  int32_t n = 1;
  for (int32_t i = 0; i < gPortCount; ++i) n += IsPresentPort(i) ? 1 : 0;
  return n;
}

void GetReplacementChoice(int32_t n, uint8_t* kind, uint8_t* port) {
  *kind = kNoOutputKind;
  *port = 0;
  for (int32_t i = 0; i < gPortCount && n > 0; ++i) {
    if (!IsPresentPort(i) || --n > 0) continue;
    *kind = kDeviceKindMidiPort;
    *port = uint8_t(i);
  }
}

void GetReplacementName(uint8_t kind, uint8_t port, Str255 name) {
  name[0] = 0;
  if (kind == kDeviceKindMidiPort) GetPortEntryName(port, name);
  if (name[0] == 0) CopyName(BuildOutputKindName(kind, port), name);
}
