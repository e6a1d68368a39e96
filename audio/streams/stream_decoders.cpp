#include "audio/streams/stream_decoders.h"

uint32_t gStreamBufferBytes = kDefaultStreamBufferBytes;
uint16_t gStreamFormatFlags = 0;
uint16_t gSoundManagerVersion = 0x0306;
uint16_t gQuickTimeVersion = 0x0710;

int16_t OpenSoundConverters(EngineChannel*, int32_t, int32_t, int16_t, int16_t, const AudioFileDescription*, bool,
                            float) {
  return -4;
}
void CloseStreamDecoder(EngineChannel*) {}
int16_t CopySameRateBlock(EngineChannel*, int32_t, void*, uint8_t*) { return -4; }
int16_t DecodeThroughConverterChain(EngineChannel*, int32_t, void*, uint8_t*) { return -4; }
