// The drawing layer's records and constants: colours, patterns, bit and pixel maps,
// graphics devices and ports, pen and font state, and the transfer modes.
//
// Pixels of every pixel map are 32-bit words in host order, 0xAARRGGBB; drawing always
// writes 0xFF into the alpha byte. A BitMap is one bit per pixel, rows of big-endian bytes,
// the most significant bit leftmost, 1 meaning black.
//
// Ports, pixel maps and devices live in ordinary memory and are named by machine pointers;
// they are never stored in files. Regions, polygons, pictures, colour tables, pixel patterns,
// colour icons and cursors are handles (32-bit ids), so records may hold them.
#pragma once

#include "platform/memory/mac_types.h"

using Fixed = SInt32;
using Style = UInt8;
using StyleParameter = SInt16;
using QDErr = SInt16;

struct RGBColor {
  UInt16 red = 0;
  UInt16 green = 0;
  UInt16 blue = 0;
  friend bool operator==(const RGBColor&, const RGBColor&) = default;
};

// An 8x8 one-bit pattern, row by row, the most significant bit leftmost.
struct Pattern {
  UInt8 pat[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  friend bool operator==(const Pattern&, const Pattern&) = default;
};
using ConstPatternParam = const Pattern*;

// A 16x16 cursor: image and mask rows, most significant bit leftmost, and the hot spot.
// Pixels: data 1 mask 1 black, data 0 mask 1 white, data 0 mask 0 transparent,
// data 1 mask 0 inverts what lies below.
struct Cursor {
  UInt16 data[16] = {};
  UInt16 mask[16] = {};
  Point hotSpot;
};
using CursPtr = Cursor*;

// Handles: 32-bit ids of memory-manager blocks.
using RgnHandle = Handle;    // a region (see regions.h for the block's layout)
using PolyHandle = Handle;   // polySize, polyBBox, points (big-endian, as in pictures)
using PicHandle = Handle;    // a 'PICT' image
using CTabHandle = Handle;   // a 'clut' image: ctSeed, ctFlags, ctSize, entries
using PixPatHandle = Handle; // a decoded pixel pattern (see icons.h)
using CIconHandle = Handle;  // a decoded colour icon (see icons.h)
using CursHandle = Handle;   // a 'CURS' image (68 bytes, big-endian)

struct BitMap {
  Ptr baseAddr = nullptr;
  SInt16 rowBytes = 0;  // bit 15 clear: a one-bit BitMap
  Rect bounds;
};
using BitMapPtr = BitMap*;

// A 32-bit pixel map. It begins like a BitMap, with bit 15 of rowBytes set, so that a
// PixMap may be passed wherever a BitMap* is taken (CopyBits). The full row length is
// rowBytesFull, since rowBytes keeps only 14 bits.
struct PixMap {
  Ptr baseAddr = nullptr;
  SInt16 rowBytes = SInt16(0x8000);
  Rect bounds;
  SInt16 pmVersion = 0;
  SInt16 packType = 0;
  SInt32 packSize = 0;
  Fixed hRes = 72 << 16;
  Fixed vRes = 72 << 16;
  SInt16 pixelType = 16;  // RGBDirect
  SInt16 pixelSize = 32;
  SInt16 cmpCount = 3;
  SInt16 cmpSize = 8;
  OSType pixelFormat = 0x00000020;
  CTabHandle pmTable;
  SInt32 rowBytesFull = 0;
  SInt32 lockCount = 0;
};
using PixMapPtr = PixMap*;
using PixMapHandle = PixMap**;

constexpr SInt16 kPixMapFlag = SInt16(0x8000);

struct GDevice {
  SInt16 gdRefNum = 0;
  SInt16 gdID = 0;
  SInt16 gdType = 2;  // directType
  PixMapHandle gdPMap = nullptr;
  SInt32 gdFlags = 0;
  Rect gdRect;
  GDevice** gdNextGD = nullptr;
  PixMap pixMap;         // the device's pixel map, named by gdPMap
  PixMap* pixMapPtr = nullptr;
};
using GDPtr = GDevice*;
using GDHandle = GDevice**;

struct PenState {
  Point pnLoc;
  Point pnSize;
  SInt16 pnMode = 8;
  Pattern pnPat;
};

struct FontInfo {
  SInt16 ascent = 0;
  SInt16 descent = 0;
  SInt16 widMax = 0;
  SInt16 leading = 0;
};

// A colour graphics port. Local coordinates map to pixels through the pixel map's bounds:
// pixel column = h - pixMap.bounds.left, pixel row = v - pixMap.bounds.top. A port record
// must stay where it is while open (its PixMapHandle points into it).
struct CGrafPort {
  UInt32 portMagic = 0;         // kPortMagic while the port is open
  SInt16 portKind = 0;          // kPortKind...
  PixMap pixMap;                // the port's pixels (shared with the screen for screen ports)
  PixMap* pixMapPtr = nullptr;  // &pixMap, so that &pixMapPtr is the PixMapHandle
  GDHandle device = nullptr;
  Rect portRect;
  RgnHandle visRgn;
  RgnHandle clipRgn;
  RGBColor rgbFgColor{0, 0, 0};
  RGBColor rgbBkColor{0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor rgbOpColor{0x8000, 0x8000, 0x8000};
  Point pnLoc;
  Point pnSize{1, 1};
  SInt16 pnMode = 8;            // patCopy
  SInt16 pnVis = 0;             // drawing happens while >= 0
  Pattern pnPat{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  Pattern bkPat;
  Pattern fillPat{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  PixPatHandle pnPixPat;        // when set, drawn instead of pnPat
  PixPatHandle bkPixPat;        // when set, erasing uses it instead of bkPat
  SInt16 txFont = 0;
  Style txFace = 0;
  SInt16 txMode = 1;            // srcOr
  SInt16 txSize = 0;
  Fixed spExtra = 0;
  RgnHandle rgnSave;            // set between OpenRgn and CloseRgn
  PolyHandle polySave;          // set between OpenPoly and ClosePoly
  Ptr ownedPixels = nullptr;    // a GWorld's pixel block
  void* portOwner = nullptr;    // free for the window layer (its window record)
};
using CGrafPtr = CGrafPort*;
using GrafPtr = CGrafPort*;
using GWorldPtr = CGrafPort*;
using GWorldFlags = UInt32;

constexpr UInt32 kPortMagic = 0x51445054;  // 'QDPT'
enum : SInt16 { kPortKindPlain = 0, kPortKindGWorld = 1, kPortKindScreen = 2 };

// Transfer modes.
enum : SInt16 {
  srcCopy = 0, srcOr = 1, srcXor = 2, srcBic = 3,
  notSrcCopy = 4, notSrcOr = 5, notSrcXor = 6, notSrcBic = 7,
  patCopy = 8, patOr = 9, patXor = 10, patBic = 11,
  notPatCopy = 12, notPatOr = 13, notPatXor = 14, notPatBic = 15,
  blend = 32, addPin = 33, addOver = 34, subPin = 35, transparent = 36,
  addMax = 37, adMax = 37, subOver = 38, adMin = 39,
  grayishTextOr = 49, hilite = 50, hilitetransfermode = 50,
  ditherCopy = 64,
};

// Classic colour constants for ForeColor and BackColor.
enum : SInt32 {
  blackColor = 33, whiteColor = 30, redColor = 205, greenColor = 341,
  blueColor = 409, cyanColor = 273, magentaColor = 137, yellowColor = 69,
};

// Text styles (bits of Style).
enum : Style {
  normal = 0, bold = 1, italic = 2, underline = 4, outline = 8,
  shadow = 16, condense = 32, extend = 64,
};

// Font numbers.
enum : SInt16 {
  systemFont = 0, applFont = 1, kFontIDNewYork = 2, kFontIDGeneva = 3, kFontIDMonaco = 4,
  kFontIDVenice = 5, kFontIDLondon = 6, kFontIDAthens = 7, kFontIDSanFrancisco = 8,
  kFontIDToronto = 9, kFontIDCairo = 11, kFontIDLosAngeles = 12, kFontIDTimes = 20,
  kFontIDHelvetica = 21, kFontIDCourier = 22, kFontIDSymbol = 23, kFontIDMobile = 24,
};

// NewGWorld / UpdateGWorld flags and results.
enum : GWorldFlags {
  pixPurge = 1u << 0, noNewDevice = 1u << 1, useTempMem = 1u << 2, keepLocal = 1u << 3,
  useDistantHdwrMem = 1u << 4, useLocalHdwrMem = 1u << 5, pixelsPurgeable = 1u << 6,
  pixelsLocked = 1u << 7, kAllocDirectDrawSurface = 1u << 14,
  mapPix = 1u << 16, newDepth = 1u << 17, alignPix = 1u << 18, newRowBytes = 1u << 19,
  reallocPix = 1u << 20, clipPix = 1u << 28, stretchPix = 1u << 29, ditherPix = 1u << 30,
  gwFlagErr = 1u << 31,
};

// Result codes of the drawing layer.
enum : OSErr {
  noMemForPictPlaybackErr = -145,
  rgnOverflowErr = -147,
  pixMapTooDeepErr = -148,
  cMatchErr = -150,
  cNoMemErr = -152,
  cRangeErr = -153,
  cProtectErr = -154,
  cDevErr = -155,
  cResErr = -156,
  cDepthErr = -157,
  rgnTooBigErr = -500,
};
