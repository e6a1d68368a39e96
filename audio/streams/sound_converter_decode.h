// Decoding a stream half through the channel's Sound Converter: the converter pulls the raw
// input of the channel's current input half through the fill callback.
#pragma once

#include <cstdint>

#include "platform/quicktime/sound_converter.h"

struct EngineChannel;

// The decode procedure of converter channels: fills decodedBlockBytes of `destination`, zero
// past what the converter wrote; sets the half's halfAtEnd when the source ended. The
// converter's result (0 or negative; a negative one is latched by the caller).
int16_t FillFromSoundConverter(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag);
// The converter's fill-buffer-data callback (refCon: the channel).
bool SupplySoundConverterInput(SoundComponentData** data, void* refCon);
