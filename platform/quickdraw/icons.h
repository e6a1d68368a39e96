// Colour icons ('cicn'), pixel patterns ('ppat') and colour tables ('clut') from resources.
//
// GetCIcon and GetPixPat decode the resource into a handle of their own, checking every
// length against the resource's size: a malformed resource gives null (QDError paramErr).
// Decoded blocks (big-endian):
//   colour icon:   'cicI', width u16, height u16, bounds Rect, then width x height pixels
//                  0xAARRGGBB (alpha 0xFF where the mask is set, else 0)
//   pixel pattern: 'ppaI', patType u16, classic Pattern (8 bytes), width u16, height u16,
//                  then width x height pixels 0xFFRRGGBB (none for patType 0)
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

CIconHandle GetCIcon(short iconID);
// Decodes a 'cicn' image held in memory (what GetCIcon does with the resource).
CIconHandle DecodeCIcon(const void* data, size_t size);
// Draws the icon's masked pixels scaled into r in the current port (srcCopy, clipped).
void PlotCIcon(const Rect* r, CIconHandle icon);
void DisposeCIcon(CIconHandle icon);
Boolean GetCIconBounds(CIconHandle icon, Rect* bounds);

PixPatHandle GetPixPat(short patID);
PixPatHandle DecodePixPat(const void* data, size_t size);
// A pixel pattern of one colour.
PixPatHandle NewPixPatFromRGB(const RGBColor* color);
void DisposePixPat(PixPatHandle pp);

// The 'clut' resource of that id, copied into a new handle after its length is checked, or
// null. Entries: ctSize + 1 of {value u16, red, green, blue u16} from byte 8.
CTabHandle GetCTable(short ctID);
void DisposeCTable(CTabHandle ct);
// Number of entries, or 0 for a table whose length does not hold them.
short CountCTableEntries(CTabHandle ct);
Boolean GetCTableEntry(CTabHandle ct, short index, RGBColor* color);
