#include "audio/streams/sound_converter_decode.h"

#include <cstring>

#include "audio/engine/engine_channels.h"

int16_t FillFromSoundConverter(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag) {
  (void)endFlag;
  if (!channel || !destination || channel->decodedBlockBytes <= 0) return -50;
  half &= 1;
  channel->fillInProgress = 1;
  uint32_t bytes = 0, frames = 0, flags = 0;
  OSErr result = SoundConverterFillBuffer(static_cast<SoundConverter>(channel->soundConverter), SupplySoundConverterInput,
                                          channel, destination, uint32_t(channel->decodedBlockBytes), &bytes, &frames,
                                          &flags);
  channel->fillInProgress = 0;
  if (flags) channel->halfAtEnd[half] = 1;
  if (bytes > uint32_t(channel->decodedBlockBytes)) bytes = 0;
  if (bytes < uint32_t(channel->decodedBlockBytes))  // never stale samples behind a short fill
    std::memset(static_cast<uint8_t*>(destination) + bytes, 0, size_t(uint32_t(channel->decodedBlockBytes) - bytes));
  return result;
}

bool SupplySoundConverterInput(SoundComponentData** data, void* refCon) {
  auto* channel = static_cast<EngineChannel*>(refCon);
  if (!data || !channel) return false;
  ExtendedSoundComponentData& offer = channel->extendedInput;
  *data = &offer.desc;
  offer.bufferFlags = 0;
  if (!channel->fillInProgress) {  // a later call within the same fill offers nothing
    offer.desc.buffer = nullptr;
    offer.bufferSize = 0;
    return false;
  }
  channel->fillInProgress = 0;
  uint8_t half = channel->currentInputHalf & 1;
  channel->currentInputHalf = half ^ 1;
  uint32_t bytes = channel->halfInputBytes[half];
  uint32_t full = channel->inputBytesPerCall > 0 ? uint32_t(channel->inputBytesPerCall) : 0;
  if (bytes > full) bytes = full;  // never more than the buffer holds
  if (bytes < full) {               // the last piece of the source
    channel->halfInputBytes[0] = channel->halfInputBytes[1] = 0;
    offer.bufferFlags = kExtendedSoundBufferEndOfStream;
  }
  offer.desc.buffer = bytes ? channel->inputBuffers[half] : nullptr;
  offer.bufferSize = int32_t(bytes);
  offer.desc.sampleCount = channel->inputBytesPerFrame ? int32_t(bytes / channel->inputBytesPerFrame) : 0;
  return true;
}
