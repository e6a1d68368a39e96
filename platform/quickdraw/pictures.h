// Pictures ('PICT' resources, version 1 and 2): drawn by playing their opcodes into the
// current port, scaled from the picture's frame to the destination rectangle.
//
// Supported opcodes (anything else stops the playback cleanly, QDError unimpErr):
//   0000 NOP, 0001 Clip, 0002 BkPat, 0003 TxFont, 0004 TxFace, 0005 TxMode, 0006 SpExtra,
//   0007 PnSize, 0008 PnMode, 0009 PnPat, 000A FillPat, 000B OvSize, 000C Origin,
//   000D TxSize, 000E FgColor, 000F BkColor, 0010 TxRatio, 0011 Version,
//   001A RGBFgCol, 001B RGBBkCol, 001C HiliteMode, 001D HiliteColor, 001E DefHilite,
//   001F OpColor, 0020 Line, 0021 LineFrom, 0022 ShortLine, 0023 ShortLineFrom,
//   0028 LongText, 0029 DHText, 002A DVText, 002B DHDVText, 002C FontName, 002E GlyphState,
//   0030-0034 / 0038-003C rect and same rect (frame, paint, erase, invert, fill),
//   0040-0044 / 0048-004C round rect and same, 0050-0054 / 0058-005C oval and same,
//   0060-0064 / 0068-006C arc and same, 0070-0074 / 0078-007C poly,
//   0080-0084 / 0088-008C region and same region, 0090 BitsRect, 0091 BitsRgn,
//   0098 PackBitsRect, 0099 PackBitsRgn, 009A DirectBitsRect, 009B DirectBitsRgn,
//   00A0 ShortComment, 00A1 LongComment, 00FF OpEndPic, 0C00 HeaderOp.
// Colour bit images keep their colours; one-bit images take the port's colours. The pen
// size and the text size are not scaled with the picture.
// Bit images: one-bit BitMaps, indexed PixMaps of 1, 2, 4 and 8 bits with their colour
// table, 16-bit (packType 0, 1, 3) and 32-bit (packType 0, 1, 2, 4) direct pixels.
//
// Every length is checked against the handle's size: a malformed picture draws what came
// before the fault and stops (QDError paramErr), never reading outside the handle.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

// The 'PICT' resource of that id, or null.
PicHandle GetPicture(short picID);
void DrawPicture(PicHandle myPicture, const Rect* dstRect);
// Disposes a picture that is not a resource (a resource is released).
void KillPicture(PicHandle myPicture);
// The picture's frame; false (and an empty rectangle) when the handle is too short.
Boolean GetPictureFrame(PicHandle pic, Rect* frame);
// Plays a picture from bytes (what DrawPicture does with a handle's block).
OSErr DrawPictureBytes(const void* data, size_t size, const Rect* dstRect);
