#include "editors/panes/pane_headers.h"

#include <algorithm>
#include <cstring>

#include "editors/panes/note_row_lines.h"
#include "editors/panes/pane_colours.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/dialogs/note_names.h"
#include "shell/drawing/bitmap_resources.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "shell/base/app_state.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/track_settings.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int16_t kScrollBarInset = 15;
constexpr int16_t kModeColumn = 166;
constexpr int16_t kModeColumnWidth = 182;
constexpr int16_t kNoteNameWidth = 27;
constexpr int16_t kOutputColumn = 350;
constexpr int16_t kOutputColumnWidth = 192;
constexpr int16_t kChainColumn = 545;
constexpr int16_t kChainColumnWidth = 150;
constexpr int16_t kChainTexts = 214;
constexpr int16_t kLengthColumn = 127;
constexpr int16_t kLengthColumnEnd = 155;
constexpr int16_t kLargeFontSize = 16;
constexpr uint8_t kBoldItalicBit = 0x01;
constexpr int16_t kTempoLaneMode = 8;
constexpr SInt16 kVerticalDragOnly = 2;
constexpr uint8_t kInstrumentMuteBit = 0x40;
constexpr uint8_t kInstrumentSoloBit = 0x80;
constexpr int16_t kPatternBitmap = 332;
constexpr int16_t kSectionsBitmap = 333;
constexpr int16_t kTitleSeparator = 126;
constexpr int16_t kLengthSeparator = 154;
constexpr int32_t kMaxChainNames = 64;
constexpr int32_t kPluginInstanceNameBytes = 32;
constexpr char kButtonLetters[kHeaderButtonCount] = {'R', 'M', 'S', 0};

struct Header {
  Rect strip;
  int16_t line;      // text row height
  int16_t baseline;
  const EditorPane* pane;
  uint8_t* track;       // null for instrument panes
  uint8_t* instrument;  // the Instrument entry of an instrument pane, else null
};

bool IsInstrumentPane(const EditorPane& pane) { return gCurrentPaneSlot > 0 || pane.kind >= kPaneKindPluginBase; }

// An instrument pane's slot s (from 1) shows the entry s - 1 places after the instruments.
uint8_t* PaneInstrument() {
  return gCurrentPaneSlot > 0 ? GetInstrumentRecord(gInstrumentCount + gCurrentPaneSlot - 1) : nullptr;
}

void PascalCopy(Str255 to, const uint8_t* from, int32_t most) {
  to[0] = uint8_t(std::min<int32_t>(from[0], most));
  std::memcpy(to + 1, from + 1, to[0]);
}

int16_t ColumnX(const Header& h, int16_t offset) { return int16_t(h.strip.left + 4 * h.line + offset); }

void DrawTextAt(const Header& h, int16_t x, int16_t right, ConstStr255Param text) {
  Rect clip{h.strip.top, x, h.strip.bottom, std::min(right, h.strip.right)};
  if (clip.right <= clip.left) return;
  ClipRect(&clip);
  MoveTo(x, h.baseline);
  DrawPString(text);
}

void DrawTitle(const Header& h) {
  if (h.instrument) {
    Str255 name;
    PascalCopy(name, h.instrument + kInstName, kInstrumentNameMax);
    Rect title = GetPaneHeaderColumnRect(h.strip, h.line, kHeaderTitleColumn);
    DrawTextAt(h, title.left, title.right, name);
  }
  if (!h.track) return;
  TrackEntryView track(h.track);
  Str255 text, name;
  NumToString(track.Number() + 1, text);
  text[++text[0]] = '.';
  text[++text[0]] = ' ';
  GetTrackNameText(h.track, name);
  std::memcpy(text + text[0] + 1, name + 1, std::min<int>(name[0], 255 - text[0]));
  text[0] = uint8_t(std::min<int>(text[0] + name[0], 255));
  bool muted = track.Flags() & kTrackFlagSilent;
  bool slanted = muted || IsAlternateRegionListActive();  // the header's track is the current one
  Style face = (h.track[kTrackOutputFlags] & kBoldItalicBit) ? Style(bold | italic) : slanted ? Style(italic) : Style(normal);
  TextFace(face);
  RGBColor dimmed{0x8000, 0x8000, 0x8000};
  if (muted) RGBForeColor(&dimmed);
  Rect title = GetPaneHeaderColumnRect(h.strip, h.line, kHeaderTitleColumn);
  DrawTextAt(h, title.left, title.right, text);
  TextFace(normal);
  ForeColor(blackColor);
}

void DrawModeColumn(const Header& h) {
  Rect column = GetPaneHeaderColumnRect(h.strip, h.line, kHeaderModeColumn);
  int16_t x = column.left, right = column.right;
  FontInfo info;
  GetFontInfo(&info);
  if (gCurrentViewMode == 0 && info.ascent + info.descent < kLargeFontSize) {
    Str255 note;
    MakeNoteName(note, std::clamp<int32_t>(GetPaneTopPitch(), 0, 127), 0);
    DrawTextAt(h, x, right, note);
    x = int16_t(x + kNoteNameWidth);
  }
  Str255 title;
  GetIndString(title, kViewModeTitles, int16_t(gCurrentViewMode + 2));
  if (gCurrentViewMode != kTempoLaneMode && title[0]) DrawTextAt(h, x, right, title);
}

void DrawLengthColumn(const Header& h) {
  Str255 text;
  if (h.instrument && gCurrentSong) {
    NumToString(long(uint32_t(ReadU16BE(gCurrentSong + kSongBarsHigh)) << 16 | ReadU16BE(gCurrentSong + kSongBarsLow)), text);
  } else if (h.track && !(h.track[kTrackPlayFlags] & kTrackPlayFlagNoTemplate)) {
    NumToString(TickToBar(int32_t(std::min<uint32_t>(TrackEntryView(h.track).TickLength(), INT32_MAX))), text);
  } else {
    return;
  }
  Rect column = GetPaneHeaderColumnRect(h.strip, h.line, kHeaderLengthColumn);
  DrawTextAt(h, column.left, column.right, text);
}

// A track pane's output: the instrument it plays through the table, else its MIDI destination.
void DrawOutputColumn(const Header& h) {
  if (!h.track) return;
  Str255 name;
  int32_t instrument = GetTrackInstrumentOrNone();
  const uint8_t* record = instrument >= 0 ? GetInstrumentRecord(instrument) : nullptr;
  if (record) PascalCopy(name, record + kInstName, kInstrumentNameMax);
  else PascalCopy(name, h.track + kTrackEndpointName, kTrackEndpointNameSize - 1);
  Rect column = GetPaneHeaderColumnRect(h.strip, h.line, kHeaderOutputColumn);
  DrawTextAt(h, column.left, column.right, name);
}

// The names of the rack's plug-ins joined by ",", until the text is as wide as width; false
// when the rack runs no chain (none, its inserts off, or shared).
bool GetChainNamesText(Handle rack, int16_t width, Str255 text) {
  text[0] = 0;
  if (!IsInsertRack(rack) || (GetRackFlags(rack) & kRackFlagInsertsOff)) return false;
  uint32_t head = GetRackChainHead(rack);
  if (!head) return false;
  for (int32_t n = 0; n < kMaxChainNames && StringWidth(text) < width; ++n) {
    const PluginInstance* plugin = GetChainPlugin(head, n);
    if (!plugin) break;
    uint8_t name[kPluginInstanceNameBytes];
    GetPluginInstanceName(plugin, name);
    if (n > 0 && text[0] < 255) text[++text[0]] = ',';
    int32_t room = std::min<int32_t>(name[0], 255 - text[0]);
    std::memcpy(text + text[0] + 1, name + 1, size_t(room));
    text[0] = uint8_t(text[0] + room);
  }
  return true;
}

// The plug-ins of the pane's rack; a track pane without a chain shows what it has instead.
void DrawChainColumn(const Header& h) {
  Rect column = GetPaneHeaderColumnRect(h.strip, h.line, kHeaderChainColumn);
  int16_t x = column.left, right = column.right;
  if (right <= x) return;
  Handle rack = h.track ? GetTrackInsertRack() : h.instrument ? InstrumentView(h.instrument).InsertRack() : Handle();
  Str255 text{};
  if (!GetChainNamesText(rack, int16_t(right - x), text) && h.track) {
    uint8_t kind = TrackEntryView(h.track).OutputKind();
    if (kind == kAudioTrackOutputKind && IsTrackAudioReady()) GetIndString(text, kChainTexts, 8);
    else if (kind != kInstrumentTrackOutputKind) GetIndString(text, kChainTexts, 7);
  }
  if (text[0]) DrawTextAt(h, x, right, text);
}

// With the classic look (the highlight-colour bit of application word 0), a track pane's
// separators after the title and after the length, and a black line along the strip's bottom.
void DrawClassicSeparators(const Header& h) {
  if (!h.track || !(gAppState[0] & kAppWord0HighlightColour)) return;
  ClipRect(&h.strip);
  ForeColor(blackColor);
  for (int16_t x : {int16_t(h.strip.left + kTitleSeparator), ColumnX(h, kLengthSeparator)}) {
    MoveTo(x, h.strip.top);
    LineTo(x, int16_t(h.strip.bottom - 1));
  }
  MoveTo(h.strip.left, int16_t(h.strip.bottom - 1));
  LineTo(int16_t(h.strip.right - 1), int16_t(h.strip.bottom - 1));
}

bool IsButtonOn(const Header& h, int32_t i) {
  if (h.instrument) return (i == 1 && (h.instrument[kInstFlags] & kInstrumentMuteBit)) ||
                           (i == 2 && (h.instrument[kInstFlags] & kInstrumentSoloBit));
  if (!h.track) return false;
  uint8_t flags = TrackEntryView(h.track).Flags();
  switch (i) {
    case 0: return h.track[kTrackModeFlags] & kTrackModeArmed;
    // The mute the user sets, not the audible bit derived from it (stale until the next play).
    case 1: return flags & kTrackFlagMute;
    case 2: return flags & kTrackFlagSolo;
    default: return false;
  }
}

void DrawButtons(const Header& h) {
  ClipRect(&h.strip);
  for (int32_t i = 0; i < kHeaderButtonCount; ++i) {
    Rect b = GetPaneHeaderButtonRect(h.strip, h.line, int16_t(i));
    EraseRect(&b);
    FrameRect(&b);
    if (!kButtonLetters[i]) {
      if (h.track && (TrackEntryView(h.track).Flags() & kTrackFlag40))
        DrawBitmapResource(nullptr, b.left, b.top, 0, TrackEntryView(h.track).SectionList() ? kSectionsBitmap : kPatternBitmap);
      continue;
    }
    if (IsButtonOn(h, i)) {
      PaintRect(&b);
      TextMode(srcBic);
    }
    MoveTo(int16_t(b.left + (h.line - CharWidth(kButtonLetters[i])) / 2), int16_t(b.bottom - 2));
    DrawChar(kButtonLetters[i]);
    TextMode(srcOr);
  }
}

void DrawCloseBoxAndGrip(const Header& h) {
  if (gEditorPaneCount <= 1) return;
  Rect box = GetPaneHeaderCloseBox(h.strip, h.line);
  int16_t size = int16_t(box.right - box.left);
  ClipRect(&h.strip);
  EraseRect(&box);
  FrameRect(&box);
  // The collapse box: a bar across its middle.
  Rect collapse = GetPaneHeaderCollapseBox(h.strip, h.line);
  EraseRect(&collapse);
  FrameRect(&collapse);
  MoveTo(int16_t(collapse.left + 2), int16_t((collapse.top + collapse.bottom) / 2));
  LineTo(int16_t(collapse.right - 3), int16_t((collapse.top + collapse.bottom) / 2));
  if (gCurrentPaneIndex == 0) return;
  int16_t right = int16_t(gCurrentTrack && TrackEntryView(gCurrentTrack).Number() > 8 ? size + 9 : size + 13);
  int16_t lowest = int16_t(h.pane->top - ((h.line + 4) / 2 - 1));
  for (int16_t k = 0; k < 3; ++k) {
    MoveTo(int16_t(h.strip.left + size + 4), int16_t(lowest - 2 * k));
    LineTo(int16_t(h.strip.left + right), int16_t(lowest - 2 * k));
  }
}

void DrawStrip(const Header& h, bool selected) {
  int16_t colour = selected ? kSelectedHeaderColour : kHeaderColour;
  ClipRect(&h.strip);
  RGBColor fill = PaneColour(colour, RGBColor{0xEEEE, 0xEEEE, 0xEEEE});
  RGBBackColor(&fill);
  EraseRect(&h.strip);
  BackColor(whiteColor);
  SetPaneForeColour(colour);
  FrameRect(&h.strip);
  SetPaneForeColour(int16_t(colour + 2));
  MoveTo(h.strip.left, h.strip.top);
  LineTo(int16_t(h.strip.right - 1), h.strip.top);
  SetPaneForeColour(selected ? kSelectedHeaderTextColour : kHeaderTextColour);
  if (!IsColourScreen()) ForeColor(blackColor);
}

}  // namespace

bool GetPaneHeaderRect(Rect* strip) { return GetPaneHeaderRectOf(gCurrentPaneIndex, strip); }

bool GetPaneHeaderRectOf(int16_t index, Rect* strip) {
  Rect bounds{};
  if (gMainEditorRecord.window) GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  int16_t line = gStandardLineHeight;
  int16_t divider = int16_t(gEditorPanes[std::clamp<int16_t>(index, 0, kMaxEditorPanes - 1)].top);
  *strip = Rect{int16_t(divider - line - 5), bounds.left, divider, int16_t(bounds.right - kScrollBarInset)};
  return gMainEditorRecord.window && strip->top < bounds.bottom - kHeaderBottomMargin;
}

Rect GetPaneHeaderColumnRect(const Rect& strip, int16_t line, int16_t column) {
  auto at = [&](int16_t offset) { return int16_t(strip.left + 4 * line + offset); };
  switch (column) {
    case kHeaderTitleColumn:
      return Rect{strip.top, int16_t(strip.left + kHeaderTitleLeft), strip.bottom, int16_t(strip.left + kHeaderTitleRight)};
    case kHeaderModeColumn: return Rect{strip.top, at(kModeColumn), strip.bottom, int16_t(at(kModeColumn) + kModeColumnWidth)};
    case kHeaderOutputColumn:
      return Rect{strip.top, at(kOutputColumn), strip.bottom, int16_t(at(kOutputColumn) + kOutputColumnWidth)};
    case kHeaderLengthColumn: return Rect{strip.top, at(kLengthColumn), strip.bottom, at(kLengthColumnEnd)};
    case kHeaderChainColumn: {
      int16_t right = int16_t(std::min<int32_t>(at(kChainColumn) + kChainColumnWidth, GetMainWindowRight() - 16));
      return Rect{strip.top, at(kChainColumn), strip.bottom, right};
    }
    default: return Rect{};
  }
}

Rect GetPaneHeaderButtonRect(const Rect& strip, int16_t line, int16_t button) {
  int16_t left = int16_t(strip.left + kHeaderButtonsLeft + button * line);
  return Rect{int16_t(strip.top + 2), left, int16_t(strip.top + 2 + line), int16_t(left + line)};
}

Rect GetPaneHeaderCloseBox(const Rect& strip, int16_t line) {
  if (gEditorPaneCount <= 1) return Rect{};
  int16_t size = int16_t(std::min<int16_t>(int16_t(line - 2), 9));
  return Rect{int16_t(strip.top + 2), int16_t(strip.right - size - 4), int16_t(strip.top + 2 + size), int16_t(strip.right - 4)};
}

Rect GetPaneHeaderCollapseBox(const Rect& strip, int16_t line) {
  Rect box = GetPaneHeaderCloseBox(strip, line);
  if (box.right <= box.left) return box;
  int16_t step = int16_t(box.right - box.left + 4);
  return Rect{box.top, int16_t(box.left - step), box.bottom, int16_t(box.right - step)};
}

Rect GetPaneHeaderModeField() {
  Rect strip{};
  if (gEditorPaneCount <= 0 || !GetPaneHeaderRect(&strip)) return Rect{};
  Header h{};
  h.strip = strip;
  h.line = gStandardLineHeight;
  int16_t left = ColumnX(h, kModeColumn);
  return Rect{strip.top, left, strip.bottom, int16_t(std::min<int32_t>(left + kModeColumnWidth, strip.right))};
}

void DrawPaneHeader(bool isCurrent) {
  (void)isCurrent;
  Header h{};
  if (gEditorPaneCount <= 0 || !GetPaneHeaderRect(&h.strip)) return;
  h.pane = &gEditorPanes[gCurrentPaneIndex];
  h.line = gStandardLineHeight;
  h.baseline = int16_t(h.strip.bottom - 4);
  h.track = IsInstrumentPane(*h.pane) || !gCurrentSong ? nullptr : gCurrentTrack;
  h.instrument = PaneInstrument();
  bool selected = (h.track && IsTrackEntrySelected(h.track)) || (gPaneVisitMask & (1u << gCurrentPaneIndex));
  RestoreDefaultTextFont();
  DrawStrip(h, selected);
  DrawClassicSeparators(h);
  SetPaneForeColour(selected ? kSelectedHeaderTextColour : kHeaderTextColour);
  if (!IsColourScreen()) ForeColor(blackColor);
  if (gCurrentViewMode != kTempoLaneMode) DrawTitle(h);
  DrawModeColumn(h);
  if (gCurrentViewMode != kTempoLaneMode) {
    DrawOutputColumn(h);
    DrawLengthColumn(h);
    DrawButtons(h);
    DrawChainColumn(h);
  }
  DrawCloseBoxAndGrip(h);
  ForeColor(blackColor);
  ClipToPortBounds();
}

bool DragPaneDivider(int16_t index, Point start) {
  if (index <= 0 || index >= gEditorPaneCount || !gMainEditorRecord.window) return false;
  int16_t saved = gCurrentPaneIndex;
  SelectEditorPaneIndex(index);
  Rect strip;
  GetPaneHeaderRect(&strip);
  SelectEditorPaneIndex(saved);
  Rect bounds;
  GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  Rect limit{int16_t(gEditorPanes[index - 1].top), bounds.left, bounds.bottom, bounds.right};
  RgnHandle outline = NewRgn();
  RectRgn(outline, &strip);
  SInt32 offset = DragGrayRgn(outline, start, &limit, &bounds, kVerticalDragOnly, nullptr);
  DisposeRgn(outline);
  int16_t dv = int16_t(uint32_t(offset) >> 16);
  if (dv == 0 || uint16_t(dv) == 0x8000) return false;
  gEditorPanes[index].top = uint16_t(std::max<int32_t>(gEditorPanes[index].top + dv, gEditorPanes[index - 1].top));
  LayoutEditorPanes();
  UpdateAllPaneScrollers();
  return true;
}
