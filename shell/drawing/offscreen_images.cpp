#include "shell/drawing/offscreen_images.h"

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/gworlds.h"
#include "platform/quickdraw/icons.h"
#include "platform/quickdraw/pictures.h"
#include "platform/quickdraw/ports.h"
#include "platform/resources/resource_manager.h"
#include "shell/drawing/scratch_rect.h"

GWorldPtr gPictureCache = nullptr;
Rect gPictureCacheBounds{};
CIconHandle gCachedStyleIcon = nullptr;

namespace {

constexpr QDErr kMissingPicture = -192;
constexpr RGBColor kBlackRGB{0, 0, 0};
constexpr RGBColor kWhiteRGB{0xFFFF, 0xFFFF, 0xFFFF};

const BitMap* Bits(GWorldPtr world) { return GetPortBitMapForCopyBits(world); }

const BitMap* CurrentPortBits() {
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&port, &device);
  return GetPortBitMapForCopyBits(port);
}

// Black on white around a copy, so that the pixels arrive unchanged.
struct PlainColours {
  RGBColor fore, back;
  PlainColours() {
    GetForeColor(&fore);
    GetBackColor(&back);
    RGBForeColor(&kBlackRGB);
    RGBBackColor(&kWhiteRGB);
  }
  ~PlainColours() {
    RGBForeColor(&fore);
    RGBBackColor(&back);
  }
};

void DrawIntoWorld(GWorldPtr world, PicHandle picture, const Rect& frame) {
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&port, &device);
  SetGWorld(world, nullptr);
  EraseRect(&frame);
  DrawPicture(picture, &frame);
  SetGWorld(port, device);
}

}  // namespace

PicHandle LoadPictureWithFrame(int16_t id, Rect* frame) {
  PicHandle picture = GetPicture(id);
  GetPictureFrame(picture, frame);
  return picture;
}

QDErr RenderPictureOffscreen(GWorldPtr* world, Rect* bounds, int16_t id, bool skipDraw) {
  Rect frame{};
  PicHandle picture = LoadPictureWithFrame(id, &frame);
  if (!picture) return kMissingPicture;
  QDErr err = noErr;
  if (!*world || !(*bounds == frame)) {
    if (*world) DisposeGWorld(*world);
    *world = nullptr;
    err = NewGWorld(world, 0, &frame, nullptr, nullptr, 0);
    if (err != noErr) *world = nullptr;
    *bounds = err == noErr ? frame : Rect{};
  }
  if (err == noErr && !skipDraw) {
    DrawIntoWorld(*world, picture, frame);
    ReleaseResource(picture);
  }
  return err;
}

QDErr CachePictureOffscreen(int16_t id) {
  QDErr err = RenderPictureOffscreen(&gPictureCache, &gPictureCacheBounds, id, false);
  if (err != noErr) DisposePictureCache();
  return err;
}

void DisposePictureCache() {
  if (gPictureCache) DisposeGWorld(gPictureCache);
  gPictureCache = nullptr;
  gPictureCacheBounds = Rect{};
}

void CopyOffscreenToPort(GWorldPtr world, const Rect* dstRect, const Rect* srcRect) {
  if (!world) return;
  PixMapHandle pixels = GetGWorldPixMap(world);
  LockPixels(pixels);
  {
    PlainColours plain;
    CopyBits(Bits(world), CurrentPortBits(), srcRect, dstRect, srcCopy, nullptr);
  }
  UnlockPixels(pixels);
}

OSErr CopyCachedPicture(const Rect* rect) {
  if (!gPictureCache) return paramErr;
  int16_t width = int16_t(gPictureCacheBounds.right - gPictureCacheBounds.left);
  int16_t height = int16_t(gPictureCacheBounds.bottom - gPictureCacheBounds.top);
  Rect dst{int16_t(rect->bottom - height), int16_t(rect->right - width), rect->bottom, rect->right};
  CopyOffscreenToPort(gPictureCache, &dst, &gPictureCacheBounds);
  return noErr;
}

void CopyGWorldRect(GWorldPtr source, const BitMap* mask, GWorldPtr destination, const Rect* sourceRect,
                    const Rect* destRect) {
  if (!source || !destination) return;
  PlainColours plain;
  if (mask) CopyMask(Bits(source), mask, Bits(destination), sourceRect, sourceRect, destRect);
  else CopyBits(Bits(source), Bits(destination), sourceRect, destRect, srcCopy, nullptr);
}

GWorldPtr DrawThroughOffscreen(OffscreenDrawProc drawProc, Rect* rect, const BitMap* mask, bool dispose) {
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&port, &device);
  Rect place = *rect;
  Rect local{0, 0, int16_t(place.bottom - place.top), int16_t(place.right - place.left)};
  GWorldPtr world = nullptr;
  if (NewGWorld(&world, 0, &local, nullptr, nullptr, 0) != noErr || !world) {
    drawProc(rect);
    return nullptr;
  }
  PixMapHandle pixels = GetGWorldPixMap(world);
  LockPixels(pixels);
  SetGWorld(world, nullptr);
  EraseRect(&local);
  *rect = local;
  drawProc(rect);
  SetGWorld(port, device);
  CopyGWorldRect(world, mask, port, &local, &place);
  *rect = place;
  UnlockPixels(pixels);
  if (dispose) {
    DisposeGWorld(world);
    return nullptr;
  }
  // Keeps what the port now shows there, for the caller to copy again later.
  PlainColours plain;
  CopyBits(GetPortBitMapForCopyBits(port), Bits(world), &place, &local, srcCopy, nullptr);
  return world;
}

void PlotColorIcon(int16_t id) {
  CIconHandle icon = GetCIcon(id);
  if (!icon) return;
  PlotCIcon(&gScratchRect, icon);
  DisposeCIcon(icon);
}

void DisposeCachedIcon() {
  if (gCachedStyleIcon) DisposeCIcon(gCachedStyleIcon);
  gCachedStyleIcon = nullptr;
}
