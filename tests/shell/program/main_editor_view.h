// The main editor of the program under test as its state dump describes it (the time axis,
// the note rows, the panes, the current track's notes), the boxes the notes must fill on the
// screen, and the notes of a standard MIDI file read here, apart from the program's reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/shell/program/program_session.h"

namespace program_test {

// A note of a MIDI file in the file's own ticks; ambiguous when another note of its channel
// and key sounds while it does (its note-off may then close either).
struct FileNote {
  int64_t start = 0, end = 0;
  int pitch = 0, channel = 0;
  bool ambiguous = false;
};
struct FileTrack {
  std::string name;
  std::vector<FileNote> notes;
};
// The track chunks of a standard MIDI file with its division; false for a damaged file.
bool ReadMidiFileNotes(const std::string& path, int* division, std::vector<FileTrack>* tracks);
// The program's tick of a file tick: scaled to its resolution, rounded, counted from 1.
int64_t SongTickOf(int64_t fileTick, int division, int ticksPerQuarter);

// A rectangle in the editor window's coordinates, right and bottom outside it.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
struct ShownNote {
  int64_t tick = 0;
  int pitch = 0, duration = 0, velocity = 0;
  bool selected = false;
};
struct EditorPaneView {
  int index = -1, track = 0, viewMode = 0, rowsTop = 0;
  int left = 0, top = 0, right = 0, bottom = 0;  // window coordinates
};
struct EditorView {
  bool valid = false;
  int zoom = 0, leftTick = 1, rightTick = 1, originX = 0, ticksPerQuarter = 0;
  int noteHeight = 0, octaveHeight = 0;
  int boundaries[12] = {};
  std::vector<EditorPaneView> panes;
  int currentPane = -1, currentTrack = 0, tool = -1;
  int toolbarLeft = 0, toolbarTop = 0;
  int noteValue = 0, snapGrid = 0;
  int64_t selectionStart = 0, selectionEnd = 0;
  int lowPitch = 0, highPitch = 127;
  Box ruler;  // window coordinates
  uint32_t colours[16] = {};
  int selectedCount = -1;
  std::vector<ShownNote> selected, shown;
  WindowLine window;  // the editor's content on the program's screen
};
EditorView ParseEditorView(const std::string& dump);

// x of a tick (window coordinates) at the view's zoom and left tick.
int TickX(const EditorView& v, int64_t tick);
// The tick at x, never below 1.
int64_t XTick(const EditorView& v, int x);
// The top of pitch's row in the pane.
int RowTop(const EditorView& v, const EditorPaneView& pane, int pitch);
// The pitch whose row holds y.
int PitchAt(const EditorView& v, const EditorPaneView& pane, int y);
// The box a note fills: its row, from its start to its end, at least 3 pixels wide.
Box NoteBox(const EditorView& v, const EditorPaneView& pane, int64_t tick, int64_t duration, int pitch);
// The pane's event area (right of the key column), window coordinates.
Box EventArea(const EditorView& v, const EditorPaneView& pane);

// The pixels of the editor window as the X server shows them.
class EditorPicture {
 public:
  EditorPicture(XServer& x, const EditorView& v);
  bool empty() const { return pixels_.empty(); }
  uint32_t At(int x, int y) const;  // window coordinates; 0xFFFFFFFF outside
 private:
  std::vector<uint32_t> pixels_;
  int width_ = 0, height_ = 0;
};

// Dumps until the first pane's notes show on the screen where the dump puts them (the panes
// scroll to their notes when first drawn); the last view (valid false when none came).
EditorView WaitForDrawnView(XServer& x, Program& program, const std::string& dumpFile, double seconds = 15);

// The dump's "lanegraph" line: the current lane's rectangle (window coordinates), the lane
// controller, the lane's range and the graph's colour.
struct LaneGraph {
  int left = 0, top = 0, right = 0, bottom = 0, controller = -1, range = 0;
  uint32_t colour = 0;
  bool valid = false;
};
LaneGraph ParseLaneGraph(const std::string& dump);
// y of a value as the lane scale maps it (the base 4 pixels above the lane's bottom; the range
// and above at the top).
int LaneY(const LaneGraph& g, int value);

}  // namespace program_test
