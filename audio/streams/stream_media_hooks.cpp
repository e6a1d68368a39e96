#include "audio/streams/stream_media_hooks.h"

StreamMediaHooks gStreamMediaHooks = {};

int16_t ClassifySampleFormat(OSType, int16_t) { return kFormatClassForeign; }
int16_t ClassifyFileFormat(OSType, int16_t, const AudioFileDescription*) { return kFormatClassForeign; }
int16_t OpenMovieAudioExtraction(EngineChannel*, const AudioFileDescription*, int32_t) { return -4; }
void CloseMovieAudioExtraction(EngineChannel*) {}
int16_t DecodeOggStream(EngineChannel*, int32_t, void*, uint8_t*) { return -4; }
