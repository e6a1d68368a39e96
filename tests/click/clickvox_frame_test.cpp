// What a VST host sees of Clickvox before any sound: the record, the names and answers of
// the dispatcher, the program name, the entry point, and the library's exports.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "click/met_synth.h"
#include "tests/click/clickvox_test_host.h"

namespace {

class ClickvoxFrameTest : public ::testing::Test {
 protected:
  void SetUp() override { gTestHost = TestHostState{}; }
};

TEST_F(ClickvoxFrameTest, RecordDescribesAMonoSynthWithoutParameters) {
  ClickvoxInstance plugin;
  AEffect* e = plugin.effect();
  ASSERT_NE(e, nullptr) << dlerror();
  EXPECT_EQ(e->magic, FourCC("VstP"));
  EXPECT_EQ(e->flags, kEffFlagsCanReplacing | kEffFlagsIsSynth);
  EXPECT_EQ(e->uniqueID, FourCC("CkVx"));
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 1);
  EXPECT_EQ(e->numParams, 0);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->version, 1);  // the plug-in's own version; the interface version is opcode 58
  EXPECT_EQ(plugin.Dispatch(kEffGetVstVersion), kVstVersion);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->resvd1, 0);
  EXPECT_EQ(e->resvd2, 0);
  EXPECT_EQ(e->user, nullptr);
  EXPECT_NE(e->object, nullptr);
  EXPECT_NE(e->dispatcher, nullptr);
  EXPECT_NE(e->process, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_NE(e->setParameter, nullptr);
  EXPECT_EQ(e->getParameter(e, 0), 0.0f);
  EXPECT_EQ(std::string(e->future, sizeof e->future), std::string(sizeof e->future, '\0'));
  // The first thing the plug-in did was ask the host for its version.
  ASSERT_FALSE(gTestHost.requests.empty());
  EXPECT_EQ(gTestHost.requests.front(), kAudioMasterVersion);
}

TEST_F(ClickvoxFrameTest, NoPluginForAHostWithoutVersionOrCallback) {
  VstPluginMainProc main = LoadClickvoxMain();
  ASSERT_NE(main, nullptr);
  gTestHost.version = 0;
  EXPECT_EQ(main(TestHostCallback), nullptr);
  EXPECT_EQ(main(nullptr), nullptr);
}

TEST_F(ClickvoxFrameTest, NamesOfThePlugin) {
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  // Each text must fit, with its terminating zero, in the size the interface gives the host.
  struct Case {
    VstInt32 opcode;
    VstIntPtr answer;
    const char* text;
    size_t size;
  };
  const Case cases[] = {
      {kEffGetEffectName, 1, "Metronome", kVstMaxEffectNameLen},
      {kEffGetVendorString, 1, "Ruvok Technology", kVstMaxVendorStrLen},
      {kEffGetProductString, 1, "Metronome", kVstMaxProductStrLen},
      {kEffGetProgramName, 0, "None", kVstMaxProgNameLen},
      {kEffGetParamName, 0, "", kVstMaxParamStrLen},
      {kEffGetParamLabel, 0, "", kVstMaxParamStrLen},
      {kEffGetParamDisplay, 0, "", kVstMaxParamStrLen},
  };
  for (const Case& c : cases) {
    char text[256];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(plugin.Dispatch(c.opcode, 0, 0, text), c.answer) << c.opcode;
    EXPECT_STREQ(text, c.text) << c.opcode;
    std::string beyond(text + c.size, sizeof text - c.size);
    EXPECT_EQ(beyond, std::string(beyond.size(), 'x')) << c.opcode << ": past " << c.size;
  }
  // Opcodes the plug-in does not answer leave the host's buffer as it was.
  for (VstInt32 opcode : {kEffGetProgramNameIndexed, kEffGetErrorText, kEffShellGetNextPlugin}) {
    char text[64];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(plugin.Dispatch(opcode, 0, 0, text), 0) << opcode;
    EXPECT_EQ(std::string(text, sizeof text), std::string(sizeof text, 'x')) << opcode;
  }
  // Text opcodes without a buffer do nothing.
  EXPECT_EQ(plugin.Dispatch(kEffGetEffectName), 0);
  EXPECT_EQ(plugin.Dispatch(kEffCanDo), 0);
}

TEST_F(ClickvoxFrameTest, CanDoAnswersOnlyTheTwoEventTextsExactly) {
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  struct Case {
    const char* text;
    VstIntPtr answer;
  };
  const Case cases[] = {
      {"receiveVstEvents", 1},     {"receiveVstMidiEvent", 1}, {"sendVstEvents", -1},
      {"sendVstMidiEvent", -1},    {"receiveVstTimeInfo", -1}, {"ReceiveVstEvents", -1},
      {"receiveVstEventsX", -1},   {"receiveVst", -1},         {"", -1},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(plugin.Dispatch(kEffCanDo, 0, 0, text.data()), c.answer) << c.text;
  }
}

TEST_F(ClickvoxFrameTest, DispatcherDefaults) {
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  struct Case {
    VstInt32 opcode;
    VstIntPtr value;
    VstIntPtr answer;
  };
  const Case cases[] = {
      {kEffOpen, 0, 0},
      {kEffGetProgram, 0, 0},
      {kEffGetVu, 0, 0},
      {kEffSetBlockSize, 512, 0},
      {kEffEditGetRect, 0, 0},
      {kEffEditOpen, 0, 0},
      {kEffEditIdle, 0, 0},
      {kEffIdentify, 0, FourCC("NvEf")},
      {kEffGetChunk, 0, 0},
      {kEffCanBeAutomated, 0, 1},
      {kEffGetNumProgramCategories, 0, 1},
      {kEffConnectInput, 0, 1},
      {kEffConnectOutput, 1, 1},
      {kEffGetPlugCategory, 0, kPlugCategSynth},
      {kEffGetCurrentPosition, 0, 0},
      {kEffGetDestinationBuffer, 0, 0},
      {kEffSetBlockSizeAndSampleRate, 256, 1},
      {kEffSetBypass, 1, 0},
      {kEffGetVendorVersion, 0, 1},
      {kEffVendorSpecific, 0, 0},
      {kEffGetTailSize, 0, 0},
      {kEffIdle, 0, 0},
      {kEffGetIcon, 0, 0},
      {kEffKeysRequired, 0, 1},
      {kEffGetVstVersion, 0, 2400},
      {kEffEditKeyDown, 0, 0},
      {kEffGetCurrentMidiProgram, 0, -1},
      {kEffHasMidiProgramsChanged, 0, 0},
      {kEffSetTotalSampleToProcess, 1234, 1234},
      {kEffStartProcess, 0, 0},
      {kEffGetNumMidiInputChannels, 0, 0},
      {80, 0, 0},
      {1000, 0, 0},
      {-5, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(plugin.Dispatch(c.opcode, 0, c.value, nullptr, 44100.0f), c.answer) << c.opcode;
}

TEST_F(ClickvoxFrameTest, ProgramNameIsKeptWithinItsTwentyFourBytes) {
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  char out[kVstMaxProgNameLen + 8];
  std::string name23 = "Twenty-three characters";
  ASSERT_EQ(name23.size(), 23u);
  plugin.Dispatch(kEffSetProgramName, 0, 0, name23.data());
  plugin.Dispatch(kEffGetProgramName, 0, 0, out);
  EXPECT_EQ(std::string(out), name23);

  std::string longName = "A program name far longer than the twenty-four bytes it has";
  plugin.Dispatch(kEffSetProgramName, 0, 0, longName.data());
  plugin.Dispatch(kEffGetProgramName, 0, 0, out);
  EXPECT_EQ(std::string(out), longName.substr(0, 23));
}

TEST_F(ClickvoxFrameTest, ProgramNumberOutsideTheTableIsIgnored) {
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  for (VstIntPtr program : {VstIntPtr(1), VstIntPtr(-1), VstIntPtr(1) << 40}) {
    plugin.Dispatch(kEffSetProgram, 0, program);
    EXPECT_EQ(plugin.Dispatch(kEffGetProgram), 0) << program;
  }
  char out[kVstMaxProgNameLen];
  plugin.Dispatch(kEffGetProgramName, 0, 0, out);
  EXPECT_STREQ(out, "None");
}

TEST_F(ClickvoxFrameTest, SpeakerArrangementRequestAnswersNone) {
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  VstSpeakerArrangement dummy{};
  VstSpeakerArrangement* input = &dummy;
  VstSpeakerArrangement* output = &dummy;
  EXPECT_EQ(plugin.Dispatch(kEffGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input),
                            &output),
            0);
  EXPECT_EQ(input, nullptr);
  EXPECT_EQ(output, nullptr);
}

TEST_F(ClickvoxFrameTest, ResumeAsksForTheFolderButNeverForMidi) {
  gTestHost.answerDirectory = false;
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  plugin.Dispatch(kEffMainsChanged, 0, 0);
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 1u);
  EXPECT_EQ(CountRequests(kAudioMasterWantMidi), 0u);
}

// ---- the frame's own helpers, on an object made directly

TEST(AudioEffectFormatters, TextsOfTheFormatters) {
  MetSynth synth(nullptr);
  char text[32];
  struct IntCase {
    VstInt32 value;
    const char* text;
  };
  for (IntCase c : {IntCase{123, "123"}, IntCase{-45, "-45"}, IntCase{100000000, "Huge!"},
                    IntCase{0, ""}, IntCase{99999999, "99999999"}}) {
    synth.FormatInteger(c.value, text, 16);
    EXPECT_STREQ(text, c.text) << c.value;
  }
  synth.FormatDecibels(0.0f, text, 16);
  EXPECT_STREQ(text, "-oo");
  synth.FormatDecibels(1.0f, text, 16);
  EXPECT_STREQ(text, "0.000000");
  synth.FormatFloat(-1.5f, text, 16);
  EXPECT_STREQ(text, "-1.50000");
  synth.FormatFloat(1e9f, text, 16);
  EXPECT_STREQ(text, "Huge!");
  synth.FormatFloat(-1e8f, text, 16);
  EXPECT_STREQ(text, "Huge!");
  synth.FormatHertz(0.0f, text, 16);
  EXPECT_STREQ(text, "0.000000");
  synth.FormatMilliseconds(441.0f, text, 16);  // 10 ms at 44.1 kHz
  EXPECT_EQ(std::string(text).substr(0, 4), "10.0");
  synth.FormatInteger(12345, text, 3);  // cut at the given length
  EXPECT_STREQ(text, "123");
}

TEST(AudioEffectArrangements, AllocateCopyAndMatchBeyondEightSpeakers) {
  MetSynth synth(nullptr);
  VstSpeakerArrangement* source = nullptr;
  VstSpeakerArrangement* copy = nullptr;
  ASSERT_TRUE(synth.AllocateArrangement(&source, 12));
  EXPECT_EQ(source->numChannels, 12);
  source->type = 7;
  VstSpeakerProperties* speakers = source->speakers;
  for (int i = 0; i < 12; ++i) {
    VstSpeakerProperties* s = speakers + i;
    std::snprintf(s->name, sizeof s->name, "Speaker %d", i);
    s->azimuth = static_cast<float>(i);
    s->type = i;
  }
  ASSERT_TRUE(synth.MatchArrangement(&copy, source));
  EXPECT_EQ(copy->type, 7);
  EXPECT_EQ(copy->numChannels, 12);
  VstSpeakerProperties* copied = copy->speakers;
  EXPECT_STREQ(copied[11].name, "Speaker 11");
  EXPECT_EQ(copied[11].azimuth, 11.0f);
  EXPECT_EQ(copied[11].type, 11);
  EXPECT_FALSE(synth.AllocateArrangement(&copy, -1));
  EXPECT_FALSE(synth.CopySpeaker(nullptr, copied));
  EXPECT_TRUE(synth.DeallocateArrangement(&source));
  EXPECT_EQ(source, nullptr);
  EXPECT_TRUE(synth.DeallocateArrangement(&copy));
}

// ---- the library exports nothing but the entry point

TEST(ClickvoxLibrary, ExportsOnlyTheEntryPoint) {
  std::string command = std::string("nm -D --defined-only '") + CLICKVOX_PATH + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    char address[64], kind[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) names.insert(name);
  }
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(names, std::set<std::string>{"VSTPluginMain"});
}

}  // namespace
