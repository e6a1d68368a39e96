// The info panel (window kind 3, the floating window that also carries the transport
// counter): its background pictures, the current track's output, the sync source and counter
// mode, the indicator lamps and the counter area, and the partial redraws when what they show
// changes. Main thread; every drawing batch sits inside BeginScreenDrawing/EndScreenDrawing
// and works in gScratchRect.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The panel's texts: STR# 136 item n + 1 names sync source n, items 16-18 the counter modes;
// STR# 139 item 1 is the output label of a track that has none.
constexpr int16_t kInfoPanelStrings = 136;
constexpr int16_t kCounterModeStringBase = 16;
constexpr int16_t kDeviceListStrings = 139;

// The cells of the panel (panel coordinates) below its picture.
constexpr Rect kOutputLabelCell = {42, 84, 56, 204};
constexpr Rect kSyncLabelCell = {42, 214, 56, 334};
constexpr Rect kModeLabelCell = {56, 214, 70, 334};

// The lamps: 0 and 1 the indicators, 2-3 the sync lamps, 4-8 the mode lamps.
constexpr int32_t kInfoPanelLampCount = 9;
// The 'PICT' id a lamp draws while lit; 0: the lamp is drawn by code.
extern int16_t gInfoPanelLampPictures[kInfoPanelLampCount];
void GetInfoPanelLampRect(int32_t lamp, Rect* rect);
// Negative: the output label is drawn in one piece; else name centred and channel as a number.
extern int8_t gInfoPanelStyleByte;

// gScratchRect = the smallest rectangle that holds a and b.
void UnionRectIntoScratch(const Rect* a, const Rect* b);
// The application's default font, at most size points.
void SetDefaultFontWithMaxSize(int16_t size);
// Draws text centred in gScratchRect (less 1 at the top, 2 at the bottom and right), clipped
// to it, on a baseline centred for a text of the given height.
void DrawInfoText(ConstStr255Param text, int16_t height);
// STR# 136 item n into gStringBuffer.
StringPtr GetInfoPanelString(int16_t n);
// The current track's output label in gStringBuffer: STR# 139 item 1 without a track, the
// sequence text for a track holding child sequences, the instrument's name for a track that
// plays through the instrument table, else the output's name, "-" and the channel (1-16, or the
// all-channels text above 16) except for the kind that has no output (11).
StringPtr GetTrackOutputLabel();
void DrawTrackOutputLabel(int16_t height);
// The sync-source name, then the counter mode's name; face plain, clip back to the panel.
void DrawInfoPanelLabels(int16_t height);
void DrawInfoPanelLamps();
void DrawSyncLamps();
void DrawModeLamps();
// gScratchRect = the counter's rectangle: the style's bar:beat:tick read-out when the
// transport option byte has bit 7, else the union of counter elements 0 and 5.
void SetScratchRectToCounterArea();
void DrawInfoPanelBackground();
// gScratchRect erased and the panel's picture drawn again in it (the read-outs draw on it).
void RestoreBackgroundInScratch();
// The full redraw of everything on the background.
void DrawInfoPanelContents();
void ClipToInfoPanel();
// The background, inside the screen-drawing bracket.
void RedrawInfoPanel();
// The whole panel in its own port; the port and gScratchRect are restored.
void DrawInfoPanel();
// Redraws the counter area and refreshes the panel when the transport's shown value changed;
// true when it did.
bool UpdateInfoPanel();
// The activate handler of the panel: the counter area redrawn without comparing values.
void ActivateInfoPanel();
// The counter redrawn in the panel at once, while the counter flags let it and the panel is
// visible.
void RedrawCounterWindow();
