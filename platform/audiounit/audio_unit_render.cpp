// Rendering: the unit pulls its input through the host's render callback, takes the control
// values and the queued MIDI, runs the plug-in into the caller's buffers (one non-interleaved
// f32 buffer per channel) and publishes its output controls. Engine thread: no allocation, no
// locks; a unit that is busy on the main thread renders silence for that block.
#include <algorithm>
#include <cstring>

#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/audio_unit_midi.h"

namespace {

void Silence(AudioBufferList* data, uint32_t frames) {
  for (UInt32 b = 0; data != nullptr && b < data->mNumberBuffers; ++b)
    if (data->mBuffers[b].mData != nullptr)
      std::memset(data->mBuffers[b].mData, 0, std::min<size_t>(data->mBuffers[b].mDataByteSize, frames * sizeof(float)));
}

// The caller's output list: one buffer per output channel, each long enough; a buffer without
// data is given the unit's own.
OSStatus CheckOutputs(AudioUnitInstance* u, AudioBufferList* data, uint32_t frames) {
  if (data == nullptr || data->mNumberBuffers != u->audioOut.size()) return paramErr;
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b) {
    AudioBuffer& buffer = data->mBuffers[b];
    if (buffer.mData == nullptr) {
      buffer.mData = &u->outputs[size_t(b) * u->maxFrames];
      buffer.mDataByteSize = frames * sizeof(float);
      buffer.mNumberChannels = 1;
    } else if (buffer.mDataByteSize < frames * sizeof(float)) {
      return paramErr;
    }
  }
  return noErr;
}

// Asks the host for the input and copies it into the unit's input buffers (a short or missing
// buffer gives silence for its channel).
OSStatus PullInput(AudioUnitInstance* u, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                   uint32_t frames) {
  if (u->audioIn.empty()) return noErr;
  if (u->renderCallback.inputProc == nullptr && u->inputCallback.inputProc != nullptr)
    return PullInterleavedInput(u, flags, time, frames);
  if (u->renderCallback.inputProc == nullptr) return kAudioUnitErr_NoConnection;
  auto* list = reinterpret_cast<AudioBufferList*>(u->inputListBytes.data());
  list->mNumberBuffers = UInt32(u->audioIn.size());
  for (UInt32 c = 0; c < list->mNumberBuffers; ++c)
    list->mBuffers[c] = {1, frames * UInt32(sizeof(float)), &u->inputs[size_t(c) * u->maxFrames]};
  AudioUnitRenderActionFlags pullFlags = flags != nullptr ? *flags : 0;
  AudioTimeStamp stamp = time != nullptr ? *time : AudioTimeStamp{};
  OSStatus status = u->renderCallback.inputProc(u->renderCallback.inputProcRefCon, &pullFlags, &stamp, 0, frames, list);
  if (status != noErr) return status;
  for (UInt32 c = 0; c < UInt32(u->audioIn.size()); ++c) {
    float* mine = &u->inputs[size_t(c) * u->maxFrames];
    const AudioBuffer* given = c < list->mNumberBuffers ? &list->mBuffers[c] : nullptr;
    if (given == nullptr || given->mData == nullptr || given->mDataByteSize < frames * sizeof(float))
      std::memset(mine, 0, frames * sizeof(float));
    else if (given->mData != mine)
      std::memcpy(mine, given->mData, frames * sizeof(float));
  }
  return noErr;
}

// A plug-in without an enable port is bypassed by the unit itself: input to output.
void PassThrough(AudioUnitInstance* u, AudioBufferList* data, uint32_t frames) {
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b) {
    auto* out = static_cast<float*>(data->mBuffers[b].mData);
    if (b < u->audioIn.size()) std::memcpy(out, &u->inputs[size_t(b) * u->maxFrames], frames * sizeof(float));
    else std::memset(out, 0, frames * sizeof(float));
  }
}

void ConnectSignalPorts(AudioUnitInstance* u, AudioBufferList* data) {
  for (size_t c = 0; c < u->audioIn.size(); ++c)
    lilv_instance_connect_port(u->lv2, u->audioIn[c], &u->inputs[c * u->maxFrames]);
  for (size_t c = 0; c < u->audioOut.size(); ++c)
    lilv_instance_connect_port(u->lv2, u->audioOut[c], data != nullptr ? data->mBuffers[c].mData : &u->outputs[c * u->maxFrames]);
  for (const Lv2Port& p : u->ports)
    if (p.kind == Lv2PortKind::kCv)
      lilv_instance_connect_port(u->lv2, p.index, p.input ? &u->spare[0] : &u->spare[u->maxFrames]);
}

void TakeControls(AudioUnitInstance* u) {
  for (uint32_t id : u->parameters)
    if (u->ports[id].input) u->controls[id] = u->values[id].load(std::memory_order_relaxed);
  if (u->enabledPort >= 0 && u->bypass.load(std::memory_order_relaxed) != 0) u->controls[uint32_t(u->enabledPort)] = 0.0f;
}

void PublishControls(AudioUnitInstance* u) {
  for (uint32_t id : u->parameters)
    if (!u->ports[id].input) u->values[id].store(u->controls[id], std::memory_order_relaxed);
}

}  // namespace

void RunSilentBlock(AudioUnitInstance* u) {
  std::fill(u->inputs.begin(), u->inputs.end(), 0.0f);
  TakeControls(u);
  WriteMidiSequence(u, 0);
  PrepareAtomPorts(u);
  ConnectSignalPorts(u, nullptr);
  lilv_instance_run(u->lv2, std::min<uint32_t>(u->maxFrames, 256));
  PublishControls(u);
}

OSStatus RenderHeldUnit(AudioUnitInstance* u, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                    uint32_t bus, uint32_t frames, AudioBufferList* data) {
  if (!u->initialized) return kAudioUnitErr_Uninitialized;
  if (bus != 0) return kAudioUnitErr_InvalidElement;
  if (frames > u->maxFrames) return kAudioUnitErr_TooManyFramesToProcess;
  OSStatus status = CheckOutputs(u, data, frames);
  if (status != noErr) return status;
  status = PullInput(u, flags, time, frames);
  if (status != noErr) {
    Silence(data, frames);
    return status;
  }
  if (u->bypass.load(std::memory_order_relaxed) != 0 && u->enabledPort < 0) {
    PassThrough(u, data, frames);
    DropQueuedMidi(u);
    return noErr;
  }
  TakeControls(u);
  WriteMidiSequence(u, frames);
  PrepareAtomPorts(u);
  ConnectSignalPorts(u, data);
  lilv_instance_run(u->lv2, frames);
  PublishControls(u);
  return noErr;
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, uint32_t bus,
                         uint32_t frames, AudioBufferList* data) {
  AudioUnitInstance* u = TryAcquireAudioUnit(unit);
  if (u == nullptr) {
    Silence(data, frames);
    return FindAudioUnit(unit) != nullptr ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  }
  OSStatus status = RenderHeldUnit(u, flags, time, bus, frames, data);
  ReleaseAudioUnit(unit);
  return status;
}
