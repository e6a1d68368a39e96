#include "tests/shell/program/main_editor_view.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace program_test {

namespace {

constexpr int kMinNoteWidth = 3;

uint32_t Be(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | uint8_t(b[at + i]);
  return v;
}

// A variable-length number at *at within end; false past the end.
bool ReadVarLen(const std::string& b, size_t end, size_t* at, uint32_t* value) {
  *value = 0;
  for (int i = 0; i < 4; ++i) {
    if (*at >= end) return false;
    uint8_t c = uint8_t(b[(*at)++]);
    *value = (*value << 7) | (c & 0x7F);
    if (!(c & 0x80)) return true;
  }
  return false;
}

// The notes of one chunk: each note-on closed by the first note-off of its channel and key.
bool ReadChunk(const std::string& b, size_t at, size_t end, FileTrack* track) {
  std::map<int, std::vector<size_t>> open;  // channel * 128 + key: notes still sounding
  int64_t tick = 0;
  uint8_t status = 0;
  while (at < end) {
    uint32_t delta = 0, length = 0;
    if (!ReadVarLen(b, end, &at, &delta) || at >= end) return false;
    tick += delta;
    uint8_t first = uint8_t(b[at]);
    if (first == 0xFF || first == 0xF0 || first == 0xF7) {
      uint8_t type = first == 0xFF ? uint8_t(b[at + 1]) : 0;
      at += first == 0xFF ? 2 : 1;
      if (!ReadVarLen(b, end, &at, &length) || at + length > end) return false;
      if (type == 0x03) track->name = b.substr(at, length);
      at += length;
      continue;
    }
    if (first & 0x80) status = uint8_t(b[at++]);
    int kind = status >> 4, channel = status & 0x0F, size = (kind == 0xC || kind == 0xD) ? 1 : 2;
    if (at + size > end) return false;
    int key = uint8_t(b[at]), velocity = size > 1 ? uint8_t(b[at + 1]) : 0;
    at += size;
    std::vector<size_t>& sounding = open[channel * 128 + key];
    if (kind == 0x9 && velocity > 0) {
      for (size_t k : sounding) track->notes[k].ambiguous = true;
      track->notes.push_back(FileNote{tick, tick, key, channel, !sounding.empty()});
      sounding.push_back(track->notes.size() - 1);
    } else if ((kind == 0x8 || kind == 0x9) && !sounding.empty()) {
      track->notes[sounding.front()].end = tick;
      sounding.erase(sounding.begin());
    }
  }
  return true;
}

std::vector<long> NumbersOf(const std::string& line) {
  std::vector<long> out;
  std::istringstream in(line);
  for (long n; in >> n;) out.push_back(n);
  return out;
}

std::vector<long> FirstNumbers(const std::string& dump, const std::string& word) {
  std::vector<std::string> lines = DumpLines(dump, word);
  return lines.empty() ? std::vector<long>() : NumbersOf(lines.front());
}

std::vector<ShownNote> NotesOf(const std::string& dump, const std::string& word) {
  std::vector<ShownNote> notes;
  for (const std::string& line : DumpLines(dump, word)) {
    std::vector<long> n = NumbersOf(line);
    if (n.size() < 3) continue;
    ShownNote note{n[0], int(n[1]), int(n[2])};
    if (n.size() >= 5) {
      note.velocity = int(n[3]);
      note.selected = n[4] != 0;
    }
    notes.push_back(note);
  }
  return notes;
}

}  // namespace

bool ReadMidiFileNotes(const std::string& path, int* division, std::vector<FileTrack>* tracks) {
  std::ifstream in(path, std::ios::binary);
  std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 14 || b.compare(0, 4, "MThd") != 0) return false;
  *division = int(Be(b, 12, 2));
  if (*division <= 0 || *division >= 0x8000) return false;  // time-code divisions are not read here
  tracks->clear();
  for (size_t at = 8 + Be(b, 4, 4); at + 8 <= b.size();) {
    size_t length = Be(b, at + 4, 4), body = at + 8;
    if (body + length > b.size()) return false;
    if (b.compare(at, 4, "MTrk") == 0) {
      tracks->emplace_back();
      if (!ReadChunk(b, body, body + length, &tracks->back())) return false;
    }
    at = body + length;
  }
  return !tracks->empty();
}

int64_t SongTickOf(int64_t fileTick, int division, int ticksPerQuarter) {
  return (fileTick * ticksPerQuarter + division / 2) / division + 1;
}

EditorView ParseEditorView(const std::string& dump) {
  EditorView v;
  std::vector<long> t = FirstNumbers(dump, "timeline"), rows = FirstNumbers(dump, "noterows");
  std::vector<long> editor = FirstNumbers(dump, "editor"), toolbar = FirstNumbers(dump, "toolbar");
  std::vector<long> values = FirstNumbers(dump, "notevalue"), selected = FirstNumbers(dump, "selectednotes");
  if (t.size() < 5 || rows.size() < 14 || editor.size() < 3 || toolbar.size() < 2 || values.size() < 2 ||
      selected.empty())
    return v;
  v.zoom = int(t[0]), v.leftTick = int(t[1]), v.rightTick = int(t[2]), v.originX = int(t[3]);
  v.ticksPerQuarter = int(t[4]);
  v.noteHeight = int(rows[0]), v.octaveHeight = int(rows[1]);
  for (int i = 0; i < 12; ++i) v.boundaries[i] = int(rows[2 + i]);
  for (const std::string& line : DumpLines(dump, "editorpane")) {
    std::vector<long> n = NumbersOf(line);
    if (n.size() == 8) v.panes.push_back(EditorPaneView{int(n[0]), int(n[1]), int(n[2]), int(n[3]), int(n[4]),
                                                        int(n[5]), int(n[6]), int(n[7])});
  }
  v.currentPane = int(editor[0]), v.currentTrack = int(editor[1]), v.tool = int(editor[2]);
  v.toolbarLeft = int(toolbar[0]), v.toolbarTop = int(toolbar[1]);
  v.noteValue = int(values[0]), v.snapGrid = int(values[1]);
  std::vector<long> range = FirstNumbers(dump, "timeselection"), ruler = FirstNumbers(dump, "ruler");
  if (range.size() == 4) v.selectionStart = range[0], v.selectionEnd = range[1], v.lowPitch = int(range[2]),
                         v.highPitch = int(range[3]);
  if (ruler.size() == 4) v.ruler = Box{int(ruler[0]), int(ruler[1]), int(ruler[2]), int(ruler[3])};
  std::vector<std::string> colours = DumpLines(dump, "notecolours");
  std::istringstream in(colours.empty() ? std::string() : colours.front());
  for (uint32_t& c : v.colours) in >> std::hex >> c;
  v.selectedCount = int(selected[0]);
  v.selected = NotesOf(dump, "selectednote");
  v.shown = NotesOf(dump, "shownnote");
  v.window = WindowOfKind(dump, 4);
  v.valid = !v.panes.empty() && v.window.kind == 4 && v.ticksPerQuarter > 0 && v.octaveHeight > 0;
  return v;
}

int TickX(const EditorView& v, int64_t tick) {
  return int((tick - v.leftTick) >> v.zoom) + v.originX;  // an arithmetic shift, as the axis takes it
}

int64_t XTick(const EditorView& v, int x) {
  return std::max<int64_t>(1, (int64_t(x - v.originX) << v.zoom) + v.leftTick);
}

int RowTop(const EditorView& v, const EditorPaneView& pane, int pitch) {
  int fromTop = 131 - pitch;
  return pane.rowsTop + (fromTop / 12) * v.octaveHeight + v.boundaries[fromTop % 12];
}

int PitchAt(const EditorView& v, const EditorPaneView& pane, int y) {
  int best = 127, bestTop = -1 << 30;
  for (int p = 0; p <= 127; ++p) {
    int top = RowTop(v, pane, p);
    if (top <= y && top > bestTop) bestTop = top, best = p;
  }
  return best;
}

Box NoteBox(const EditorView& v, const EditorPaneView& pane, int64_t tick, int64_t duration, int pitch) {
  Box b{TickX(v, tick), RowTop(v, pane, pitch), TickX(v, tick + duration), 0};
  b.bottom = b.top + v.noteHeight;
  if (b.right - b.left + 1 < kMinNoteWidth) b.right = b.left + kMinNoteWidth - 1;
  return b;
}

Box EventArea(const EditorView& v, const EditorPaneView& pane) {
  return Box{v.originX, pane.top, pane.right, pane.bottom};
}

EditorPicture::EditorPicture(XServer& x, const EditorView& v) {
  width_ = v.window.right - v.window.left;
  height_ = v.window.bottom - v.window.top;
  pixels_ = x.Grab(v.window.left, v.window.top, v.window.right, v.window.bottom);
  if (pixels_.size() != size_t(width_) * size_t(height_)) pixels_.clear();
}

uint32_t EditorPicture::At(int x, int y) const {
  if (pixels_.empty() || x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFF;
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

namespace {

// Most of the first pane's shown notes show a note colour at their centre.
bool ShowsItsNotes(XServer& x, const EditorView& v) {
  EditorPicture picture(x, v);
  const EditorPaneView& pane = v.panes.front();
  Box area = EventArea(v, pane);
  int inside = 0, coloured = 0;
  for (const ShownNote& n : v.shown) {
    Box b = NoteBox(v, pane, n.tick, n.duration, n.pitch);
    if (!area.Holds(b.left, b.top) || !area.Holds(b.right, b.bottom)) continue;
    ++inside;
    uint32_t c = picture.At((b.left + b.right - 1) / 2, b.top + 1);
    if (std::find(std::begin(v.colours), std::end(v.colours), c) != std::end(v.colours)) ++coloured;
  }
  return inside > 0 && coloured * 10 >= inside * 9;
}

}  // namespace

EditorView WaitForDrawnView(XServer& x, Program& program, const std::string& dumpFile, double seconds) {
  EditorView v;
  for (double waited = 0; waited < seconds && program.Alive(); waited += 0.5) {
    v = ParseEditorView(program.Dump(dumpFile, 2));
    if (v.valid && v.panes.front().track > 0 && !v.shown.empty() && ShowsItsNotes(x, v)) return v;
    usleep(300000);
  }
  v.valid = false;
  return v;
}

LaneGraph ParseLaneGraph(const std::string& dump) {
  LaneGraph g;
  std::vector<std::string> lines = DumpLines(dump, "lanegraph");
  if (lines.empty()) return g;
  std::istringstream in(lines.front());
  std::string hex;
  in >> g.left >> g.top >> g.right >> g.bottom >> g.controller >> g.range >> hex;
  g.colour = uint32_t(std::stoul(hex.empty() ? "0" : hex, nullptr, 16));
  g.valid = !in.fail() && g.bottom > g.top;
  return g;
}

int LaneY(const LaneGraph& g, int value) {
  int base = g.bottom - 4;
  if (value >= g.range) return g.top;
  return base - ((base - g.top) * value + g.range / 2) / g.range;
}

}  // namespace program_test
