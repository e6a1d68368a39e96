// Helpers for the component layer's tests: the LV2 path (the installed plug-ins and the test
// bundle), finding components by name, opening units, and rendering a signal through them.
#pragma once

#include <string>
#include <vector>

#include "platform/audiounit/audio_unit.h"

// The installed delay (a ramp comes out late by the samples asked for), an instrument and the
// test bundle's plug-ins.
inline constexpr const char* kDelayName = "LSP LV2: LSP Delay Compensator Mono";
inline constexpr const char* kSamplerName = "LSP LV2: LSP Sampler Mono";
inline constexpr const char* kPulseName = "Zarin Tests: Pulse";

Component FindComponentNamed(const std::string& name);
std::string ComponentName(Component component);

// An open unit, closed when it goes.
struct TestUnit {
  explicit TestUnit(const std::string& name, double rate = 48000.0, uint32_t maxFrames = 512);
  ~TestUnit();
  TestUnit(const TestUnit&) = delete;
  TestUnit& operator=(const TestUnit&) = delete;
  AudioUnit unit = 0;
};

// The id of the parameter with this name, or -1.
long ParameterNamed(AudioUnit unit, const std::string& name);
float GetParam(AudioUnit unit, long id);
OSStatus SetParam(AudioUnit unit, long id, float value);

// Renders input (one channel; empty for units without input) in blocks of blockFrames through
// the render callback and answers the first output channel of frames frames.
std::vector<float> RenderMono(AudioUnit unit, const std::vector<float>& input, uint32_t frames, uint32_t blockFrames);
// A ramp 1, 2, 3, ... scaled by step.
std::vector<float> Ramp(uint32_t frames, float step);
