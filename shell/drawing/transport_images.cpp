#include "shell/drawing/transport_images.h"

#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/gworlds.h"
#include "platform/quickdraw/icons.h"
#include "platform/quickdraw/regions.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/error_report.h"
#include "shell/drawing/bitmap_resources.h"
#include "shell/drawing/offscreen_images.h"
#include "shell/drawing/panel_drawing.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/window_appearance.h"
#include "shell/windows/window_sizing.h"

int16_t gStyleIconOffset = 7;
int16_t gStyleIconHeight = 94;
Rect gStyleIconRect{};
Point gStylePictureSize[2] = {{131, 38}, {33, 37}};
GWorldPtr gPanelWorld = nullptr;
Rect gPanelWorldBounds{};
RgnHandle gPanelShapeRgn = nullptr;
RgnHandle gPanelShadowRgn = nullptr;

namespace {

constexpr int16_t kDefaultIconOffset = 7;
constexpr int16_t kDefaultIconHeight = 94;
constexpr int16_t kDefaultStripWidth = 35;
constexpr int16_t kDefaultStripHeight = 259;
constexpr Point kDefaultPictureSize[2] = {{131, 38}, {33, 37}};
constexpr int16_t kDefaultButtonWidth = 30;
constexpr int16_t kPanelButtonHeight = 17;
constexpr int16_t kElementStep = 16;
constexpr int32_t kElementCount = 6;
constexpr int16_t kDefaultButtonLeft = 4, kDefaultButtonTop = 86;
constexpr int16_t kDefaultButtonIconSide = 32;
constexpr int16_t kLampSide = 19;
constexpr int16_t kIconDrop = 23;
constexpr int16_t kShadowOffset = 2;
// Colour-table entries of the strip frame, the bevelled boxes and the panel bitmaps.
constexpr int16_t kStripFrameColour = 21, kBoxColour = 19;
constexpr int16_t kPanelBackColour = 64, kPanelFrontColour = 52;
constexpr RGBColor kBlack{0, 0, 0};

GWorldPtr gComposedStrip = nullptr;

int16_t Width(const Rect& r) { return int16_t(r.right - r.left); }
int16_t Height(const Rect& r) { return int16_t(r.bottom - r.top); }

// The current graphics world, restored when the object ends.
struct SavedWorld {
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  SavedWorld() { GetGWorld(&port, &device); }
  ~SavedWorld() { SetGWorld(port, device); }
};

void DisposePanelWorld() {
  if (gPanelWorld) DisposeGWorld(gPanelWorld);
  gPanelWorld = nullptr;
  gPanelWorldBounds = Rect{};
}

// The picture's frame size (h width, v height); false for no picture or an empty frame.
bool PictureSize(int16_t id, Point* size) {
  if (!id) return false;
  Rect frame{};
  PicHandle picture = LoadPictureWithFrame(id, &frame);
  if (!picture) return false;
  ReleaseResource(picture);
  if (Width(frame) <= 0 || Height(frame) <= 0) return false;
  *size = Point{Height(frame), Width(frame)};
  return true;
}

bool IconSize(int16_t id, Point* size) {
  CIconHandle icon = id ? GetCIcon(id) : nullptr;
  Rect bounds{};
  bool ok = icon && GetCIconBounds(icon, &bounds) && Width(bounds) > 0 && Height(bounds) > 0;
  if (icon) DisposeCIcon(icon);
  if (ok) *size = Point{Height(bounds), Width(bounds)};
  return ok;
}

void BuildPanelShape() {
  if (!gPanelShapeRgn) gPanelShapeRgn = NewRgn();
  if (!gPanelShadowRgn) gPanelShadowRgn = NewRgn();
  if (!gPanelShapeRgn || !gPanelShadowRgn) return;
  SetEmptyRgn(gPanelShapeRgn);
  SetEmptyRgn(gPanelShadowRgn);
  Handle res = GetResource(kBitmapResType, kPanelShapeBitmapId);
  if (!res) return;
  int8_t state = HGetState(res);
  HLock(res);
  BitMap bits;
  if (BitmapFromResource(res, &bits) == noErr && BitMapToRegion(gPanelShapeRgn, &bits) == noErr) {
    CopyRgn(gPanelShapeRgn, gPanelShadowRgn);
    OffsetRgn(gPanelShadowRgn, kShadowOffset, kShadowOffset);
    DiffRgn(gPanelShadowRgn, gPanelShapeRgn, gPanelShadowRgn);
  }
  HSetState(res, state);
}

// The strip picture named by the style, cached so that the windows copy it; its frame
// gives the strip's size.
void CacheStripPicture() {
  int16_t id = GetStyleWord(kStyleStripPicture);
  if (!id || CachePictureOffscreen(id) != noErr) return;
  SetStyleWord(kStyleStripPicture, 0);
  gInstrumentStripHeight = Height(gPictureCacheBounds);
  if (Width(gPictureCacheBounds) > 0) gInstrumentStripWidth = Width(gPictureCacheBounds);
}

void UseStyleIconRect() {
  GetStyleRect(kStyleIconRect, &gStyleIconRect);
  gStyleIconHeight = Height(gStyleIconRect);
}

// Steps 2-5 of the strip: frame, body, six buttons, and the box below the last.
void DrawStripBody() {
  SetScratchRectFrom(&gPictureCacheBounds);
  SetForeColorIndex(kStripFrameColour);
  FrameScratchRect();
  RGBForeColor(&kBlack);
  InsetScratchRect(1);
  gScratchRect.bottom = int16_t(gScratchRect.bottom + 1);
  gScratchRect.right = int16_t(gScratchRect.right + 3);
  DrawBevelBox(kBoxColour);
  for (int16_t i = 0; i < kElementCount; ++i) {
    SetPanelButtonRect(0, int16_t(kElementStep * i));
    DrawBevelBox(kBoxColour);
  }
  gScratchRect.bottom = int16_t(gScratchRect.bottom + kElementStep);
  DrawBevelBox(kBoxColour);
}

void DrawStripButton(int16_t buttonIconId) {
  SetDefaultPanelButtonRect();
  if (buttonIconId) {
    Rect size;
    GetStyleRect(kStyleButtonIconRect, &size);
    int16_t h = size.bottom ? Height(size) : kDefaultButtonIconSide;
    int16_t w = size.bottom ? Width(size) : kDefaultButtonIconSide;
    int16_t left = int16_t(gScratchRect.left - 1);
    SetRectFields(&gScratchRect, left, gScratchRect.top, int16_t(left + w), int16_t(gScratchRect.top + h));
    PlotColorIcon(buttonIconId);
    return;
  }
  Rect lamp;
  int16_t left = int16_t(gScratchRect.left + 4), top = int16_t(gScratchRect.top + 1);
  SetRectFields(&lamp, left, top, int16_t(left + kLampSide), int16_t(top + kLampSide));
  SetStyleRect(kStyleLampRect, &lamp);
  SetStyleRect(kStyleLampRectCopy, &lamp);
  SetScratchRectFrom(&lamp);
  DrawPanelLamp();
}

void DrawArrowButtons() {
  SetSmallTextFont();
  GetStyleRect(kStyleArrowRect1, &gScratchRect);
  DrawButtonFace(kBoxColour, 1, gScreenDepthIndex, false, 0);
  GetStyleRect(kStyleArrowRect2, &gScratchRect);
  DrawButtonFace(kBoxColour, 2, gScreenDepthIndex, false, 0);
  RestoreDefaultTextFont();
}

// The strip icon centred on the strip, 3 pixels below gScratchRect.
void PlotStripIcon(int16_t iconId) {
  CIconHandle icon = GetCIcon(iconId);
  if (!icon) return;
  Rect bounds{};
  if (GetCIconBounds(icon, &bounds) && Width(bounds) > 0 && Height(bounds) > 0) {
    gStyleIconOffset = int16_t((gInstrumentStripWidth - Width(bounds)) / 2);
    gStyleIconRect = bounds;
    OffsetRect(&gStyleIconRect, int16_t(gStyleIconOffset - bounds.left),
               int16_t(gScratchRect.bottom + 3 - bounds.top));
    PlotCIcon(&gStyleIconRect, icon);
    gStyleIconRect.bottom = int16_t(gStyleIconRect.bottom - 1);
    gStyleIconHeight = Height(gStyleIconRect);
  }
  DisposeCIcon(icon);
}

}  // namespace

void ResetStyleImageMetrics() {
  gStyleIconOffset = kDefaultIconOffset;
  gStyleIconHeight = kDefaultIconHeight;
  gStyleIconRect = Rect{};
  gInstrumentStripWidth = kDefaultStripWidth;
  gInstrumentStripHeight = kDefaultStripHeight;
  gStylePictureSize[0] = kDefaultPictureSize[0];
  gStylePictureSize[1] = kDefaultPictureSize[1];
}

void BuildIconImage() {
  SavedWorld saved;
  gComposedStrip = nullptr;
  int16_t panelPicture = GetStyleWord(kStylePanelPicture);
  if (panelPicture && RenderPictureOffscreen(&gPanelWorld, &gPanelWorldBounds, panelPicture, false) == noErr)
    DrawPanelBitmaps(false);
  else
    DisposePanelWorld();
  ResetStyleImageMetrics();
  DisposeCachedIcon();
  if (int16_t id = GetStyleWord(kStyleIconId)) gCachedStyleIcon = GetCIcon(id);
  bool iconRect = (GetStyleOptions() & kStyleOptionIconRect) != 0;
  if (int16_t stripIcon = GetStyleWord(kStyleStripIcon)) {
    LayoutTransportPanel();
    ComposeStripImage(stripIcon, GetStyleWord(kStyleButtonIcon));
    if (iconRect) UseStyleIconRect();
    PlaceStyleIcon();
  } else {
    BuildPanelShape();
    CacheStripPicture();
    if (iconRect) {
      UseStyleIconRect();
      PlaceStyleIcon();
    } else {
      gStyleIconRect.bottom = int16_t(gInstrumentStripHeight + 8);
      gStyleIconRect.top = int16_t(gStyleIconRect.bottom - gStyleIconHeight);
      LayoutTransportPanel();
    }
  }
  SetStyleImageMetrics();
  SizeInstrumentWindowToContent();
}

OSErr ComposeStripImage(int16_t iconId, int16_t buttonIconId) {
  SavedWorld saved;
  QDErr err = CachePictureOffscreen(kStripPictureId);
  if (err != noErr) return err;
  PixMapHandle pixels = GetGWorldPixMap(gPictureCache);
  LockPixels(pixels);
  SetGWorld(gPictureCache, nullptr);
  gComposedStrip = gPictureCache;
  RGBColor fore;
  GetForeColor(&fore);
  DrawStripBody();
  DrawStripButton(buttonIconId);
  SetPanelButtonRect(0, int16_t(kElementStep * (kElementCount - 1) + 2 * kElementStep));
  DrawBevelBox(kBoxColour);
  DrawArrowButtons();
  if (iconId) PlotStripIcon(iconId);
  RGBForeColor(&fore);
  UnlockPixels(pixels);
  return noErr;
}

GWorldPtr GetComposedStripImage() { return gComposedStrip == gPictureCache ? gComposedStrip : nullptr; }

void SetStyleImageMetrics() {
  if (!PictureSize(GetStyleWord(kStyleFirstPicture), &gStylePictureSize[0]))
    gStylePictureSize[0] = kDefaultPictureSize[0];
  if (PictureSize(GetStyleWord(kStyleSecondPicture), &gStylePictureSize[1])) return;
  if (IconSize(GetStyleWord(kStyleButtonIcon), &gStylePictureSize[1])) return;
  Rect r;
  GetStyleRect(kStyleSecondPictureRect, &r);
  gStylePictureSize[1] = r.bottom ? Point{Height(r), Width(r)} : kDefaultPictureSize[1];
}

OSErr PlaceStyleIcon() {
  if (!gCachedStyleIcon) return noErr;
  Rect bounds{};
  GetCIconBounds(gCachedStyleIcon, &bounds);
  int16_t w = Width(bounds), h = Height(bounds);
  if (w <= 0 || h <= 0) {
    DisposeCachedIcon();
    ReportError(kBadStyleIconErr);
    return kBadStyleIconErr;
  }
  OffsetRect(&gStyleIconRect, 0, int16_t(kIconDrop - h));
  gStyleIconHeight = int16_t(gStyleIconHeight - (h + 2));
  if (GetStyleOptions() & kStyleOptionIconRect)
    gStyleIconOffset = int16_t((gStyleIconRect.left + gStyleIconRect.right) / 2 - w / 2);
  return noErr;
}

void LayoutTransportPanel() {
  if (GetStyleWord(kStylePanelFlags) & kStylePanelFixedLayout) return;
  Rect saved = gScratchRect;
  for (int16_t i = 0; i < kElementCount; ++i) {
    SetPanelButtonRect(0, int16_t(kElementStep * i));
    SetStyleRect(kStyleElementRects + 8 * i, &gScratchRect);
  }
  gScratchRect = saved;
}

void DrawPanelBitmaps(bool erase) {
  if (!gPanelWorld) return;
  SavedWorld saved;
  SetGWorld(gPanelWorld, nullptr);
  RGBColor fore;
  GetForeColor(&fore);
  if (erase) EraseRect(&gPanelWorldBounds);
  SetForeColorIndex(kPanelBackColour);
  DrawBitmapResource(nullptr, gPanelWorldBounds.left, gPanelWorldBounds.top, 0, kPanelBackBitmapId);
  SetForeColorIndex(kPanelFrontColour);
  DrawBitmapResource(nullptr, gPanelWorldBounds.left, gPanelWorldBounds.top, 0, kPanelFrontBitmapId);
  RGBForeColor(&fore);
}

void SetPanelButtonRect(int16_t left, int16_t top) {
  int16_t width = GetStyleWord(kStyleButtonWidth);
  if (width <= 0) width = kDefaultButtonWidth;
  SetScratchRect(int16_t(left + 1), int16_t(top + 1), int16_t(width + 3), kPanelButtonHeight);
}

void SetDefaultPanelButtonRect() { SetPanelButtonRect(kDefaultButtonLeft, kDefaultButtonTop); }

void CopyScratchFromCache() {
  if (gPanelWorld) CopyOffscreenToPort(gPanelWorld, &gScratchRect, &gScratchRect);
}

void DisposeTransportImages() {
  gComposedStrip = nullptr;
  DisposePanelWorld();
  DisposePictureCache();
  DisposeCachedIcon();
  if (gPanelShapeRgn) DisposeRgn(gPanelShapeRgn);
  if (gPanelShadowRgn) DisposeRgn(gPanelShadowRgn);
  gPanelShapeRgn = gPanelShadowRgn = nullptr;
  ResetStyleImageMetrics();
}
