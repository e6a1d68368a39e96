// Records passed by pointer between a VST 2.4 host and its plug-ins: events, time information,
// pin and parameter properties, speaker arrangements, editor rectangles and keys. 64-bit layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/vst/vst_interface.h"

// Event types of VstEvent::type.
enum : VstInt32 {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// The common head of every event; byteSize counts the bytes after the first eight.
struct VstEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;  // frame offset within the next processed block
  VstInt32 flags;
  char data[16];
};
static_assert(sizeof(VstEvent) == 32);

// A block of events handed over by kEffProcessEvents or kAudioMasterProcessEvents. The
// array is declared with two entries but holds numEvents.
struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];
};
static_assert(offsetof(VstEvents, events) == 16);

enum : VstInt32 {
  kVstMidiEventIsRealtime = 1 << 0,
};

struct VstMidiEvent {
  VstInt32 type;         // kVstMidiType
  VstInt32 byteSize;     // sizeof(VstMidiEvent)
  VstInt32 deltaFrames;
  VstInt32 flags;        // kVstMidiEventIsRealtime
  VstInt32 noteLength;   // in frames, 0 when unknown
  VstInt32 noteOffset;   // in frames into the note
  char midiData[4];      // one to three MIDI bytes, the fourth is 0
  char detune;           // -64..63 cents
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};
static_assert(sizeof(VstMidiEvent) == 32);
static_assert(offsetof(VstMidiEvent, midiData) == 24);

struct VstMidiSysexEvent {
  VstInt32 type;  // kVstSysExType
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};
static_assert(sizeof(VstMidiSysexEvent) == 48);

// The host's transport state, answered to kAudioMasterGetTime.
struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;
  VstInt32 samplesToNextClock;
  VstInt32 flags;  // kVstTransport... and kVst...Valid
};
static_assert(sizeof(VstTimeInfo) == 88);

// Bits of VstTimeInfo::flags; the ...Valid bits are also the filter of kAudioMasterGetTime.
enum : VstInt32 {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstAutomationWriting = 1 << 6,
  kVstAutomationReading = 1 << 7,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

// Answers of kAudioMasterGetCurrentProcessLevel.
enum : VstInt32 {
  kVstProcessLevelUnknown = 0,
  kVstProcessLevelUser = 1,
  kVstProcessLevelRealtime = 2,
  kVstProcessLevelPrefetch = 3,
  kVstProcessLevelOffline = 4,
};

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  VstInt32 flags;            // 1 active, 2 first of a stereo pair, 4 uses the arrangement type
  VstInt32 arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};
static_assert(sizeof(VstPinProperties) == 128);

struct VstParameterProperties {
  float stepFloat;
  float smallStepFloat;
  float largeStepFloat;
  char label[kVstMaxLabelLen];
  VstInt32 flags;
  VstInt32 minInteger;
  VstInt32 maxInteger;
  VstInt32 stepInteger;
  VstInt32 largeStepInteger;
  char shortLabel[kVstMaxShortLabelLen];
  VstInt16 displayIndex;
  VstInt16 category;
  VstInt16 numParametersInCategory;
  VstInt16 reserved;
  char categoryLabel[24];
  char future[16];
};
static_assert(sizeof(VstParameterProperties) == 152);

struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[kVstMaxNameLen];
  VstInt32 type;
  char future[28];
};
static_assert(sizeof(VstSpeakerProperties) == 112);

// A speaker arrangement; allocated for numChannels speakers (8 + 112 x n bytes), the
// array is declared with eight.
struct VstSpeakerArrangement {
  VstInt32 type;
  VstInt32 numChannels;
  VstSpeakerProperties speakers[8];
};
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8);

struct VstVariableIo {
  float** inputs;
  float** outputs;
  VstInt32 numSamplesInput;
  VstInt32 numSamplesOutput;
  VstInt32* numSamplesInputProcessed;
  VstInt32* numSamplesOutputProcessed;
};

// An editor's rectangle, answered to kEffEditGetRect.
struct ERect {
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

// A key handed to an editor (kEffEditKeyDown, kEffEditKeyUp).
struct VstKeyCode {
  VstInt32 character;
  unsigned char virt;
  unsigned char modifier;
};

// Records that only pass through the frame untouched; their contents are not used here.
struct VstFileSelect;
struct VstOfflineTask;
struct VstAudioFile;
struct VstPatchChunkInfo;
struct VstWindow;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
