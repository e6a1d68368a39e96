#include "song/prefs/window_layout.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/app_state.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/file_access.h"
#include "shell/base/resource_files.h"
#include "song/documents/checked_blocks.h"
#include "song/documents/document_input.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"
#include "song/prefs/startup_settings.h"

WindowLayoutState gWindowLayout;
uint8_t gWindowColourBlock[96] = {};

namespace {

constexpr int16_t kMenuBarHeight = 22;
// 'BMID' 193 offsets.
constexpr int32_t kResVersion = 0;
constexpr int32_t kResCount = 4;
constexpr int32_t kResScroll = 6;
constexpr int32_t kResOpenBits = 8;
constexpr int32_t kResInstrumentSettings = 16;
constexpr int32_t kResRects = 80;
constexpr int32_t kResViewValues = 592;

int16_t Height(const Rect& r) { return int16_t(r.bottom - r.top); }
int16_t Width(const Rect& r) { return int16_t(r.right - r.left); }

Rect ReadRect(const uint8_t* p) {
  return Rect{ReadI16BE(p), ReadI16BE(p + 2), ReadI16BE(p + 4), ReadI16BE(p + 6)};
}

void WriteRect(uint8_t* p, const Rect& r) {
  WriteI16BE(p, r.top);
  WriteI16BE(p + 2, r.left);
  WriteI16BE(p + 4, r.bottom);
  WriteI16BE(p + 6, r.right);
}

// Keeps a rectangle of the given size on the screen, below the menu bar.
void KeepOnScreen(Rect* r) {
  const Rect& screen = gWindowLayout.screen;
  int16_t dx = 0;
  int16_t dy = 0;
  if (r->right > screen.right) dx = int16_t(screen.right - r->right);
  if (r->left + dx < screen.left) dx = int16_t(screen.left - r->left);
  if (r->bottom > screen.bottom) dy = int16_t(screen.bottom - r->bottom);
  if (r->top + dy < screen.top + kMenuBarHeight) dy = int16_t(screen.top + kMenuBarHeight - r->top);
  r->left = int16_t(r->left + dx);
  r->right = int16_t(r->right + dx);
  r->top = int16_t(r->top + dy);
  r->bottom = int16_t(r->bottom + dy);
}

bool IsLayoutKind(int16_t kind) { return kind >= 1 && kind <= kLayoutWindowKinds; }

void CopyViewValuesIntoCurrentSong() {
  if (!gCurrentSong) return;
  for (int32_t i = 0; i < kViewValueCount; ++i)
    WriteU16BE(gCurrentSong + kSongColumns + 2 * i, gWindowLayout.viewValues[i]);
}

// The bits of the open windows, with the info panel's bit kept while the program wants it.
uint32_t CollectOpenBits() {
  uint32_t bits = 0;
  for (int16_t kind = 1; kind <= kLayoutWindowKinds; ++kind)
    if (IsWindowKindOpen(kind)) bits |= 1u << (kind - 1);
  if ((gAppState[0] & kAppWord0InfoPanelWanted) && (gAppState[0] & kAppWord0FloatingWindows))
    bits |= 1u << (kInfoPanelKind - 1);
  return bits;
}

// Places or closes the first count kinds from rectangles at rects (8 bytes a kind).
void PlaceKinds(const uint8_t* rects, int32_t count, uint32_t bits, bool display) {
  for (int16_t kind = 1; kind <= count; ++kind) {
    bool open = ((bits >> (kind - 1)) & 1) && !(display && IsWindowKindHiddenByDisplay(kind));
    if (open) PlaceWindowFromRect(kind, ReadRect(rects + 8 * (kind - 1)));
    SetWindowKindOpen(kind, open);
  }
}

}  // namespace

bool IsWindowKindOpen(int16_t kind) {
  return IsLayoutKind(kind) && ((gWindowLayout.openBits >> (kind - 1)) & 1);
}

bool IsWindowKindHiddenByDisplay(int16_t kind) {
  if (kind == kInfoPanelKind) return gWindowLayout.displayOptions & 0x200;
  if (kind == kInstrumentWindowKind) return gWindowLayout.displayOptions & 0x400;
  return false;
}

void SetWindowKindOpen(int16_t kind, bool open) {
  if (!IsLayoutKind(kind)) return;
  uint32_t bit = 1u << (kind - 1);
  gWindowLayout.openBits = open ? (gWindowLayout.openBits | bit) : (gWindowLayout.openBits & ~bit);
}

void GetWindowMinimumSize(int16_t kind, int16_t* minHeight, int16_t* minWidth) {
  struct Limit {
    int16_t kind, height, width;
  };
  static const Limit kLimits[] = {{2, 80, 170}, {5, 77, 79},  {7, 77, 95},   {8, 77, 95},
                                  {9, 77, 95},  {11, 77, 95}, {13, 100, 100}, {21, 230, 380},
                                  {22, 170, 188}};
  *minHeight = 63;
  *minWidth = 63;
  for (const Limit& limit : kLimits) {
    if (limit.kind != kind) continue;
    *minHeight = limit.height;
    *minWidth = limit.width;
  }
}

Rect ComputeWindowPlacement(int16_t kind, const Rect& stored, const Rect& current) {
  int32_t height = Height(stored);
  int32_t width = Width(stored);
  if (kind == kMainWindowKind || kind == kTransportWindowKind) {
    height = Height(current);
    if (kind != kTransportWindowKind || gWindowLayout.preferenceBit2) width = Width(current);
  }
  if (kind == kInfoPanelKind) height = gWindowLayout.infoPanelFixedHeight + 63;
  int16_t minHeight = 0;
  int16_t minWidth = 0;
  GetWindowMinimumSize(kind, &minHeight, &minWidth);
  height = std::clamp<int32_t>(height, minHeight, INT16_MAX / 2);
  width = std::clamp<int32_t>(width, minWidth, INT16_MAX / 2);
  Rect r;
  r.top = stored.top;
  r.left = stored.left;
  if (kind == kMainEditorKind && r.left < gWindowLayout.screen.left + 1)
    r.left = int16_t(gWindowLayout.screen.left + 1);
  r.top = int16_t(std::clamp<int32_t>(r.top, INT16_MIN / 2, INT16_MAX / 2));
  r.left = int16_t(std::clamp<int32_t>(r.left, INT16_MIN / 2, INT16_MAX / 2));
  r.bottom = int16_t(r.top + height);
  r.right = int16_t(r.left + width);
  KeepOnScreen(&r);
  return r;
}

WindowPlacement PlaceWindowFromRect(int16_t kind, const Rect& stored) {
  if (!IsLayoutKind(kind)) return kPlaceUnchanged;
  Rect& current = gWindowLayout.frame[kind];
  if (stored == current) return kPlaceUnchanged;
  Rect placed = ComputeWindowPlacement(kind, stored, current);
  if (placed == current) return kPlaceUnchanged;
  bool grows = Height(placed) > Height(current) || Width(placed) > Width(current);
  current = placed;
  ++gRedrawRequests[kind];  // the grow icon and the scroll bars are drawn anew
  return grows ? kPlaceSizedThenMoved : kPlaceMovedThenSized;
}

// --- 'BMID' 193 --------------------------------------------------------------------------

Handle BuildWindowLayoutResource() {
  Handle h = NewHandleClear(kWindowLayoutResSize);
  if (!h) return h;
  uint8_t* p = reinterpret_cast<uint8_t*>(*h);
  WriteU16BE(p + kResVersion, kWindowLayoutResVersion);
  WriteI16BE(p + kResScroll, gWindowLayout.instrumentScroll);
  for (int16_t kind = 1; kind <= kLayoutWindowKinds; ++kind)
    WriteRect(p + kResRects + 8 * (kind - 1), gWindowLayout.frame[kind]);
  for (int32_t i = 0; i < kViewValueCount; ++i)
    WriteU16BE(p + kResViewValues + 2 * i, gWindowLayout.viewValues[i]);
  std::memcpy(p + kResInstrumentSettings, gWindowLayout.instrumentSettings, kInstrumentWindowSavedSize);
  WriteU16BE(p + kResCount, kLayoutWindowKinds);
  WriteU32BE(p + kResOpenBits, CollectOpenBits());
  return h;
}

OSErr SaveWindowLayout() {
  Handle h = BuildWindowLayoutResource();
  if (!h) return memFullErr;
  static const unsigned char kName[] = "\007Windows";
  OSErr err = WriteBMIDResource(&h, kWindowLayoutResId, kName, true);
  DisposeHandle(h);
  return err;
}

OSErr ApplyWindowLayoutResource(Handle image) {
  if (!image || GetHandleSize(image) < kWindowLayoutResSize) return paramErr;
  HLock(image);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*image);
  int32_t count = std::min<int32_t>(ReadU16BE(p + kResCount), kLayoutWindowKinds);
  PlaceKinds(p + kResRects, count, ReadU32BE(p + kResOpenBits), false);
  gWindowLayout.instrumentScroll = ReadI16BE(p + kResScroll);
  std::memcpy(gWindowLayout.instrumentSettings, p + kResInstrumentSettings, kInstrumentWindowSettingsSize);
  for (int32_t i = 0; i < kViewValueCount; ++i)
    gWindowLayout.viewValues[i] = ReadU16BE(p + kResViewValues + 2 * i);
  HUnlock(image);
  CopyViewValuesIntoCurrentSong();
  return noErr;
}

void RestoreWindowLayout(int32_t /*flags*/, int32_t /*arg*/) {
  if (UsePrefsResFile() != noErr || gPrefsResFile == -1) return;
  Handle image = GetDetachedBMIDResource(kWindowLayoutResId);
  if (image) {
    ApplyWindowLayoutResource(image);
    DisposeHandle(image);
  }
  UseAppResFile();
}

// --- the layout block --------------------------------------------------------------------

Rect GetLayoutRect(const uint8_t* block, int16_t kind) {
  return IsLayoutKind(kind) ? ReadRect(block + 8 * (kind - 1)) : Rect{};
}

void SetLayoutRect(uint8_t* block, int16_t kind, const Rect& r) {
  if (IsLayoutKind(kind)) WriteRect(block + 8 * (kind - 1), r);
}

Handle BuildLayoutBlock() {
  Handle h = NewHandleClear(kLayoutBlockSize);
  if (!h) return h;
  uint8_t* p = reinterpret_cast<uint8_t*>(*h);
  for (int16_t kind = 1; kind <= kLayoutWindowKinds; ++kind) SetLayoutRect(p, kind, gWindowLayout.frame[kind]);
  std::memcpy(p + kLayoutInstrumentSettings, gWindowLayout.instrumentSettings, kInstrumentWindowSavedSize);
  WriteU32BE(p + kLayoutOpenState, CollectOpenBits());
  WriteU32BE(p + kLayoutOpenState + 4, gWindowLayout.windowOrder);
  std::memcpy(p + kLayoutDisplayBlock, gWindowLayout.displayBlock, sizeof gWindowLayout.displayBlock);
  WriteU16BE(p + kLayoutViewValue, gWindowLayout.currentView);
  const SongListSettings& list = gWindowLayout.songList;
  uint8_t* s = p + kLayoutSongListSettings;
  s[0] = list.playMode, s[1] = list.pause, s[2] = list.flags, s[3] = list.timeMode;
  return h;
}

void TakeSongListSettingsFromLayout(Handle block) {
  if (!block || GetHandleSize(block) < kLayoutBlockSize) return;
  const uint8_t* s = reinterpret_cast<const uint8_t*>(*block) + kLayoutSongListSettings;
  SongListSettings& list = gWindowLayout.songList;
  list.playMode = s[0] <= kSongListChainLoop ? s[0] : kSongListSingle;
  list.pause = std::min(s[1], kSongListMaxPause);
  list.flags = s[2] & kSongListShowTotal;
  list.timeMode = s[3] < kSongListTimeModes ? s[3] : kSongListNoTime;
}

void ApplyLayoutBlock(Handle block) {
  if (!block || GetHandleSize(block) < kLayoutBlockSize) return;
  HLock(block);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*block);
  PlaceKinds(p, kLayoutWindowKinds, ReadU32BE(p + kLayoutOpenState), true);
  if (std::memcmp(gWindowLayout.instrumentSettings, p + kLayoutInstrumentSettings, kInstrumentWindowSavedSize) != 0)
    std::memcpy(gWindowLayout.instrumentSettings, p + kLayoutInstrumentSettings, kInstrumentWindowSavedSize);
  gWindowLayout.windowOrder = ReadU32BE(p + kLayoutOpenState + 4);
  std::memcpy(gWindowLayout.displayBlock, p + kLayoutDisplayBlock, sizeof gWindowLayout.displayBlock);
  gWindowLayout.currentView = ReadU16BE(p + kLayoutViewValue);
  HUnlock(block);
}

OSErr WriteLayoutSection(Handle block, Handle paneTable) {
  if (!block || GetHandleSize(block) < kLayoutBlockSize) return paramErr;
  uint8_t* p = reinterpret_cast<uint8_t*>(*block);
  WriteU32BE(p + kLayoutPaneTable, paneTable ? paneTable.id : 0);
  WriteU32BE(p + kLayoutPaneTableAlternate, 0);
  OSErr err = WriteHandleWithSize(block);
  WriteU32BE(reinterpret_cast<uint8_t*>(*block) + kLayoutPaneTable, 0);  // no handle id stays behind
  if (err == noErr && paneTable) err = WriteHandleWithSize(paneTable);
  return err;
}

namespace {

// Brings a block read from a file to the 608-byte form; returns its pane presence word.
OSErr NormaliseLayoutBlock(Handle* block, uint32_t* presence) {
  Size size = GetHandleSize(*block);
  *presence = 0;
  if (size == kLayoutBlockSize) {
    uint8_t* p = reinterpret_cast<uint8_t*>(**block);
    *presence = ReadU32BE(p + kLayoutPaneTable);
    if (*presence == 0) *presence = ReadU32BE(p + kLayoutPaneTableAlternate);
  } else if (size == kLayoutBlock600) {
    *presence = ReadU32BE(**block + kLayoutPanePresence600);
    SetHandleSize(*block, kLayoutBlockSize);
    if (MemError() != noErr) return MemError();
    uint8_t* p = reinterpret_cast<uint8_t*>(**block);
    std::memset(p + kLayoutBlock600, 0, kLayoutBlockSize - kLayoutBlock600);
    WriteU32BE(p + kLayoutPanePresence600, 0);
  } else if (size == kLayoutBlockOldest) {
    Handle rebuilt = NewHandleClear(kLayoutBlockSize);
    if (!rebuilt) return MemError() ? MemError() : OSErr(memFullErr);
    const uint8_t* old = reinterpret_cast<const uint8_t*>(**block);
    uint8_t* p = reinterpret_cast<uint8_t*>(*rebuilt);
    std::memcpy(p, old, 128);
    std::memcpy(p + kLayoutInstrumentSettings, old + 128, 16);
    std::memcpy(p + kLayoutDisplayBlock, old + 144, 16);
    DisposeHandle(*block);
    *block = rebuilt;
  } else {
    return kBadLayoutErr;
  }
  uint8_t* p = reinterpret_cast<uint8_t*>(**block);
  WriteU32BE(p + kLayoutPaneTable, 0);
  WriteU32BE(p + kLayoutPaneTableAlternate, 0);
  return noErr;
}

}  // namespace

OSErr ReadLayoutSection(Handle* block, Handle* paneTable) {
  *block = Handle();
  *paneTable = Handle();
  Handle b;
  OSErr err = ReadBoundedBlock(&b, kLayoutBlockSize);
  uint32_t presence = 0;
  if (err == noErr) err = NormaliseLayoutBlock(&b, &presence);
  Handle panes;
  if (err == noErr) err = ReadBoundedPresentBlock(presence, &panes, kPaneTableSize);
  if (err == noErr && panes && GetHandleSize(panes) != kPaneTableSize) err = kBadLayoutErr;
  if (err != noErr) FailDocumentInput(err);
  if (err != noErr) {
    DisposeBlock(&b);
    DisposeBlock(&panes);
    return err;
  }
  *block = b;
  *paneTable = panes;
  return noErr;
}
