#include "audio/devices/coreaudio_settings.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/resource_files.h"

CoreAudioSettings gCoreAudioSettings;

namespace {

// Offsets of the record image.
enum : size_t {
  kAtBufferFrames = 0,
  kAtInputSource = 4,
  kAtInputStreamsUsed = 8,
  kAtFirstChannel = 12,
  kAtSecondChannel = 16,
  kAtClockSource = 20,
  kAtOutputName = 24,   // 256 bytes
  kAtInputOff = 280,
  kAtSkipFrames = 284,
  kAtStopDelay = 288,
  kAtOptionByte = 292,
  kAtAudioMode = 296,   // then reserved to 312
};
constexpr int32_t kMaxSkipFrames = 100000;
constexpr int32_t kMaxStopDelay = 60;

struct SettingsView : RecordView {
  using RecordView::RecordView;
  void Read(CoreAudioSettings* s) const {
    s->bufferFrames = U32(kAtBufferFrames);
    if (s->bufferFrames == 0) s->bufferFrames = kDefaultBufferFrames;
    s->inputSource = U32(kAtInputSource);
    s->inputStreamsUsed = U32(kAtInputStreamsUsed);
    s->firstChannel = std::max(0, I32(kAtFirstChannel));
    s->secondChannel = std::max(0, I32(kAtSecondChannel));
    s->clockSource = U32(kAtClockSource);
    std::memcpy(s->outputName, bytes() + kAtOutputName, sizeof s->outputName);
    s->inputOff = U8(kAtInputOff) != 0;
    s->skipFrames = std::clamp(I32(kAtSkipFrames), 0, kMaxSkipFrames);
    s->stopDelay = std::clamp(I32(kAtStopDelay), 0, kMaxStopDelay);
    s->optionByte = U8(kAtOptionByte);
    s->audioMode = std::clamp(I32(kAtAudioMode), 0, 5);
  }
  void Write(const CoreAudioSettings& s) {
    std::memset(bytes(), 0, kCoreAudioSettingsSize);
    SetU32(kAtBufferFrames, s.bufferFrames);
    SetU32(kAtInputSource, s.inputSource);
    SetU32(kAtInputStreamsUsed, s.inputStreamsUsed);
    SetI32(kAtFirstChannel, s.firstChannel);
    SetI32(kAtSecondChannel, s.secondChannel);
    SetU32(kAtClockSource, s.clockSource);
    std::memcpy(bytes() + kAtOutputName, s.outputName, sizeof s.outputName);
    SetU8(kAtInputOff, s.inputOff);
    SetI32(kAtSkipFrames, s.skipFrames);
    SetI32(kAtStopDelay, s.stopDelay);
    SetU8(kAtOptionByte, s.optionByte);
    SetI32(kAtAudioMode, s.audioMode);
  }
};

}  // namespace

bool ReadCoreAudioSettingsImage(const uint8_t* image, int32_t size, CoreAudioSettings* settings) {
  if (image == nullptr || size < 0 || size > kCoreAudioSettingsSize) return false;
  uint8_t full[kCoreAudioSettingsSize];
  WriteCoreAudioSettingsImage(*settings, full);
  std::memcpy(full, image, size_t(size));
  full[kAtOutputName + 255] = 0;  // keeps the name's length byte inside the field
  SettingsView(full).Read(settings);
  return true;
}

void WriteCoreAudioSettingsImage(const CoreAudioSettings& settings, uint8_t image[kCoreAudioSettingsSize]) {
  SettingsView(image).Write(settings);
}

bool LoadCoreAudioSettings() {
  gCoreAudioSettings = CoreAudioSettings();
  if (UsePrefsResFile() != noErr || gPrefsResFile == -1) {
    UseAppResFile();
    return false;
  }
  bool taken = false;
  Handle h = Get1Resource(kSettingsResType, kCoreAudioSettingsResId);
  if (h && *h) {
    taken = ReadCoreAudioSettingsImage(reinterpret_cast<const uint8_t*>(*h), int32_t(GetHandleSize(h)),
                                       &gCoreAudioSettings);
    ReleaseResource(h);
  }
  UseAppResFile();
  return taken;
}

OSErr SaveCoreAudioSettings() {
  Handle h = NewHandleClear(kCoreAudioSettingsSize);
  if (!h) return memFullErr;
  WriteCoreAudioSettingsImage(gCoreAudioSettings, reinterpret_cast<uint8_t*>(*h));
  OSErr err = WriteBMIDResource(&h, kCoreAudioSettingsResId, nullptr, true);
  DisposeHandle(h);
  return err;
}
