// The images an appearance style builds for the transport panel and the instrument strips:
// the panel picture in its own offscreen world, the composed strip image in the shared
// picture cache, the style icon placed on the strip, and the metrics the mixer and the
// instrument window draw with. The panel record is the style block (shell/windows/window_appearance.h).
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The strip picture the composer draws on.
constexpr int16_t kStripPictureId = 140;
// The panel's shape image ('BYBM'), and the two panel bitmaps with their colours.
constexpr int16_t kPanelShapeBitmapId = 308;
constexpr int16_t kPanelBackBitmapId = 147;
constexpr int16_t kPanelFrontBitmapId = 136;
// A style icon of zero width or height: reported, and the metrics stay at their defaults.
constexpr OSErr kBadStyleIconErr = -206;

// Style image metrics (the strip width and height are gInstrumentStripWidth and
// gInstrumentStripHeight of the window sizing).
extern int16_t gStyleIconOffset;   // x of the style icon on a strip (default 7)
extern int16_t gStyleIconHeight;   // default 94
extern Rect gStyleIconRect;
extern Point gStylePictureSize[2];  // (h width, v height): 38 x 131 and 37 x 33 by default

// The panel picture's world and bounds; null when the style has no panel picture.
extern GWorldPtr gPanelWorld;
extern Rect gPanelWorldBounds;
// The panel's shape region and its shadow (the shape moved by (2, 2) less the shape).
extern RgnHandle gPanelShapeRgn;
extern RgnHandle gPanelShadowRgn;

void ResetStyleImageMetrics();
// Builds the applied style's images (panel world, strip image, style icon, metrics).
void BuildIconImage();
// Draws the strip image (picture 140 with its buttons, lamp or button icon, arrow buttons and
// the strip icon) into the shared picture cache; the CachePictureOffscreen error otherwise.
OSErr ComposeStripImage(int16_t iconId, int16_t buttonIconId);
void SetStyleImageMetrics();
// The shared picture cache while it holds the composed strip image, else null.
GWorldPtr GetComposedStripImage();
// Moves the style icon rectangle below the cached style icon. noErr without an icon;
// kBadStyleIconErr (reported, metrics untouched) for an icon of zero width or height.
OSErr PlaceStyleIcon();
// The six transport element rectangles, 16 pixels apart, into the style block; not with
// the panel's fixed-layout flag.
void LayoutTransportPanel();
// 'BYBM' 147 in colour 64, then 'BYBM' 136 in colour 52, into the panel world.
void DrawPanelBitmaps(bool erase);
// gScratchRect for a panel button at (left, top): one pixel in, 17 high, button width + 3 wide.
void SetPanelButtonRect(int16_t left, int16_t top);
void SetDefaultPanelButtonRect();
// Copies the panel world into gScratchRect of the current port, when there is one.
void CopyScratchFromCache();
void DisposeTransportImages();
