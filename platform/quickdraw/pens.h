// The pen (location, size, mode, pattern or pixel pattern) and the background pattern of
// the current port.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

void PenSize(short width, short height);
// Pen modes are the pattern modes (patCopy ... notPatBic); a source mode (srcCopy ...) is
// taken as the pattern mode of the same operation. hilite and the arithmetic modes apply too.
void PenMode(short mode);
void PenPat(const Pattern* pat);
// Draws with the pixel pattern instead of the pen pattern until the next PenPat. The
// caller keeps ownership of the pattern.
void PenPixPat(PixPatHandle pp);
void BackPat(const Pattern* pat);
void BackPixPat(PixPatHandle pp);
// Size 1x1, mode patCopy, pattern black, no pixel pattern.
void PenNormal();
void GetPenState(PenState* state);
void SetPenState(const PenState* state);
void HidePen();
void ShowPen();
void MoveTo(short h, short v);
void Move(short dh, short dv);
void GetPen(Point* pt);
