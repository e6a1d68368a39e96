#include "audio/streams/stream_media_hooks.h"

#include <cstring>

#include "audio/engine/engine_channels.h"

StreamMediaHooks gStreamMediaHooks = {};

// Interim: media owns the classes; these are the rules the decoders rely on.
int16_t ClassifySampleFormat(OSType format, int16_t width) {
  if (width > 32) return kFormatClassForeign;
  switch (format) {
    case 0:
    case FourCC("raw "): return kFormatClassUnsigned;
    case FourCC("NONE"):
    case FourCC("in24"):
    case FourCC("twos"): return kFormatClassSignedBig;
    case FourCC("fl32"): return kFormatClassFloat;
    case FourCC("sowt"):
    case FourCC("23ni"): return kFormatClassLittle;
    case FourCC("lpcm"): return kFormatClassForeign;
    default: return width == 8 ? kFormatClassSignedBig : kFormatClassForeign;
  }
}

int16_t ClassifyFileFormat(OSType format, int16_t width, const AudioFileDescription* description) {
  if (description && description->waveFormat) return kFormatClassForeign;
  return ClassifySampleFormat(format, description ? int16_t(16) : width);
}

int16_t OpenMovieAudioExtraction(EngineChannel* channel, const AudioFileDescription* description, int32_t budgetBytes) {
  if (!gStreamMediaHooks.openMovieAudioExtraction) return -4;
  return gStreamMediaHooks.openMovieAudioExtraction(channel, description, budgetBytes);
}

TrackAudioRecord* GetActiveTrackAudio() {
  return gStreamMediaHooks.getActiveTrackAudio ? gStreamMediaHooks.getActiveTrackAudio() : nullptr;
}

void CloseMovieAudioExtraction(EngineChannel* channel) {
  if (gStreamMediaHooks.closeMovieAudioExtraction) gStreamMediaHooks.closeMovieAudioExtraction(channel);
}

int16_t DecodeOggStream(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag) {
  if (gStreamMediaHooks.decodeOggStream) return gStreamMediaHooks.decodeOggStream(channel, half, destination, endFlag);
  // Without media's decoder the half is silence, never what the buffer held before.
  if (channel && destination && channel->decodedBlockBytes > 0)
    std::memset(destination, 0, size_t(channel->decodedBlockBytes));
  return -4;
}
