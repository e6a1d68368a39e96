// The pictures under the main editor's tool bar: its background, and outside the note and drum
// views the picture behind the lane fields.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kLaneFieldsPictureId = 210;
constexpr int16_t kLaneFieldsPictureLeft = 53;  // from x0
constexpr int16_t kLaneFieldsPictureTop = 13;   // from y0
constexpr int16_t kLaneFieldsPictureWidth = 239;
constexpr int16_t kLaneFieldsPictureHeight = 26;
constexpr int16_t kAudioViewPictureWidth = 131;

// Where the lane fields' picture goes in the view mode (empty in the note and drum views;
// 131 wide in the audio view).
Rect GetLaneFieldsPictureRect(int16_t viewMode);
// The tool bar picture (gEditorLayout.pictureBase) at its own size from the tool bar's top
// left, inside the tool bar rectangle; then the lane fields' picture for the current view. A
// missing picture draws nothing.
void DrawToolbarPictures();
