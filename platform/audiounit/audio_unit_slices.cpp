// The version-1 interface of a unit: input through an interleaved input callback, rendering
// a bus into one interleaved buffer, and the fast-dispatch procedures, which take the unit's
// instance storage in place of the unit. Engine thread: no allocation, no locks.
#include <algorithm>
#include <cstring>

#include "platform/audiounit/audio_unit_instance.h"

OSStatus PullInterleavedInput(AudioUnitInstance* u, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                              uint32_t frames) {
  uint32_t channels = uint32_t(u->audioIn.size());
  AudioBufferList list;
  list.mNumberBuffers = 1;
  list.mBuffers[0] = {channels, frames * channels * UInt32(sizeof(float)), u->interleaved.data()};
  AudioUnitRenderActionFlags pullFlags = flags != nullptr ? *flags : 0;
  AudioTimeStamp stamp = time != nullptr ? *time : AudioTimeStamp{};
  OSStatus status = u->inputCallback.inputProc(u->inputCallback.inputProcRefCon, &pullFlags, &stamp, 0, frames, &list);
  if (status != noErr) return status;
  const AudioBuffer& given = list.mBuffers[0];
  const auto* block = static_cast<const float*>(given.mData);
  // A callback may hand its own buffer; one too short gives silence.
  if (block == nullptr || given.mDataByteSize < frames * channels * sizeof(float)) {
    std::fill(u->inputs.begin(), u->inputs.end(), 0.0f);
    return noErr;
  }
  for (uint32_t c = 0; c < channels; ++c) {
    float* mine = &u->inputs[size_t(c) * u->maxFrames];
    for (uint32_t f = 0; f < frames; ++f) mine[f] = block[size_t(f) * channels + c];
  }
  return noErr;
}

OSStatus AudioUnitRenderSlice(AudioUnit unit, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                              uint32_t bus, uint32_t frames, AudioBufferList* data) {
  if (data == nullptr || data->mNumberBuffers != 1 || data->mBuffers[0].mData == nullptr) return paramErr;
  AudioBuffer& slice = data->mBuffers[0];
  uint32_t channels = slice.mNumberChannels;
  if (channels == 0 || slice.mDataByteSize < frames * channels * sizeof(float)) return paramErr;
  AudioUnitInstance* u = TryAcquireAudioUnit(unit);
  if (u == nullptr) {
    std::memset(slice.mData, 0, size_t(frames) * channels * sizeof(float));
    return FindAudioUnit(unit) != nullptr ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  }
  // The unit's own output buffers take the bus; the slice gets its first channels interleaved.
  constexpr uint32_t kMostChannels = 32;
  struct {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[kMostChannels];
  } own{};
  uint32_t outs = std::min<uint32_t>(uint32_t(u->audioOut.size()), kMostChannels);
  own.mNumberBuffers = outs;
  for (uint32_t c = 0; c < outs; ++c) own.mBuffers[c] = {1, frames * UInt32(sizeof(float)), nullptr};
  OSStatus status = u->audioOut.size() > kMostChannels
                        ? OSStatus(kAudioUnitErr_FormatNotSupported)
                        : RenderHeldUnit(u, flags, time, bus, frames, reinterpret_cast<AudioBufferList*>(&own));
  auto* out = static_cast<float*>(slice.mData);
  for (uint32_t c = 0; c < channels; ++c) {
    const float* from = status == noErr && c < outs ? static_cast<const float*>(own.mBuffers[c].mData) : nullptr;
    for (uint32_t f = 0; f < frames; ++f) out[size_t(f) * channels + c] = from ? from[f] : 0.0f;
  }
  ReleaseAudioUnit(unit);
  return status;
}

void* GetComponentInstanceStorage(ComponentInstance instance) { return FindAudioUnit(instance); }

namespace {

AudioUnit UnitOfStorage(void* storage) {
  return storage != nullptr ? static_cast<AudioUnitInstance*>(storage)->id : 0;
}

OSStatus FastRender(void* storage, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, uint32_t bus,
                    uint32_t frames, AudioBufferList* data) {
  return AudioUnitRender(UnitOfStorage(storage), flags, time, bus, frames, data);
}

OSStatus FastRenderSlice(void* storage, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                         uint32_t bus, uint32_t frames, AudioBufferList* data) {
  return AudioUnitRenderSlice(UnitOfStorage(storage), flags, time, bus, frames, data);
}

OSStatus FastMidiEvent(void* storage, uint32_t status, uint32_t data1, uint32_t data2, uint32_t offset) {
  return MusicDeviceMIDIEvent(UnitOfStorage(storage), status, data1, data2, offset);
}

}  // namespace

void* FastDispatchProcedure(uint32_t selector) {
  switch (selector) {
    case kAudioUnitRenderSelect: return reinterpret_cast<void*>(&FastRender);
    case kAudioUnitRenderSliceSelect: return reinterpret_cast<void*>(&FastRenderSlice);
    case kMusicDeviceMIDIEventSelect: return reinterpret_cast<void*>(&FastMidiEvent);
    default: return nullptr;
  }
}
