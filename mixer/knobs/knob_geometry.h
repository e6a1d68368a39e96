// The knobs of the instrument strips (pan) and of the mixer's plug-in rows (parameters): the
// angle of the mouse about a knob's centre, the value an angle gives, and the knob's pointer.
//
// Angles are degrees in window coordinates (y downward, so positive turns clockwise). The
// travel is 270 degrees: 0 at the lower left (7:30), 135 straight up, 270 at the lower right
// (4:30); the 90 degrees at the bottom are dead.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int32_t kKnobTravel = 270;
constexpr int32_t kPanKnobMaximum = 127;
constexpr int32_t kParameterKnobMaximum = 32767;

// The fader thumb's colour icon of the instrument window, loaded by the strip layout; while it
// is loaded the knobs are drawn over colour-table entry 20, else over entry 33.
extern CIconHandle gFaderThumbIcon;

// The knob's centre (each sum halved by an arithmetic shift) and radius ((right - left) / 2).
Point KnobCentre(const Rect* knob);
int16_t KnobRadius(const Rect* knob);

// The knob angle of gLastMousePoint about the rectangle's centre: 0 up to (not including) 315.
// From straight down to the lower-left end reads 0; past the lower-right end it keeps growing.
double KnobAngleFromMouse(const Rect* knob);

// The value of a pan knob at an angle: the whole degrees x 127 / 270, rounded, in 0..127.
int32_t PanValueFromKnobAngle(double angle);
// The value of a parameter knob at an angle: angle x 32767 / 270 in 0..32767.
int32_t ParameterValueFromKnobAngle(double angle);

// The pointer's direction in whole degrees for a value: value x 270 / maximum, rounded, less
// 225 (0 gives -225, the lower left; the maximum +45, the lower right). A maximum below 1 is
// taken as 1.
int32_t KnobPointerDegrees(int32_t value, int32_t maximum);
// The pointer's end relative to the centre, each coordinate truncated toward zero.
Point KnobPointerOffset(int32_t degrees, int16_t radius);

// Draws the pointer of the knob whose rectangle the caller put in gScratchRect: a 2 x 2 line
// from its centre in colour-table entry 37, kept readable against the panel's back colour.
void DrawKnobPointer(int32_t value, int32_t maximum);
