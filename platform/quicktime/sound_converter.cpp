#include "platform/quicktime/sound_converter.h"

OSErr SoundConverterOpen(const SoundComponentData*, const SoundComponentData*, SoundConverter* converter) {
  if (converter) *converter = nullptr;
  return kBadFormatErr;
}
OSErr SoundConverterClose(SoundConverter) { return 0; }
OSErr SoundConverterSetInfo(SoundConverter, OSType, const void*, uint32_t) { return kSiUnknownInfoType; }
OSErr SoundConverterGetBufferSizes(SoundConverter, uint32_t, uint32_t*, uint32_t*, uint32_t*) { return -50; }
OSErr SoundConverterBeginConversion(SoundConverter) { return -50; }
OSErr SoundConverterFillBuffer(SoundConverter, SoundConverterFillBufferDataProc, void*, void*, uint32_t,
                               uint32_t*, uint32_t*, uint32_t*) {
  return -50;
}
