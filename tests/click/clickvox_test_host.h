// A small VST host for the Clickvox tests: it loads the built Clickvox.so with dlopen, makes
// instances through VSTPluginMain with its own callback, and sends notes and blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vst/vst_interface.h"
#include "platform/vst/vst_records.h"

// What the test host answers and what it was asked.
struct TestHostState {
  VstIntPtr version = kVstVersion;
  bool answerDirectory = true;
  std::string directory;           // answer to the directory request (a path)
  std::vector<VstInt32> requests;  // audioMaster opcodes received, in order
};
extern TestHostState gTestHost;

VstIntPtr TestHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt);

// VSTPluginMain of the plug-in at `path` (loaded once and kept), or null.
VstPluginMainProc LoadClickvoxMain(const std::string& path = CLICKVOX_PATH);
// The folder that holds the built Clickvox.so and its samples.
std::string ClickvoxFolder();

size_t CountRequests(VstInt32 opcode);

// One plug-in instance, closed (and so destroyed) at the end.
class ClickvoxInstance {
 public:
  explicit ClickvoxInstance(const std::string& path = CLICKVOX_PATH);
  ~ClickvoxInstance();
  ClickvoxInstance(const ClickvoxInstance&) = delete;
  ClickvoxInstance& operator=(const ClickvoxInstance&) = delete;

  AEffect* effect() const { return effect_; }
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                     void* ptr = nullptr, float opt = 0.0f);
  void Resume() { Dispatch(kEffMainsChanged, 0, 1); }
  void Suspend() { Dispatch(kEffMainsChanged, 0, 0); }
  void SetSampleRate(float rate) { Dispatch(kEffSetSampleRate, 0, 0, nullptr, rate); }
  // Sends one MIDI event of up to three bytes at a frame offset.
  void SendMidi(uint8_t status, uint8_t data1, uint8_t data2, VstInt32 deltaFrames = 0);
  void NoteOn(uint8_t note, uint8_t velocity = 127, VstInt32 deltaFrames = 0) {
    SendMidi(0x90, note, velocity, deltaFrames);
  }
  // One block through processReplacing, written over `fill`.
  std::vector<float> Replace(size_t frames, float fill = 0.75f);
  // One block through process, added to `fill`.
  std::vector<float> Accumulate(size_t frames, float fill = 0.75f);
  // Replacing blocks of `block` frames until `total` frames are rendered.
  std::vector<float> ReplaceFrames(size_t total, size_t block = 64);

 private:
  AEffect* effect_ = nullptr;
};

// Writes a click file of 16-bit mono samples.
void WriteClickFile(const std::string& path, const std::vector<int16_t>& samples,
                    double rate = 44100.0);
// 16-bit samples that rise (sign +1: 2, 4, 6 ...) or fall (sign -1: -2, -4 ...).
std::vector<int16_t> RampSamples(size_t frames, int sign);
// The float a 16-bit sample stands for.
inline float SampleFloat(int v) { return static_cast<float>(v / 32768.0); }
