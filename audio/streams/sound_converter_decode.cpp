#include "audio/streams/sound_converter_decode.h"

int16_t FillFromSoundConverter(EngineChannel*, int32_t, void*, uint8_t*) { return -4; }
bool SupplySoundConverterInput(SoundComponentData**, void*) { return false; }
