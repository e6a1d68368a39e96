#include "shell/drawing/scratch_pictures.h"

#include "platform/quickdraw/pictures.h"
#include "shell/drawing/scratch_rect.h"

PicHandle DrawPictureInScratchRect(int16_t id) {
  if (id == 0) return nullptr;
  PicHandle picture = GetPicture(id);
  if (picture) DrawPicture(picture, &gScratchRect);
  return picture;
}
