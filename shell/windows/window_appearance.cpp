#include "shell/windows/window_appearance.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/icons.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/style_icons.h"
#include "shell/drawing/transport_images.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"

uint8_t gStyleBlock[kStyleBlockSize] = {};
int16_t gStyleId = 0;
int16_t gCurrentStyleId = 0;
Handle gStyleResource = nullptr;
CTabHandle gStyleColourTable = nullptr;
int16_t gStyleClutId = 0;
RGBColor gStyleMainColour{};
RGBColor gStyleExtraColours[2] = {};
PixPatHandle gStylePatterns[kStylePatternCount] = {};
bool gStyleHasContentColour[2] = {};
RGBColor gStyleContentColour[2] = {};

namespace {

constexpr ResType kWindowColourTableType = FourCC("wctb");
constexpr int16_t kMainColourEntry = 11;
constexpr int16_t kExtraColourEntries[2] = {30, 31};
// The first entry's colour lies at byte 10 of a 'wctb' (8-byte header, 2-byte part code).
constexpr int32_t kWctbFirstColour = 10;
constexpr int16_t kPanelKinds[] = {kInfoPanelWindowKind, kMixerKind};
constexpr int16_t kContentKinds[] = {kTrackWindowKind,  kInstrumentWindowKindId, kMainEditorWindowKind,
                                     kEventListKind,    kConductorListKind,      kMarkerListKind,
                                     kRemoteControlKind};

void ApplyContentTable(int16_t which, int16_t id) {
  gStyleHasContentColour[which] = false;
  Handle table = id ? GetResource(kWindowColourTableType, id) : nullptr;
  if (!table || GetHandleSize(table) < kWctbFirstColour + 6) return;
  const char* p = *table + kWctbFirstColour;
  gStyleContentColour[which] = RGBColor{ReadU16BE(p), ReadU16BE(p + 2), ReadU16BE(p + 4)};
  gStyleHasContentColour[which] = true;
  SetWindowsContentColour(which);
}

void LoadStylePatterns() {
  for (int32_t i = 0; i < kStylePatternCount; ++i) {
    int16_t id = GetStyleWord(kStylePatterns + 2 * i);
    gStylePatterns[i] = id ? GetPixPat(id) : nullptr;
  }
}

// The main window's standard state takes the style's size, at its present place.
void SizeMainWindowStandardState() {
  int16_t width = GetStyleWord(kStyleStandardSize), height = GetStyleWord(kStyleStandardSize + 2);
  WindowRef window = GetAppWindowRef(GetWindowForKind(kMainEditorWindowKind));
  if (!window || width <= 0 || height <= 0) return;
  Rect state;
  GetWindowStandardState(window, &state);
  state.right = int16_t(state.left + width);
  state.bottom = int16_t(state.top + height);
  SetWindowStandardState(window, &state);
}

void RunStyleLayoutSteps() {
  LayoutEditorPanes();
  SizeMainWindowStandardState();
  gPendingWindowRefresh |= (1u << kTrackWindowKind) | (1u << kMainEditorWindowKind);
}

void CopyStyleBlock(Handle style) {
  std::memset(gStyleBlock, 0, sizeof gStyleBlock);
  Size size = std::min<Size>(GetHandleSize(style), kStyleBlockSize);
  if (size > 0) std::memcpy(gStyleBlock, *style, size_t(size));
}

void ReleaseStyleResource() {
  if (!gStyleResource) return;
  HUnlock(gStyleResource);
  ReleaseResource(gStyleResource);
  gStyleResource = nullptr;
}

}  // namespace

int16_t GetStyleWord(int32_t offset) { return ReadI16BE(gStyleBlock + offset); }
void SetStyleWord(int32_t offset, int16_t value) { WriteI16BE(gStyleBlock + offset, value); }
uint16_t GetStyleOptions() { return ReadU16BE(gStyleBlock + kStyleOptions); }

void GetStyleRect(int32_t offset, Rect* rect) {
  const uint8_t* p = gStyleBlock + offset;
  *rect = Rect{ReadI16BE(p), ReadI16BE(p + 2), ReadI16BE(p + 4), ReadI16BE(p + 6)};
}

void SetStyleRect(int32_t offset, const Rect* rect) {
  uint8_t* p = gStyleBlock + offset;
  WriteI16BE(p, rect->top);
  WriteI16BE(p + 2, rect->left);
  WriteI16BE(p + 4, rect->bottom);
  WriteI16BE(p + 6, rect->right);
}

void GetStyleRGB(int32_t offset, RGBColor* rgb) {
  const uint8_t* p = gStyleBlock + offset;
  *rgb = RGBColor{ReadU16BE(p), ReadU16BE(p + 2), ReadU16BE(p + 4)};
}

int16_t ValidStyleId(int16_t id) { return (id < kFirstStyleId || id == kRetiredStyleId) ? kDefaultStyleId : id; }

void SetUpWindowAppearance(bool atStartUp) {
  gCurrentStyleId = ValidStyleId(gCurrentStyleId);
  if (IsColorDrawingOn()) ApplyAppearanceStyle(gCurrentStyleId, atStartUp);
  RunStyleLayoutSteps();
}

OSErr ApplyAppearanceStyle(int16_t id, bool /*atStartUp*/) {
  Handle style = GetResource(kStyleResType, id);
  if (!style) return resNotFound;
  if (style == gStyleResource && id == gStyleId) {
    RunStyleLayoutSteps();
    return noErr;
  }
  HNoPurge(style);
  HLock(style);
  ReleaseStyleResource();
  DisposeStylePatterns();
  CopyStyleBlock(style);
  gStyleResource = style;
  gStyleId = id;
  LoadStyleColourTable(GetStyleWord(kStyleClut), true);
  LoadStylePatterns();
  ApplyContentTable(0, GetStyleWord(kStylePanelWctb));
  ApplyContentTable(1, GetStyleWord(kStyleWindowWctb));
  BuildIconImage();
  LoadStyleIcons();
  RunStyleLayoutSteps();
  return noErr;
}

OSErr LoadStyleColourTable(int16_t clutId, bool all) {
  if (gStyleColourTable && clutId != gStyleClutId) {
    DisposeCTable(gStyleColourTable);
    gStyleColourTable = nullptr;
  }
  if (!gStyleColourTable) gStyleColourTable = clutId ? GetCTable(clutId) : nullptr;
  gStyleClutId = gStyleColourTable ? clutId : 0;
  if (!GetStyleColour(kMainColourEntry, &gStyleMainColour)) return resNotFound;
  if (all)
    for (int32_t i = 0; i < 2; ++i) GetStyleColour(kExtraColourEntries[i], &gStyleExtraColours[i]);
  return noErr;
}

void DisposeStylePatterns() {
  for (PixPatHandle& pattern : gStylePatterns) {
    if (pattern) DisposePixPat(pattern);
    pattern = nullptr;
  }
}

void SetWindowsContentColour(int16_t which) {
  if (which < 0 || which > 1 || !gStyleHasContentColour[which]) return;
  const int16_t* kinds = which == 0 ? kPanelKinds : kContentKinds;
  size_t count = which == 0 ? std::size(kPanelKinds) : std::size(kContentKinds);
  for (size_t i = 0; i < count; ++i)
    if (WindowRef window = GetAppWindowRef(GetWindowForKind(kinds[i])))
      SetWindowContentColor(window, &gStyleContentColour[which]);
}

bool GetStyleColour(int16_t n, RGBColor* rgb) {
  return gStyleColourTable && GetCTableEntry(gStyleColourTable, n, rgb);
}

void SetForeColorIndex(int16_t n) {
  RGBColor rgb;
  if (IsColourScreen() && GetStyleColour(n, &rgb)) RGBForeColor(&rgb);
}

void SetPanelBackColor(int16_t n) {
  RGBColor rgb;
  if (IsColourScreen() && GetStyleColour(n, &rgb)) RGBBackColor(&rgb);
}

void ReleaseAppearanceStyle() {
  DisposeStyleIcons();
  DisposeTransportImages();
  DisposeStylePatterns();
  if (gStyleColourTable) DisposeCTable(gStyleColourTable);
  gStyleColourTable = nullptr;
  gStyleClutId = 0;
  ReleaseStyleResource();
  gStyleId = 0;
  std::memset(gStyleBlock, 0, sizeof gStyleBlock);
  gStyleHasContentColour[0] = gStyleHasContentColour[1] = false;
}
