// Playing 'PICT' pictures (version 1 and 2) into the current port. The opcode set is listed
// in pictures.h; every read goes through a bounds-checked reader.
#include "platform/quickdraw/pictures.h"

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/bit_images.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"

using namespace qd_internal;

namespace {

enum Verb { kFrame = 0, kPaint = 1, kErase = 2, kInvert = 3, kFill = 4 };
enum Outcome { kGoOn, kDone, kMalformed, kUnsupported };

// The port state a picture may change, restored when playback ends.
struct SavedPortState {
  Point pnLoc, pnSize;
  SInt16 pnMode, txFont, txMode, txSize;
  Style txFace;
  Pattern pnPat, bkPat;
  PixPatHandle pnPixPat, bkPixPat;
  RGBColor fg, bg, op;
  Fixed spExtra;
  RgnHandle clip;

  explicit SavedPortState(CGrafPtr p)
      : pnLoc(p->pnLoc), pnSize(p->pnSize), pnMode(p->pnMode), txFont(p->txFont),
        txMode(p->txMode), txSize(p->txSize), txFace(p->txFace), pnPat(p->pnPat),
        bkPat(p->bkPat), pnPixPat(p->pnPixPat), bkPixPat(p->bkPixPat), fg(p->rgbFgColor),
        bg(p->rgbBkColor), op(p->rgbOpColor), spExtra(p->spExtra), clip(NewRgn()) {
    CopyRgn(p->clipRgn, clip);
  }
  void Restore(CGrafPtr p) const {
    p->pnLoc = pnLoc;
    p->pnSize = pnSize;
    p->pnMode = pnMode;
    p->txFont = txFont;
    p->txMode = txMode;
    p->txSize = txSize;
    p->txFace = txFace;
    p->pnPat = pnPat;
    p->bkPat = bkPat;
    p->pnPixPat = pnPixPat;
    p->bkPixPat = bkPixPat;
    p->rgbFgColor = fg;
    p->rgbBkColor = bg;
    p->rgbOpColor = op;
    p->spExtra = spExtra;
    CopyRgn(clip, p->clipRgn);
    DisposeRgn(clip);
  }
};

class Player {
 public:
  Player(const void* data, size_t size, const Rect& dst, CGrafPtr port)
      : r_(data, size), dst_(dst), port_(port) {}
  OSErr Play();

 private:
  Outcome Step(unsigned op);
  Outcome Shape(unsigned op);
  Outcome Text(unsigned op);
  Outcome Bits(unsigned op);
  Outcome Clip();
  bool ReadRegion(PixRegion* out);
  bool ReadPoly(std::vector<Point>* out);
  Point Map(Point p) const;
  Rect MapR(const Rect& r) const;
  void DrawTextAt(const uint8_t* text, size_t n);
  void ApplyRegion(Verb v, const PixRegion& pictureRgn);

  ByteReader r_;
  Rect frame_;
  Rect dst_;
  CGrafPtr port_;
  RgnHandle baseClip_ = nullptr;
  bool v2_ = false;
  Point pen_, textLoc_, ovSize_;
  Point origin_;
  Rect lastRect_, lastRRect_, lastOval_, lastArc_;
  short arcStart_ = 0, arcAngle_ = 0;
  std::vector<Point> lastPoly_;
  PixRegion lastRgn_;
  Pattern fillPat_{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
};

Point Player::Map(Point p) const {
  p.h = short(p.h + origin_.h);
  p.v = short(p.v + origin_.v);
  MapPt(&p, &frame_, &dst_);
  return p;
}

Rect Player::MapR(const Rect& r) const {
  Point tl = Map(Point{r.top, r.left}), br = Map(Point{r.bottom, r.right});
  return Rect{tl.v, tl.h, br.v, br.h};
}

bool Player::ReadRegion(PixRegion* out) {
  size_t start = r_.pos();
  uint16_t size = r_.U16();
  if (!r_.ok() || size < 10 || !r_.Seek(start)) return false;
  const uint8_t* bytes = r_.Take(size);
  return bytes && ParseMacRegion(bytes, size, out);
}

bool Player::ReadPoly(std::vector<Point>* out) {
  uint16_t size = r_.U16();
  if (!r_.ok() || size < 10 || (size - 10) % 4 != 0) return false;
  r_.ReadRect();
  out->clear();
  for (int i = 0; i < (size - 10) / 4; ++i) out->push_back(r_.ReadPoint());
  return r_.ok();
}

void Player::ApplyRegion(Verb v, const PixRegion& pictureRgn) {
  RgnHandle rgn = NewRgn();
  StoreRegion(rgn, pictureRgn);
  OffsetRgn(rgn, origin_.h, origin_.v);
  MapRgn(rgn, &frame_, &dst_);
  switch (v) {
    case kFrame: FrameRgn(rgn); break;
    case kPaint: PaintRgn(rgn); break;
    case kErase: EraseRgn(rgn); break;
    case kInvert: InvertRgn(rgn); break;
    case kFill: FillRgn(rgn, &fillPat_); break;
  }
  DisposeRgn(rgn);
}

Outcome Player::Clip() {
  PixRegion rgn;
  if (!ReadRegion(&rgn)) return kMalformed;
  RgnHandle h = NewRgn();
  StoreRegion(h, rgn);
  OffsetRgn(h, origin_.h, origin_.v);
  MapRgn(h, &frame_, &dst_);
  SectRgn(h, baseClip_, h);
  SetClip(h);
  DisposeRgn(h);
  return kGoOn;
}

Outcome Player::Shape(unsigned op) {
  Verb verb = Verb(op & 7);
  if ((op & 7) > 4) return kUnsupported;
  unsigned kind = op & 0xF0, same = op & 0x08;
  switch (kind) {
    case 0x30: case 0x40: case 0x50: {
      Rect* last = kind == 0x30 ? &lastRect_ : kind == 0x40 ? &lastRRect_ : &lastOval_;
      if (!same) *last = r_.ReadRect();
      if (!r_.ok()) return kMalformed;
      Rect m = MapR(*last);
      if (kind == 0x30) {
        Verb v = verb;
        if (v == kFrame) FrameRect(&m);
        if (v == kPaint) PaintRect(&m);
        if (v == kErase) EraseRect(&m);
        if (v == kInvert) InvertRect(&m);
        if (v == kFill) FillRect(&m, &fillPat_);
      } else if (kind == 0x40) {
        short ow = ovSize_.h, oh = ovSize_.v;
        if (verb == kFrame) FrameRoundRect(&m, ow, oh);
        if (verb == kPaint) PaintRoundRect(&m, ow, oh);
        if (verb == kErase) EraseRoundRect(&m, ow, oh);
        if (verb == kInvert) InvertRoundRect(&m, ow, oh);
        if (verb == kFill) FillRoundRect(&m, ow, oh, &fillPat_);
      } else {
        if (verb == kFrame) FrameOval(&m);
        if (verb == kPaint) PaintOval(&m);
        if (verb == kErase) EraseOval(&m);
        if (verb == kInvert) InvertOval(&m);
        if (verb == kFill) FillOval(&m, &fillPat_);
      }
      return kGoOn;
    }
    case 0x60: {
      if (!same) lastArc_ = r_.ReadRect();
      arcStart_ = r_.I16();
      arcAngle_ = r_.I16();
      if (!r_.ok()) return kMalformed;
      Rect m = MapR(lastArc_);
      if (verb == kFrame) FrameArc(&m, arcStart_, arcAngle_);
      if (verb == kPaint) PaintArc(&m, arcStart_, arcAngle_);
      if (verb == kErase) EraseArc(&m, arcStart_, arcAngle_);
      if (verb == kInvert) InvertArc(&m, arcStart_, arcAngle_);
      if (verb == kFill) FillArc(&m, arcStart_, arcAngle_, &fillPat_);
      return kGoOn;
    }
    case 0x70: {
      if (!same && !ReadPoly(&lastPoly_)) return kMalformed;
      if (lastPoly_.empty()) return kGoOn;
      PolyHandle poly = NewHandleClear(Size(10 + 4 * lastPoly_.size()));
      char* p = HandleData(poly);
      if (!p) return kMalformed;
      WriteU16BE(p, uint16_t(10 + 4 * lastPoly_.size()));
      for (size_t i = 0; i < lastPoly_.size(); ++i) {
        Point m = Map(lastPoly_[i]);
        WriteI16BE(p + 10 + 4 * i, m.v);
        WriteI16BE(p + 12 + 4 * i, m.h);
      }
      if (verb == kFrame) FramePoly(poly);
      if (verb == kPaint) PaintPoly(poly);
      if (verb == kErase) ErasePoly(poly);
      if (verb == kInvert) InvertPoly(poly);
      if (verb == kFill) FillPoly(poly, &fillPat_);
      KillPoly(poly);
      return kGoOn;
    }
    case 0x80: {
      if (!same && !ReadRegion(&lastRgn_)) return kMalformed;
      ApplyRegion(verb, lastRgn_);
      return kGoOn;
    }
    default:
      return kUnsupported;
  }
}

void Player::DrawTextAt(const uint8_t* text, size_t n) {
  Point at = Map(textLoc_);
  MoveTo(at.h, at.v);
  DrawText(text, 0, short(n));
}

Outcome Player::Text(unsigned op) {
  switch (op) {
    case 0x28: textLoc_ = r_.ReadPoint(); break;
    case 0x29: textLoc_.h = short(textLoc_.h + r_.U8()); break;
    case 0x2A: textLoc_.v = short(textLoc_.v + r_.U8()); break;
    default:
      textLoc_.h = short(textLoc_.h + r_.U8());
      textLoc_.v = short(textLoc_.v + r_.U8());
  }
  uint8_t count = r_.U8();
  const uint8_t* text = r_.Take(count);
  if (!text) return kMalformed;
  DrawTextAt(text, count);
  return kGoOn;
}

// Bit images: BitsRect/Rgn (unpacked or packed rows), DirectBitsRect/Rgn.
Outcome Player::Bits(unsigned op) {
  bool direct = op == 0x9A || op == 0x9B;
  bool withRgn = op & 1;
  PixMapHeader h;
  if (!ReadPixMapHeader(r_, direct, &h)) return kMalformed;
  std::vector<uint32_t> lookup(256, 0xFF000000u);
  if (h.isPixMap && !direct && !ReadColorTable(r_, &lookup)) return kMalformed;
  Rect srcRect = r_.ReadRect(), dstRect = r_.ReadRect();
  short mode = r_.I16();
  PixRegion mask;
  bool hasMask = withRgn && ReadRegion(&mask);
  if (!r_.ok() || (withRgn && !hasMask)) return kMalformed;
  if (!ValidPixMapHeader(h)) return kMalformed;
  if (!h.isPixMap) h.pixelSize = 1;
  DecodedImage image;
  if (!DecodePictureRows(r_, h, lookup, &image)) return kMalformed;

  // The decoded image as a map of our own, one bit a pixel for BitMaps.
  std::vector<uint32_t> deep;
  std::vector<uint8_t> flat;
  PixMap pm;
  BitMap bm;
  const BitMap* src;
  if (image.oneBit) {
    int rowBytes = (image.width + 7) / 8;
    flat.assign(size_t(rowBytes) * image.height, 0);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        if ((image.pixels[size_t(y) * image.width + x] & 0xFFFFFF) == 0)
          flat[size_t(y) * rowBytes + x / 8] |= uint8_t(0x80 >> (x & 7));
    bm.baseAddr = reinterpret_cast<Ptr>(flat.data());
    bm.rowBytes = SInt16(rowBytes);
    bm.bounds = h.bounds;
    src = &bm;
  } else {
    deep = std::move(image.pixels);
    pm.baseAddr = reinterpret_cast<Ptr>(deep.data());
    pm.rowBytesFull = image.width * 4;
    pm.rowBytes = SInt16(kPixMapFlag | std::min(pm.rowBytesFull, 0x3FFF));
    pm.bounds = h.bounds;
    src = reinterpret_cast<const BitMap*>(&pm);
  }
  Rect mapped = MapR(dstRect);
  RgnHandle maskRgn = nullptr;
  if (hasMask) {
    maskRgn = NewRgn();
    StoreRegion(maskRgn, mask);
    OffsetRgn(maskRgn, origin_.h, origin_.v);
    MapRgn(maskRgn, &frame_, &dst_);
  }
  // Colour images keep their colours; only one-bit images take the port's colours.
  RGBColor fg = port_->rgbFgColor, bg = port_->rgbBkColor;
  if (!image.oneBit) {
    port_->rgbFgColor = RGBColor{0, 0, 0};
    port_->rgbBkColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  }
  CopyBits(src, GetPortBitMapForCopyBits(port_), &srcRect, &mapped, mode, maskRgn);
  port_->rgbFgColor = fg;
  port_->rgbBkColor = bg;
  if (maskRgn) DisposeRgn(maskRgn);
  return kGoOn;
}

Outcome Player::Step(unsigned op) {
  switch (op) {
    case 0x00: return kGoOn;
    case 0x01: return Clip();
    case 0x02: {
      Pattern p;
      const uint8_t* b = r_.Take(8);
      if (!b) return kMalformed;
      std::memcpy(p.pat, b, 8);
      BackPat(&p);
      return kGoOn;
    }
    case 0x03: TextFont(r_.I16()); break;
    case 0x04: TextFace(r_.U8()); break;
    case 0x05: TextMode(r_.I16()); break;
    case 0x06: SpaceExtra(Fixed(r_.U32())); break;
    case 0x07: {
      Point p = r_.ReadPoint();
      if (r_.ok()) PenSize(p.h, p.v);
      break;
    }
    case 0x08: PenMode(r_.I16()); break;
    case 0x09: case 0x0A: {
      Pattern p;
      const uint8_t* b = r_.Take(8);
      if (!b) return kMalformed;
      std::memcpy(p.pat, b, 8);
      if (op == 0x09)
        PenPat(&p);
      else
        fillPat_ = p;
      return kGoOn;
    }
    case 0x0B: ovSize_ = r_.ReadPoint(); break;
    case 0x0C: {
      short dh = r_.I16(), dv = r_.I16();
      origin_.h = short(origin_.h - dh);
      origin_.v = short(origin_.v - dv);
      break;
    }
    case 0x0D: TextSize(r_.I16()); break;
    case 0x0E: {
      uint32_t c = r_.U32();
      if (r_.ok()) ForeColor(long(c));
      break;
    }
    case 0x0F: {
      uint32_t c = r_.U32();
      if (r_.ok()) BackColor(long(c));
      break;
    }
    case 0x10: r_.Skip(8); break;
    case 0x11: r_.Skip(v2_ ? 2 : 1); break;
    case 0x1A: case 0x1B: case 0x1D: case 0x1F: {
      RGBColor c;
      c.red = r_.U16();
      c.green = r_.U16();
      c.blue = r_.U16();
      if (!r_.ok()) return kMalformed;
      if (op == 0x1A) RGBForeColor(&c);
      if (op == 0x1B) RGBBackColor(&c);
      if (op == 0x1D) HiliteColor(&c);
      if (op == 0x1F) OpColor(&c);
      return kGoOn;
    }
    case 0x1C: LMSetHiliteMode(UInt8(LMGetHiliteMode() & ~kHiliteModeBit)); break;
    case 0x1E: break;
    case 0x20: case 0x21: case 0x22: case 0x23: {
      Point from = pen_, to;
      if (op == 0x20 || op == 0x22) from = r_.ReadPoint();
      if (op == 0x20 || op == 0x21) {
        to = r_.ReadPoint();
      } else {
        to = from;
        to.h = short(to.h + int8_t(r_.U8()));
        to.v = short(to.v + int8_t(r_.U8()));
      }
      if (!r_.ok()) return kMalformed;
      Point a = Map(from), b = Map(to);
      MoveTo(a.h, a.v);
      LineTo(b.h, b.v);
      pen_ = to;
      return kGoOn;
    }
    case 0x28: case 0x29: case 0x2A: case 0x2B: return Text(op);
    case 0x2C: {
      uint16_t len = r_.U16();
      const uint8_t* data = r_.Take(len);
      if (!data) return kMalformed;
      if (len >= 3 && size_t(data[2]) + 3 <= len) {
        Str255 name;
        name[0] = data[2];
        std::memcpy(name + 1, data + 3, data[2]);
        short num = 0;
        GetFNum(name, &num);
        TextFont(num ? num : ReadI16BE(data));
      }
      return kGoOn;
    }
    case 0x2E: {
      uint16_t len = r_.U16();
      r_.Skip(len);
      break;
    }
    case 0x90: case 0x91: case 0x98: case 0x99: case 0x9A: case 0x9B: return Bits(op);
    case 0xA0: r_.Skip(2); break;
    case 0xA1: {
      r_.Skip(2);
      uint16_t len = r_.U16();
      r_.Skip(len);
      break;
    }
    case 0xFF: return kDone;
    case 0x0C00: {
      int16_t version = r_.I16();
      r_.Skip(2 + 4 + 4);
      Rect src = r_.ReadRect();
      r_.Skip(4);
      if (r_.ok() && version == -2 && !EmptyRect(&src)) frame_ = src;
      break;
    }
    default:
      if ((op >= 0x30 && op <= 0x8C)) return Shape(op);
      return kUnsupported;
  }
  return r_.ok() ? kGoOn : kMalformed;
}

OSErr Player::Play() {
  r_.U16();  // picSize: the block's own size is what counts
  frame_ = r_.ReadRect();
  const uint8_t* version = r_.Take(2);
  if (!version || EmptyRect(&frame_)) return paramErr;
  if (version[0] == 0x11 && version[1] == 0x01) {
    v2_ = false;
  } else if (version[0] == 0x00 && version[1] == 0x11) {
    if (r_.U16() != 0x02FF) return paramErr;
    v2_ = true;
  } else {
    return paramErr;
  }
  SavedPortState saved(port_);
  baseClip_ = saved.clip;
  Outcome outcome = kGoOn;
  while (outcome == kGoOn) {
    if (v2_) r_.Align2();
    unsigned op = v2_ ? r_.U16() : r_.U8();
    outcome = r_.ok() ? Step(op) : kMalformed;
  }
  saved.Restore(port_);
  if (outcome == kMalformed) return paramErr;
  if (outcome == kUnsupported) return unimpErr;
  return noErr;
}

}  // namespace

PicHandle GetPicture(short picID) { return GetResource(FourCC("PICT"), picID); }

OSErr DrawPictureBytes(const void* data, size_t size, const Rect* dstRect) {
  if (!data || !dstRect) {
    SetQDError(paramErr);
    return paramErr;
  }
  Player player(data, size, *dstRect, CurrentPort());
  OSErr err = player.Play();
  SetQDError(err);
  return err;
}

void DrawPicture(PicHandle myPicture, const Rect* dstRect) {
  const char* p = HandleData(myPicture);
  if (!p) {
    SetQDError(paramErr);
    return;
  }
  std::vector<uint8_t> bytes(p, p + GetHandleSize(myPicture));
  DrawPictureBytes(bytes.data(), bytes.size(), dstRect);
}

void KillPicture(PicHandle myPicture) {
  if (!IsValidHandle(myPicture)) return;
  if (HGetState(myPicture) & kHandleResourceBit)
    ReleaseResource(myPicture);
  else
    DisposeHandle(myPicture);
}

Boolean GetPictureFrame(PicHandle pic, Rect* frame) {
  if (!frame) return false;
  const char* p = HandleData(pic);
  if (!p || GetHandleSize(pic) < 10) {
    *frame = Rect{};
    return false;
  }
  *frame = Rect{ReadI16BE(p + 2), ReadI16BE(p + 4), ReadI16BE(p + 6), ReadI16BE(p + 8)};
  return true;
}
