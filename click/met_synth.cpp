#include "click/met_synth.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

const char* const kClickFileNames[2] = {"MBeat.aif", "MBar.aif"};

MetSynth::MetSynth(AudioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, 0) {
  programs = static_cast<ClickProgram*>(std::calloc(1, sizeof(ClickProgram)));
  if (programs) CopyVstString(programs[0].name, "None", sizeof programs[0].name);
  curProgram = 0;
  if (audioMaster) {
    SetNumInputs(0);
    SetNumOutputs(1);
    SetCanProcessReplacing(true);
    SetIsSynth(true);
    SetUniqueId(kClickUniqueId);
  }
  ResetClickState();
}

MetSynth::~MetSynth() {
  FreeClickSamples();
  std::free(programs);
}

AudioEffect* CreateMetSynth(AudioMasterCallback audioMaster) {
  MetSynth* synth = new (std::nothrow) MetSynth(audioMaster);
  if (synth && !synth->IsReady()) {
    delete synth;
    synth = nullptr;
  }
  return synth;
}

void MetSynth::ResetClickState() {
  bufferRate = 44100.0f;
  playing = 0;
  startOffset = 0;
  bufferLength[kBeatClick] = bufferLength[kBarClick] = 0;
  clickBuffer[kBeatClick] = clickBuffer[kBarClick] = nullptr;
}

// Loading happens here, not in the base: the plug-in never asks the host for MIDI. Clicks
// converted for another rate than the host's (a rate change while switched on) are made
// again now.
void MetSynth::Resume() {
  switchedOn = true;
  if ((clickBuffer[kBeatClick] || clickBuffer[kBarClick]) && bufferRate != sampleRate)
    FreeClickSamples();
  LoadClickSamples();
}

// The buffers are freed and made again only while switched off: between resume and suspend
// the audio thread may be reading them, so the rate is only kept for the next resume.
void MetSynth::SetSampleRate(float rate) {
  // A rate the conversion cannot use is not taken.
  if (!(rate > 0.0f) || !std::isfinite(rate)) return;
  AudioEffectX::SetSampleRate(rate);
  if (rate == bufferRate || switchedOn) return;
  playing = 0;
  FreeClickSamples();
  LoadClickSamples();
}

// ---- MIDI

VstInt32 MetSynth::ProcessEvents(VstEvents* events) {
  if (!events) return 1;
  VstEvent* const* list = events->events;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = list[i];
    if (event && event->type == kVstMidiType)
      HandleMidiEvent(reinterpret_cast<const VstMidiEvent*>(event));
  }
  return 1;
}

void MetSynth::HandleMidiEvent(const VstMidiEvent* event) {
  uint8_t status = static_cast<uint8_t>(event->midiData[0]);
  uint8_t data1 = static_cast<uint8_t>(event->midiData[1]);
  uint8_t data2 = static_cast<uint8_t>(event->midiData[2]);
  uint8_t kind = status & 0xF0;
  if (kind == 0x90 || kind == 0x80) {
    int note = data1 & 0x7F;
    int velocity = kind == 0x80 ? 0 : (data2 & 0x7F);
    if (velocity == 0 && note == lastNote) return;  // the click sounds to its end
    StartClick(note, velocity, event->deltaFrames);
  } else if (kind == 0xB0 && data1 == kStopClickController) {
    playing = 0;
  }
}

// A note-on, or a note-off of another note (gain 0), restarts the one click voice.
void MetSynth::StartClick(int note, int velocity, VstInt32 deltaFrames) {
  position = 0;
  int k = note <= kLastBarClickNote ? kBarClick : kBeatClick;
  if (!clickBuffer[k]) {
    // Never leave a sounding click without its samples.
    playing = 0;
    return;
  }
  currentBuffer = clickBuffer[k];
  clickLength = bufferLength[k];
  lastNote = note;
  gain = static_cast<float>(velocity / 127.0);
  startOffset = deltaFrames;
  playing = 1;
}

// ---- rendering

void MetSynth::ProcessReplacing(float**, float** outputs, VstInt32 frames) {
  if (!outputs || !outputs[0] || frames <= 0) return;
  float* out = outputs[0];
  VstInt32 i = 0;
  if (playing) {
    if (startOffset >= 0) {
      VstInt32 offset = startOffset >= frames ? 0 : startOffset;
      for (; i < offset; ++i) out[i] = 0.0f;
      startOffset = 0;
    }
    for (; i < frames; ++i) {
      if (position >= clickLength) {
        playing = 0;
        position = 0;
        break;
      }
      out[i] = currentBuffer[position++] * gain;
    }
  }
  for (; i < frames; ++i) out[i] = 0.0f;
}

void MetSynth::Process(float**, float** outputs, VstInt32 frames) {
  if (!playing || !outputs || !outputs[0] || frames <= 0) return;
  float* out = outputs[0];
  VstInt32 i = 0;
  if (startOffset >= 0) {
    i = startOffset >= frames ? 0 : startOffset;
    startOffset = 0;
  }
  for (; i < frames; ++i) {
    if (position >= clickLength) {
      playing = 0;
      position = 0;
      break;
    }
    out[i] += currentBuffer[position++] * gain;
  }
}

// ---- names and answers

ClickProgram* MetSynth::CurrentProgram() {
  return &programs[curProgram >= 0 && curProgram < numPrograms ? curProgram : 0];
}

void MetSynth::SetProgramName(char* text) {
  CopyVstString(CurrentProgram()->name, text, sizeof(ClickProgram::name));
}

void MetSynth::GetProgramName(char* text) {
  CopyVstString(text, CurrentProgram()->name, kVstMaxProgNameLen);
}

bool MetSynth::GetEffectName(char* text) {
  CopyVstString(text, "Metronome", kVstMaxEffectNameLen);
  return true;
}

bool MetSynth::GetVendorString(char* text) {
  CopyVstString(text, "Ruvok Technology", kVstMaxVendorStrLen);
  return true;
}

bool MetSynth::GetProductString(char* text) {
  CopyVstString(text, "Metronome", kVstMaxProductStrLen);
  return true;
}

VstInt32 MetSynth::CanDo(char* text) {
  if (std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0)
    return 1;
  return -1;
}
