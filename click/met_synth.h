// The click instrument: a VST 2.4 synth with one output and no parameters that plays the bar
// click ("MBar.aif", notes 0 to 84) or the beat click ("MBeat.aif", notes 85 to 127) for each
// MIDI note, scaled by the note's velocity and started at the note's frame in the block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "click/audio_effect_x.h"

constexpr VstInt32 kClickUniqueId = static_cast<VstInt32>(FourCC("CkVx"));
constexpr int kBeatClick = 0;
constexpr int kBarClick = 1;
constexpr int kLastBarClickNote = 84;
// Controller 126 stops the sounding click.
constexpr uint8_t kStopClickController = 126;
extern const char* const kClickFileNames[2];  // "MBeat.aif", "MBar.aif"

struct ClickProgram {
  char name[kVstMaxProgNameLen];  // at most 23 characters and a terminating zero
};

class MetSynth : public AudioEffectX {
 public:
  explicit MetSynth(AudioMasterCallback audioMaster);
  ~MetSynth() override;
  // False when the constructor could not allocate the program table.
  bool IsReady() const { return programs != nullptr; }

  void Suspend() override { switchedOn = false; }
  void Resume() override;
  void SetSampleRate(float rate) override;
  void ProcessReplacing(float** inputs, float** outputs, VstInt32 frames) override;
  void Process(float** inputs, float** outputs, VstInt32 frames) override;
  VstInt32 ProcessEvents(VstEvents* events) override;
  void SetProgramName(char* text) override;
  void GetProgramName(char* text) override;
  bool GetEffectName(char* text) override;
  bool GetVendorString(char* text) override;
  bool GetProductString(char* text) override;
  VstInt32 GetVendorVersion() override { return 1; }
  VstInt32 CanDo(char* text) override;

  // Loads and converts both click files once (click_samples.cpp); -43 when they are loaded
  // already or no folder is known.
  OSErr LoadClickSamples();
  void FreeClickSamples();
  void ResetClickState();

 private:
  OSErr LoadClickSample(int k, const char* folder, bool* stop);
  void HandleMidiEvent(const VstMidiEvent* event);
  void StartClick(int note, int velocity, VstInt32 deltaFrames);
  ClickProgram* CurrentProgram();

  float* currentBuffer = nullptr;  // the playing click: one of clickBuffer
  uint32_t clickLength = 0;
  uint32_t bufferLength[2] = {};   // samples in each buffer
  uint32_t dataOffset[2] = {};     // where the samples start in each file
  float* clickBuffer[2] = {};      // converted to bufferRate; null when not loaded
  uint32_t position = 0;           // next sample of the playing click
  ClickProgram* programs = nullptr;
  int32_t lastNote = -1;
  float gain = 0.0f;
  float fileRate = 0.0f;
  float bufferRate = 44100.0f;
  int32_t startOffset = 0;         // frame of the next block at which the click starts
  uint8_t playing = 0;
  bool switchedOn = false;         // between resume and suspend: the host may be processing
};

// Makes the instrument object, or null when it cannot be made.
AudioEffect* CreateMetSynth(AudioMasterCallback audioMaster);

// The folder to take the click files from: the host's answer to the directory request when
// it names one (a folder, or a file whose folder is meant), else the folder of the loaded
// plug-in. False when neither is known or the path does not fit.
bool FindClickSampleFolder(const char* hostAnswer, char* folder, size_t capacity);
