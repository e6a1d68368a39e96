// The VST host callback: every opcode's answer, the strings and capabilities it offers, the
// record of opcodes it does not answer, the instance it finds for an effect on each thread,
// idle asked for inside a plug-in's call, and the folder it names to Clickvox, which reads
// its click samples from there.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "click/click_aiff_writer.h"
#include "sequencer/clock/transport_clock.h"
#include "platform/windows/windows.h"
#include "plugins/library/plugin_table.h"
#include "plugins/host/plugin_instance.h"
#include "audio/engine/engine_channels.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"
#include "plugins/plugin_idle.h"
#include "song/documents/document_file.h"
#include "tests/plugins/vsthost/vst_test_instance.h"
#include "tests/test_support.h"

namespace {

using vsthost_test::TestVstInstance;

VstIntPtr Call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
               AEffect* effect = nullptr) {
  return HandleAudioMasterCall(effect, opcode, index, value, ptr, 0.0f);
}

struct HookLog {
  std::vector<uint32_t> refreshes;
  int32_t mixerRedraws = 0;
  struct Midi {
    uint8_t status, data1;
    int32_t data2, tick;
    uint32_t routing;
  };
  std::vector<Midi> midi;
};
HookLog gLog;

class VstHostCallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gLog = HookLog();
    gPluginHostHooks = {};
    gPluginHostHooks.requestWindowRefresh = [](uint32_t bits) { gLog.refreshes.push_back(bits); };
    gPluginHostHooks.redrawMixerRange = [] { ++gLog.mixerRedraws; };
    gPluginHostHooks.sendPluginMidiOutput = [](uint8_t s, uint8_t d1, int32_t d2, int32_t tick,
                                               uint32_t routing) {
      gLog.midi.push_back({s, d1, d2, tick, routing});
    };
    gPendingNeedIdle = 0;
    gDeferredPluginIdle = 0;
  }
  void TearDown() override { gPluginHostHooks = {}; }
};

// Opcodes that need no instance, and those nobody answers: the answer and the mask bit each
// one leaves (word, bit; -1 none).
TEST_F(VstHostCallbackTest, OpcodesAnswerAndRecordWhatTheyDoNotAnswer) {
  struct Case {
    VstInt32 opcode;
    VstIntPtr answer;
    int32_t word, bit;
  };
  const Case cases[] = {
      {kAudioMasterAutomate, 1, -1, 0},
      {kAudioMasterVersion, 2400, -1, 0},
      {kAudioMasterCurrentId, 0, 0, 2},
      {5, 0, 0, 5},
      {kAudioMasterSetTime, 0, 0, 9},
      {kAudioMasterGetNumAutomatableParameters, 65536, -1, 0},
      {kAudioMasterGetSampleRate, 0, 0, 16},
      {kAudioMasterGetCurrentProcessLevel, kVstProcessLevelUser, -1, 0},
      {kAudioMasterGetAutomationState, 0, -1, 0},
      {kAudioMasterOfflineGetCurrentMetaPass, 0, 0, 29},
      {kAudioMasterGetVendorVersion, kSongFileVersion, -1, 0},
      {kAudioMasterSetIcon, 0, 1, 4},
      {kAudioMasterGetLanguage, 0, 1, 6},
      {kAudioMasterCloseWindow, 0, 1, 8},
      {kAudioMasterBeginEdit, 1, -1, 0},
      {kAudioMasterEditFile, 0, 1, 15},
      {63, 0, 1, 31},
      {64, 0, -1, 0},
      {70, 0, -1, 0},
      {-1, 0, -1, 0},
  };
  for (const Case& c : cases) {
    uint32_t before[2] = {gUnansweredOpcodes[0], gUnansweredOpcodes[1]};
    if (c.word >= 0) gUnansweredOpcodes[c.word] &= ~(1u << c.bit);
    uint32_t expected[2] = {gUnansweredOpcodes[0], gUnansweredOpcodes[1]};
    if (c.word >= 0) expected[c.word] |= 1u << c.bit;
    EXPECT_EQ(Call(c.opcode), c.answer) << c.opcode;
    EXPECT_EQ(gUnansweredOpcodes[0], c.word >= 0 ? expected[0] : before[0]) << c.opcode;
    EXPECT_EQ(gUnansweredOpcodes[1], c.word >= 0 ? expected[1] : before[1]) << c.opcode;
  }
}

TEST_F(VstHostCallbackTest, VendorAndProductStringsAreTheirExactBytes) {
  char vendor[32];
  std::memset(vendor, 'x', sizeof vendor);
  EXPECT_EQ(Call(kAudioMasterGetVendorString, 0, 0, vendor), 1);
  EXPECT_EQ(std::memcmp(vendor, "RuvokTechnology\0", 16), 0);
  EXPECT_EQ(vendor[16], 'x') << "16 bytes, no more";
  char product[32];
  std::memset(product, 'x', sizeof product);
  EXPECT_EQ(Call(kAudioMasterGetProductString, 0, 0, product), 1);
  const unsigned char expected[9] = {'Z', 'a', 'r', 'i', 'n', 0xE2, 0x84, 0xA2, 0};
  EXPECT_EQ(std::memcmp(product, expected, 9), 0);
  EXPECT_EQ(product[9], 'x');
  // A null pointer copies nothing and still answers 1.
  EXPECT_EQ(Call(kAudioMasterGetVendorString), 1);
  EXPECT_EQ(Call(kAudioMasterGetProductString), 1);
}

TEST_F(VstHostCallbackTest, CanDoAnswersOnlyItsOwnStringsExactly) {
  for (const char* yes : kHostCanDo) EXPECT_EQ(Call(kAudioMasterCanDo, 0, 0, const_cast<char*>(yes)), 1) << yes;
  for (const char* no : {"SendVstEvents", "sendVstEvents ", "sendVst", "openFileSelector",
                         "sizewindow", ""})
    EXPECT_EQ(Call(kAudioMasterCanDo, 0, 0, const_cast<char*>(no)), 0) << no;
  EXPECT_EQ(Call(kAudioMasterCanDo), 0);
  EXPECT_STREQ(kHostCanDo[kCanDoSendVstMidiEvent], "sendVstMidiEvent");
  EXPECT_STREQ(kHostCanDo[kCanDoReceiveVstMidiEvent], "receiveVstMidiEvent");
}

// Without an instance the calls that need one answer as for none and change nothing.
TEST_F(VstHostCallbackTest, AnUnknownEffectNeverFailsACall) {
  AEffect stranger{};
  EXPECT_EQ(Call(kAudioMasterWantMidi, 0, 0, nullptr, &stranger), 1);
  EXPECT_EQ(Call(kAudioMasterNeedIdle, 0, 0, nullptr, &stranger), 1);
  EXPECT_EQ(gPendingNeedIdle, 1u) << "kept for the instance being opened";
  EXPECT_EQ(Call(kAudioMasterSizeWindow, 300, 200, nullptr, &stranger), -1);
  EXPECT_EQ(Call(kAudioMasterGetDirectory, 0, 0, nullptr, &stranger), 0);
  EXPECT_EQ(Call(kAudioMasterPinConnected, 0, 0, nullptr, &stranger), 0);
  EXPECT_EQ(Call(kAudioMasterProcessEvents, 0, 0, nullptr, &stranger), 0);
  int32_t word = 1;
  EXPECT_EQ(Call(kAudioMasterVendorSpecific, int32_t(0xDEADBEEF), 0, &word, &stranger), 0);
  EXPECT_EQ(Call(kAudioMasterUpdateDisplay, 0, 0, nullptr, &stranger), 1);
  EXPECT_TRUE(gLog.refreshes.empty());
  EXPECT_EQ(FindInstanceForEffect(&stranger), nullptr);
  EXPECT_EQ(FindInstanceForEffect(nullptr), nullptr);
}

TEST_F(VstHostCallbackTest, InstanceOpcodesChangeTheCallersInstance) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  AEffect* effect = plugin.effect();
  EXPECT_EQ(FindInstanceForEffect(effect), instance);
  instance->receivesMidi = 0;
  EXPECT_EQ(Call(kAudioMasterWantMidi, 0, 0, nullptr, effect), 1);
  EXPECT_EQ(instance->receivesMidi, 1);
  EXPECT_EQ(Call(kAudioMasterNeedIdle, 0, 0, nullptr, effect), 1);
  EXPECT_TRUE(instance->stateFlags & kPluginStateNeedsIdle);
  EXPECT_EQ(gPendingNeedIdle, 0u);
  EXPECT_EQ(Call(kAudioMasterSizeWindow, 300, 200, nullptr, effect), -1) << "no editor window";

  // Display updates mark the instance and ask for the main editor's redraw, except while the
  // instance's own call is marked quiet.
  EXPECT_EQ(Call(kAudioMasterUpdateDisplay, 0, 0, nullptr, effect), 1);
  EXPECT_EQ(instance->stateFlags & kPluginStateRefreshMask, 2);
  ASSERT_EQ(gLog.refreshes, std::vector<uint32_t>{kRefreshMainEditor});
  instance->stateFlags &= uint16_t(~kPluginStateRefreshMask);
  instance->stateFlags |= kPluginStateNoRefresh;
  Call(kAudioMasterUpdateDisplay, 0, 0, nullptr, effect);
  EXPECT_EQ(instance->stateFlags & kPluginStateRefreshMask, 0);
  MarkPluginDisplayDirtyAlways(instance, 0);
  EXPECT_EQ(instance->stateFlags & kPluginStateRefreshMask, 1);
  EXPECT_EQ(gLog.refreshes.size(), 2u);

  EXPECT_EQ(Call(kAudioMasterEndEdit, 0, 0, nullptr, effect), 1);
  EXPECT_EQ(gLog.mixerRedraws, 1);

  // The vendor-specific refresh takes the plug-in's parameter count again.
  int32_t word = 1;
  instance->parameterCount = 3;
  EXPECT_EQ(Call(kAudioMasterVendorSpecific, 0, 0, &word, effect), 0);
  EXPECT_EQ(Call(kAudioMasterVendorSpecific, int32_t(0xDEADBEEF), 1, &word, effect), 0);
  EXPECT_EQ(instance->parameterCount, 3u);
  EXPECT_EQ(Call(kAudioMasterVendorSpecific, int32_t(0xDEADBEEF), 0, &word, effect), 1);
  EXPECT_EQ(instance->parameterCount, uint32_t(effect->numParams));
}

// Events a plug-in sends go to the plug-in MIDI output with their values; a note with a
// length gets its note-off; pressure and program changes carry 0xFF as their third value.
TEST_F(VstHostCallbackTest, ProcessEventsHandsThePluginsMidiOn) {
  TestVstInstance plugin(vsthost_test::kDpfBitcrush);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  instance->outputRouting = 0x1234;
  VstMidiEvent note{}, pressure{}, sysex{};
  note.type = kVstMidiType;
  note.midiData[0] = char(0x91);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  note.noteLength = 300;
  pressure.type = kVstMidiType;
  pressure.midiData[0] = char(0xD2);
  pressure.midiData[1] = 40;
  pressure.midiData[2] = 77;
  sysex.type = kVstSysExType;
  VstEvent* list[3] = {reinterpret_cast<VstEvent*>(&note), reinterpret_cast<VstEvent*>(&sysex),
                       reinterpret_cast<VstEvent*>(&pressure)};
  alignas(VstEvents) char block[sizeof(VstEvents) + sizeof list];
  auto* events = reinterpret_cast<VstEvents*>(block);
  events->numEvents = 3;
  std::memcpy(events->events, list, sizeof list);

  // Whether the plug-in declared a MIDI output decides the answer only.
  EXPECT_EQ(Call(kAudioMasterProcessEvents, 0, 0, events, plugin.effect()), 0);
  EXPECT_EQ(gLog.midi.size(), 3u);
  gLog.midi.clear();
  instance->openFlags |= kPluginOpenMidiOutput;
  EXPECT_EQ(Call(kAudioMasterProcessEvents, 0, 0, events, plugin.effect()), 1);
  ASSERT_EQ(gLog.midi.size(), 3u);
  EXPECT_EQ(gLog.midi[0].status, 0x91);
  EXPECT_EQ(gLog.midi[0].data2, 100);
  EXPECT_EQ(gLog.midi[0].tick, 1) << "outside rendering the tick is 1";
  EXPECT_EQ(gLog.midi[0].routing, 0x1234u);
  EXPECT_EQ(gLog.midi[1].status, 0x81) << "the note-off on the note's own channel";
  EXPECT_EQ(gLog.midi[1].data1, 60);
  EXPECT_EQ(gLog.midi[2].status, 0xD2);
  EXPECT_EQ(gLog.midi[2].data2, 0xFF);

  // While a chain renders the note-off comes where the note's length ends: 300 samples at
  // 48 kHz and 120 BPM (480 ticks a quarter) are 6 ticks.
  EngineChannel channel;
  channel.sampleRate = 48000.0f;
  double secondsPerTick = gTransportClock.secondsPerTick;
  gTransportClock.secondsPerTick = 0.5 / 480.0;
  gLog.midi.clear();
  StorePluginRenderChannel(&channel);
  Call(kAudioMasterProcessEvents, 0, 0, events, plugin.effect());
  StorePluginRenderChannel(nullptr);
  gTransportClock.secondsPerTick = secondsPerTick;
  ASSERT_EQ(gLog.midi.size(), 3u);
  EXPECT_EQ(gLog.midi[1].status, 0x81);
  EXPECT_EQ(gLog.midi[1].tick - gLog.midi[0].tick, 6);
}

// A size request: the editor's rectangle takes the size in every case; the window follows
// unless the plug-in's entry keeps it at its size.
TEST_F(VstHostCallbackTest, SizeWindowKeepsTheRequestedSizeInTheEditorsRectangle) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  Rect bounds{40, 40, 140, 140};
  static const unsigned char kTitle[] = {6, 'E', 'd', 'i', 't', 'o', 'r'};
  instance->editorWindow = NewCWindow(nullptr, &bounds, kTitle, true, 0, reinterpret_cast<WindowRef>(-1), true, 0);
  ASSERT_NE(instance->editorWindow, nullptr);
  struct Case {
    bool fixed;
    int32_t width, height, answer;
  };
  for (const Case& c : {Case{true, 300, 200, -1}, Case{false, 320, 240, 1}}) {
    instance->editorBounds = Rect{10, 20, 0, 0};
    PluginInfoAt(plugin.tableIndex())->pluginFlags = c.fixed ? 0x20u : 0u;  // the entry keeps the window's size
    EXPECT_EQ(Call(kAudioMasterSizeWindow, c.width, c.height, nullptr, plugin.effect()), c.answer);
    EXPECT_EQ(instance->editorBounds.bottom, 10 + c.height);
    EXPECT_EQ(instance->editorBounds.right, 20 + c.width);
    Rect content;
    GetWindowBounds(instance->editorWindow, kWindowContentRgn, &content);
    EXPECT_EQ(content.right - content.left, c.fixed ? 100 : c.width);
  }
  DisposeWindow(instance->editorWindow);
  instance->editorWindow = nullptr;
}

// The current instance is per thread: while the main thread opens a plug-in (no instance
// yet), a call from the engine thread still finds its own instance, and a render's current
// instance never answers for the main thread.
TEST_F(VstHostCallbackTest, TheCurrentInstanceBelongsToItsThread) {
  TestVstInstance first(vsthost_test::kLspCompressor);
  TestVstInstance second(vsthost_test::kDpfBitcrush);
  ASSERT_TRUE(first.ok() && second.ok());
  gOpeningPlugin = kOpeningPluginPending;
  EXPECT_EQ(FindInstanceForEffect(first.effect()), nullptr) << "inside an entry point";
  PluginInstance* found = nullptr;
  std::thread engine([&] {
    gOpeningPlugin = second.instance()->id;
    found = FindInstanceForEffect(first.effect());
    Call(kAudioMasterWantMidi, 0, 0, nullptr, first.effect());
  });
  engine.join();
  gOpeningPlugin = 0;
  EXPECT_EQ(found, first.instance());
  EXPECT_EQ(first.instance()->receivesMidi, 1);
  EXPECT_EQ(FindInstanceForEffect(second.effect()), second.instance());
}

// Idle asked for inside a plug-in's call runs nothing there: the idle pass runs it later,
// and never while a chain renders.
TEST_F(VstHostCallbackTest, IdleInsideAPluginsCallWaitsForTheIdlePass) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  plugin.instance()->stateFlags |= kPluginStateNeedsIdle;
  EngineChannel* channel = reinterpret_cast<EngineChannel*>(&plugin);
  StorePluginRenderChannel(channel);
  EXPECT_EQ(Call(kAudioMasterIdle, 0, 0, nullptr, plugin.effect()), 1);
  EXPECT_EQ(Call(kAudioMasterGetCurrentProcessLevel), kVstProcessLevelRealtime);
  EXPECT_EQ(gDeferredPluginIdle, 0u) << "no idle work is asked for during a render";
  StorePluginRenderChannel(nullptr);
  EXPECT_EQ(Call(kAudioMasterIdle, 0, 0, nullptr, plugin.effect()), 1);
  EXPECT_EQ(gDeferredPluginIdle, 1u);
  EXPECT_TRUE(plugin.instance()->stateFlags & kPluginStateNeedsIdle) << "nothing ran yet";
  PluginWindowsIdle();
  EXPECT_EQ(gDeferredPluginIdle, 0u);
  // The plug-in did not ask for idle calls (effIdle answers 0): its flag is cleared.
  EXPECT_FALSE(plugin.instance()->stateFlags & kPluginStateNeedsIdle);
}

// Clickvox asks for its folder when it is switched on and reads its two clicks there: the
// answer is the folder of the plug-in's own file, wherever that is.
TEST_F(VstHostCallbackTest, ClickvoxReadsItsClicksFromTheFolderTheHostNames) {
  zarin_test::TempFolder withClicks, withoutClicks;
  std::vector<float> bar(400), beat(400);
  for (size_t i = 0; i < bar.size(); ++i) {
    bar[i] = float(i + 1) / 1024.0f;
    beat[i] = -float(i + 1) / 1024.0f;
  }
  ASSERT_EQ(WriteClickAiffFile(withClicks.File("MBar.aif").c_str(), bar.data(), 400, 44100.0), noErr);
  ASSERT_EQ(WriteClickAiffFile(withClicks.File("MBeat.aif").c_str(), beat.data(), 400, 44100.0), noErr);
  for (const auto* folder : {&withClicks, &withoutClicks})
    std::filesystem::copy_file(CLICKVOX_PATH, folder->File("Clickvox.so"));

  TestVstInstance clicks(withClicks.File("Clickvox.so"));
  ASSERT_TRUE(clicks.ok());
  auto* folder = reinterpret_cast<const char*>(
      Call(kAudioMasterGetDirectory, 0, 0, nullptr, clicks.effect()));
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(std::filesystem::path(folder), std::filesystem::path(withClicks.path()));
  clicks.SendMidi(0x90, 60, 127);
  std::vector<float> out = clicks.Render(256);
  for (size_t f = 0; f < 256; ++f) ASSERT_NEAR(out[f], bar[f], 1.0f / 32768.0f) << f;

  TestVstInstance silent(withoutClicks.File("Clickvox.so"));
  ASSERT_TRUE(silent.ok());
  silent.SendMidi(0x90, 60, 127);
  for (float sample : silent.Render(256)) ASSERT_EQ(sample, 0.0f);
}

}  // namespace
