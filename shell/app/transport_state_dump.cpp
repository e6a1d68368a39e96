#include "shell/app/transport_state_dump.h"

#include "editors/follow/play_cursor.h"
#include "editors/follow/step_input.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/coremidi_driver.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/instruments/midi_port_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"

namespace {

std::string Line(const char* word, std::initializer_list<int64_t> values) {
  std::string line = word;
  for (int64_t v : values) line += " " + std::to_string(v);
  return line + "\n";
}

void AppendPorts(std::string* out) {
  for (int32_t i = 0; i < gPortCount; ++i) {
    Str255 name;
    GetPortEntryName(i, name);
    uint16_t id = 0, state = 0;
    GetPortEntry(i, &id, &state);
    bool present = id != 0 && state != kPortStateAbsentValue && !(name[0] > 0 && name[1] == '[');
    *out += "port " + std::to_string(i) + (present ? " 1 " : " 0 ") +
            std::string(reinterpret_cast<const char*>(name + 1), name[0]) + "\n";
  }
}

// The MIDI sources: unique ID, whether one of the chosen inputs takes it, name.
void AppendSources(std::string* out) {
  for (ItemCount i = 0; i < MIDIGetNumberOfSources(); ++i) {
    MIDIEndpointRef source = MIDIGetSource(i);
    uint8_t name[kMidiNameSize] = {};
    GetEndpointDisplayName(source, name, kMidiNameSize);
    bool input = false;
    for (const MidiEndpointEntry& in : gMidiDriver.inputs) input |= in.endpoint == source && source != 0;
    *out += "source " + std::to_string(GetEndpointUniqueID(source)) + (input ? " 1 " : " 0 ") +
            std::string(reinterpret_cast<const char*>(name + 1), name[0]) + "\n";
  }
}

// Where each track of the current song plays: its output kind and port.
void AppendTrackOutputs(std::string* out) {
  int32_t tracks = gCurrentSong ? GetSongTrackCount() : 0;
  for (int32_t i = 0; i < tracks; ++i)
    if (const uint8_t* t = GetTrackEntryAt(i))
      *out += Line("output", {i + 1, t[kTrackType], t[kTrackMidiOutput], ReadU32BE(t + kTrackSetting208), t[kTrackFlags]});
}

void AppendEditorAxis(std::string* out) {
  WindowRef editor = GetAppWindowRef(&gMainEditorRecord);
  if (!editor) return;
  *out += Line("playaxis", {gTimelineLeftTick, gZoomLevel, gTimelineFrame.originX});
  Point topLeft{gEditorToolbarTop, gEditorToolbarLeft};
  QDLocalToGlobalPoint(GetWindowPort(editor), &topLeft);
  *out += Line("toolbarscreen", {topLeft.h, topLeft.v});
  for (int16_t k = 0; k < gEditorPaneCount; ++k) *out += Line("cursor", {k, GetPaneCursorX(k)});
}


}  // namespace

void AppendPlayStateDump(std::string* out) {
  const AppWindow* front = FindAppWindow(FrontNonFloatingWindow());
  *out += Line("front", {front ? front->kind : 0});
  AppendPorts(out);
  AppendSources(out);
  AppendTrackOutputs(out);
  AppendEditorAxis(out);
  *out += Line("selection", {gTimeSelection.start.tick, gTimeSelection.end.tick});
  *out += Line("step", {gStepCounter, gStepChordPending, StepNoteValueTicks()});
}
