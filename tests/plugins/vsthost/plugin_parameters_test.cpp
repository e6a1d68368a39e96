// Plug-in parameters, programs and state with real VST plug-ins: values set and read back,
// names and display texts, the mapping of the cached tables, a chunk that brings every value
// back, and the settings record's bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_programs.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/host/plugin_state.h"
#include "plugins/library/plugin_table.h"
#include "tests/plugins/vsthost/vst_test_instance.h"

namespace {

using vsthost_test::TestVstInstance;

std::vector<float> ReadAll(PluginInstance* instance) {
  std::vector<float> values;
  for (int32_t i = 0; i < int32_t(instance->parameterCount); ++i)
    values.push_back(GetPluginParameterChecked(instance, i));
  return values;
}

// Gives each parameter a value of its own (a ramp over the indexes, shifted by `shift`).
void SetRamp(PluginInstance* instance, float shift) {
  int32_t count = int32_t(instance->parameterCount);
  for (int32_t i = 0; i < count; ++i)
    SetPluginParameterChecked(instance, i, float(i + 1) / float(count + 2) * 0.5f + shift, 0);
}

// Cached tables of three parameters: generic 0..10, indexed 0..4, Boolean.
struct Tables {
  explicit Tables(PluginInstance* instance) : instance_(instance) {
    instance->parameterMinimum = new float[3]{0.0f, 0.0f, 0.0f};
    instance->parameterMaximum = new float[3]{10.0f, 4.0f, 1.0f};
    instance->parameterUnit = new uint32_t[3]{kParameterUnitGeneric, kParameterUnitIndexed,
                                              kParameterUnitBoolean};
  }
  ~Tables() {
    delete[] instance_->parameterMinimum;
    delete[] instance_->parameterMaximum;
    delete[] instance_->parameterUnit;
    instance_->parameterMinimum = instance_->parameterMaximum = nullptr;
    instance_->parameterUnit = nullptr;
  }
  PluginInstance* instance_;
};

// Values set through the host read back from the plug-in itself; outside the count nothing
// is set and 0 is read; the engine's entry clamps and refuses a bad index.
TEST(PluginParametersTest, ValuesSetAreTheValuesThePluginReports) {
  for (const char* path : {vsthost_test::kLspCompressor, vsthost_test::kDpfBitcrush}) {
    TestVstInstance plugin(path);
    ASSERT_TRUE(plugin.ok()) << path;
    PluginInstance* instance = plugin.instance();
    AEffect* effect = plugin.effect();
    int32_t last = int32_t(instance->parameterCount) - 1;
    SetPluginParameterChecked(instance, last, 0.25f, kSetParameterRedrawStrip);
    EXPECT_NEAR(effect->getParameter(effect, last), 0.25f, 0.02f) << path;
    EXPECT_EQ(GetPluginParameterChecked(instance, last), effect->getParameter(effect, last));
    EXPECT_TRUE(instance->changeFlags & 1) << "mode 2 asks for the strip's redraw";
    EXPECT_EQ(GetPluginParameterChecked(instance, last + 1), 0.0f);
    EXPECT_EQ(GetPluginParameterChecked(instance, -1), 0.0f);
    EXPECT_EQ(SetEngineParameter(instance, last + 1, 0.5f), -50);
    EXPECT_EQ(SetEngineParameter(nullptr, 0, 0.5f), -50);
    EXPECT_EQ(SetEngineParameter(instance, last, 7.0f), 0);
    EXPECT_NEAR(GetPluginParameterChecked(instance, last), 1.0f, 0.02f) << "clamped to 1";
  }
}

TEST(PluginParametersTest, NamesLabelsAndDisplayTexts) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  char text[64];
  GetParameterName(instance, 0, text, sizeof text);
  EXPECT_GT(std::strlen(text), 0u);
  GetParameterName(instance, int32_t(instance->parameterCount), text, sizeof text);
  EXPECT_STREQ(text, "[parameter error]");
  EXPECT_EQ(GetParameterValueText(instance, 1, text, sizeof text, nullptr), noErr);
  EXPECT_GT(std::strlen(text), 0u);
  EXPECT_EQ(GetParameterValueText(instance, int32_t(instance->parameterCount), text, sizeof text,
                                  nullptr), -50);
  // A short field is cut and still terminated.
  char shortText[3];
  GetParameterName(instance, int32_t(instance->parameterCount), shortText, sizeof shortText);
  EXPECT_STREQ(shortText, "[p");
  EXPECT_EQ(ParseParameterValue(instance, 0, "1", nullptr), -4);

  uint32_t count = instance->parameterCount;
  instance->parameterCount = 0;
  GetParameterName(instance, 0, text, sizeof text);
  EXPECT_STREQ(text, "[no parameters]");
  instance->parameterCount = count;

  ParameterDescription description;
  ASSERT_EQ(GetParameterInfo(instance, 0, &description), noErr);
  EXPECT_EQ(description.unit, 0u);
  EXPECT_EQ(description.minimum, 0.0f);
  EXPECT_EQ(description.maximum, 1.0f);
  EXPECT_EQ(description.defaultValue, 0.5f);
}

// With cached tables a VST value maps into the table's range: generic values as they fall,
// indexed ones rounded (unless the instance keeps them unrounded), Boolean ones as off/on.
TEST(PluginParametersTest, CachedTablesMapAndShowValues) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  Tables tables(instance);
  EXPECT_FLOAT_EQ(MapLinearToParameter(instance, 0, 0.25f), 2.5f);
  EXPECT_FLOAT_EQ(MapLinearToParameter(instance, 1, 0.55f), 2.0f);
  EXPECT_FLOAT_EQ(MapLinearToParameter(instance, 2, 0.7f), 0.7f) << "Boolean values stay";
  EXPECT_FLOAT_EQ(MapParameterToLinear(instance, 0, 0.3f), 0.3f) << "VST values are linear";
  struct Case {
    int32_t index;
    float value;
    const char* text;
  };
  const Case cases[] = {{0, 0.5f, "5.000000"}, {1, 0.55f, "      2"}, {1, 0.9f, "      4"},
                        {2, 0.5f, "Off"},      {2, 0.51f, "On"},      {2, 0.0f, "Off"}};
  for (const Case& c : cases) {
    char text[32];
    EXPECT_EQ(GetParameterValueText(instance, c.index, text, sizeof text, &c.value), noErr);
    EXPECT_STREQ(text, c.text) << c.index << " " << c.value;
  }
  instance->moreFlags |= 1u << 30;
  EXPECT_FLOAT_EQ(MapLinearToParameter(instance, 1, 0.55f), 2.2f);
  instance->moreFlags &= ~(1u << 30);
  ParameterDescription description;
  ASSERT_EQ(GetParameterInfo(instance, 1, &description), noErr);
  EXPECT_EQ(description.unit, kParameterUnitIndexed);
  EXPECT_EQ(description.maximum, 4.0f);
}

// The plug-in's chunk holds its whole state: values changed after it was taken come back as
// they were when it is restored. (The plug-in keeps stepped and switch parameters on their
// steps, so the values to compare are those the plug-in reports after a first restore.)
TEST(PluginParametersTest, ChunkRestoresEveryValue) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  for (bool bank : {false, true}) {
    SetRamp(instance, 0.1f);
    const void* data = nullptr;
    int32_t length = SavePluginClassInfo(instance, &data, bank);
    ASSERT_GT(length, 0);
    std::vector<uint8_t> chunk(static_cast<const uint8_t*>(data),
                               static_cast<const uint8_t*>(data) + length);
    ASSERT_EQ(RestorePluginState(instance, chunk.data(), length, bank), noErr);
    std::vector<float> saved = ReadAll(instance);
    SetRamp(instance, 0.4f);
    ASSERT_NE(ReadAll(instance), saved);
    ASSERT_EQ(RestorePluginState(instance, chunk.data(), length, bank), noErr);
    EXPECT_EQ(ReadAll(instance), saved) << (bank ? "bank" : "program");
    // The continuous parameters keep the very values that were set.
    EXPECT_FLOAT_EQ(saved[1], 2.0f / 37.0f * 0.5f + 0.1f);
  }
  EXPECT_EQ(RestorePluginState(instance, nullptr, 10, false), -50);
  // A plug-in without chunks has no blob to give.
  TestVstInstance plain(vsthost_test::kDpfBitcrush);
  ASSERT_TRUE(plain.ok());
  const void* data = &plain;
  EXPECT_EQ(SavePluginClassInfo(plain.instance(), &data, false), 0);
  EXPECT_EQ(data, nullptr);
}

TEST(PluginProgramsTest, ProgramsAndTheirNames) {
  TestVstInstance plugin(vsthost_test::kDpfSynth);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  char name[64];
  EXPECT_EQ(GetProgramNameIndexed(instance, 0, name, sizeof name), noErr);
  EXPECT_STREQ(name, "Default");
  EXPECT_EQ(GetCurrentProgram(instance), 0);
  SetProgram(instance, 0);
  EXPECT_EQ(GetCurrentProgram(instance), 0);
  GetProgramName(instance, name, sizeof name);
  EXPECT_STREQ(name, "Default");
  SetProgramQuietly(instance, 0);
  EXPECT_FALSE(instance->stateFlags & kPluginStateNoRefresh) << "the quiet flag is put back";
  instance->stateFlags |= kPluginStateNoRefresh;
  SetProgramQuietly(instance, 0);
  EXPECT_TRUE(instance->stateFlags & kPluginStateNoRefresh);
  // A plug-in that reports no program categories keeps its entry's category.
  TestVstInstance compressor(vsthost_test::kLspCompressor);
  ASSERT_TRUE(compressor.ok());
  PluginInfo info;
  info.category = 7;
  GuessVstCategory(&info, compressor.instance());
  EXPECT_EQ(info.category, 7u);
}

// The program list's records are 64 bytes plus 4 a parameter; a record whose count runs past
// the block ends the walk.
TEST(PluginProgramsTest, ProgramListRecordsAreWalkedByTheirCounts) {
  const uint32_t counts[] = {3, 0, 5};
  Size size = kProgramListHeader;
  for (uint32_t n : counts) size += kProgramRecordBase + 4 * Size(n);
  Handle list = NewHandleClear(size);
  ASSERT_TRUE(list);
  WriteU32BE(*list, 3);
  int32_t offset = kProgramListHeader;
  for (uint32_t n : counts) {
    WriteU32BE(*list + offset + 4, n);
    offset += kProgramRecordBase + 4 * int32_t(n);
  }
  EXPECT_EQ(GetProgramRecord(list, 0), 32);
  EXPECT_EQ(GetProgramRecord(list, 1), 32 + 76);
  EXPECT_EQ(GetProgramRecord(list, 2), 32 + 76 + 64);
  EXPECT_EQ(GetProgramRecord(list, 3), -1);
  EXPECT_EQ(NextProgramRecord(list, 32 + 76 + 64), -1);
  WriteU32BE(*list + 32 + 76 + 4, 1000);  // the second record claims more than the block holds
  EXPECT_EQ(GetProgramRecord(list, 2), -1);
  EXPECT_EQ(NextProgramRecord(list, 32), -1);
  DisposeHandle(list);
}

// The settings record's bytes: big-endian fields at their offsets, both handle fields zero
// whatever the instance holds, and on loading those fields are never read.
TEST(PluginSettingsTest, SettingsAreABigEndianImageWithoutAddresses) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  instance->userWord = 0x01020304;
  instance->midiChannelMask = 0x00F0;
  instance->bankWord = 0xA0B0C0D0;
  instance->deviceId = 9;
  const uint8_t name[] = {5, 'C', 'o', 'm', 'p', '1'};
  std::memcpy(instance->name, name, sizeof name);
  instance->programList = NewHandleClear(64);
  instance->secondHandle = NewHandleClear(16);
  PluginSettings settings;
  std::memset(settings.bytes, 0xEE, sizeof settings.bytes);
  SavePluginSettings(instance, &settings);
  const uint8_t* b = settings.bytes;
  EXPECT_EQ(ReadU32BE(b + 4), instance->parameterCount);
  EXPECT_EQ(ReadU32BE(b + 8), 0x01020304u);
  EXPECT_EQ(ReadU32BE(b + 12), kPluginOpenVst);
  EXPECT_EQ(ReadU32BE(b + 20), 0u);
  EXPECT_EQ(ReadU32BE(b + 24), 0u);
  EXPECT_EQ(ReadU16BE(b + 32), 0x00F0);
  EXPECT_EQ(ReadU32BE(b + 36), 0xA0B0C0D0u);
  EXPECT_EQ(std::memcmp(b + 44, name, sizeof name), 0);
  EXPECT_EQ(b[92], 9);

  // Loading: handle fields full of rubbish are not touched, the MIDI-output open flag is this
  // run's own, program -2 leaves the program and an empty name the name.
  Handle ownList = instance->programList;
  WriteU32BE(settings.bytes + 20, 0xFFFFFFF0);
  WriteU32BE(settings.bytes + 24, 0x7FFFFFF0);
  SetSettingsOpenFlags(&settings, kPluginOpenVst | kPluginOpenMidiOutput);
  SetSettingsProgram(&settings, -2);
  SetSettingsUserWord(&settings, 77);
  const uint8_t empty[1] = {0};
  SetSettingsName(&settings, empty);
  instance->programWord = 0;
  LoadPluginSettings(instance, &settings);
  EXPECT_EQ(instance->programList, ownList);
  EXPECT_EQ(instance->openFlags, kPluginOpenVst);
  EXPECT_EQ(instance->programWord, 0);
  EXPECT_EQ(instance->userWord, 77u);
  EXPECT_EQ(std::memcmp(instance->name, name, sizeof name), 0);
  EXPECT_NE(instance->outputRouting, 0u) << "a MIDI output without routing gets an id";
  EXPECT_EQ(instance->outputRouting, 13u * ('C' + 'o' + 'm' + 'p' + '1'));
  DisposeHandle(instance->programList);
  DisposeHandle(instance->secondHandle);
  instance->programList = instance->secondHandle = Handle();
}

// A MIDI output's routing id comes from its destination's label when one is built, and the
// performance tools are told of it.
struct OutputLog {
  std::vector<std::pair<uint32_t, uint32_t>> registered;
} gOutputLog;

TEST(PluginSettingsTest, AMidiOutputIsNamedByItsDestinationsLabel) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  PluginHostHooks saved = gPluginHostHooks;
  gOutputLog = {};
  gPluginHostHooks.buildDestinationLabel = [](uint32_t kind, uint32_t number, const uint8_t*, char* label,
                                              int32_t capacity) {
    std::snprintf(label, size_t(capacity), "Out %u.%u", kind, number);
    return true;
  };
  gPluginHostHooks.registerPluginMidiOutput = [](uint32_t id, uint32_t routing) {
    gOutputLog.registered.emplace_back(id, routing);
  };
  instance->formatWords[0] = 2;
  instance->formatWords[1] = 5;
  PluginSettings settings;
  SavePluginSettings(instance, &settings);
  SetSettingsOpenFlags(&settings, kPluginOpenVst | kPluginOpenMidiOutput);
  WriteU32BE(settings.bytes + 40, 0);  // no routing yet
  instance->outputRouting = 0;
  LoadPluginSettings(instance, &settings);
  uint32_t sum = 0;
  for (char c : std::string("Out 2.5")) sum += uint8_t(c);
  EXPECT_EQ(13u * sum, instance->outputRouting);
  ASSERT_EQ(1u, gOutputLog.registered.size());
  EXPECT_EQ(instance->id, gOutputLog.registered[0].first);
  EXPECT_EQ(instance->outputRouting, gOutputLog.registered[0].second);
  gPluginHostHooks = saved;
}

// A program chosen in the plug-in: with refresh kind 2 and a program list that names it
// otherwise than the instance, the insert is opened again with its settings and a
// MIDI-receiving plug-in's patch names are registered again; kind 1 only reads the name.
struct ReopenLog {
  int32_t reopened = 0, patchNames = 0, program = -9;
} gReopenLog;

TEST(PluginProgramsTest, AProgramTheListNamesOtherwiseReopensTheInsert) {
  TestVstInstance plugin(vsthost_test::kDpfSynth);
  ASSERT_TRUE(plugin.ok());
  PluginInstance* instance = plugin.instance();
  PluginHostHooks saved = gPluginHostHooks;
  gPluginHostHooks.reopenInsert = [](uint32_t, const uint8_t* settings, int32_t) {
    ++gReopenLog.reopened;
    gReopenLog.program = ReadI32BE(settings + 16);
  };
  gPluginHostHooks.registerPatchNames = [](uint32_t) { ++gReopenLog.patchNames; };
  Handle list = NewHandleClear(kProgramListHeader + kProgramRecordBase);
  ASSERT_TRUE(list);
  WriteU32BE(*list, 1);
  const uint8_t listed[] = {5, 'O', 't', 'h', 'e', 'r'};
  std::memcpy(*list + kProgramListHeader + kProgramRecordNameAt, listed, sizeof listed);
  instance->programList = list;
  const uint8_t own[] = {4, 'M', 'i', 'n', 'e'};
  std::memcpy(instance->name, own, sizeof own);
  instance->receivesMidi = 1;

  const struct {
    uint16_t kind;
    const uint8_t* name;
    int32_t reopened;
  } kCases[] = {{1, own, 0}, {2, own, 1}, {2, listed, 0}};
  for (const auto& c : kCases) {
    gReopenLog = {};
    std::memcpy(instance->name, c.name, size_t(c.name[0]) + 1);
    PluginSettings settings;
    SetSettingsProgramCount(&settings, 0);  // the program lies outside: it is read again
    instance->stateFlags = uint16_t((instance->stateFlags & ~kPluginStateRefreshMask) | c.kind);
    RefreshPluginProgram(instance, &settings);
    EXPECT_EQ(c.reopened, gReopenLog.reopened) << c.kind;
    EXPECT_EQ(c.reopened, gReopenLog.patchNames) << c.kind;
    if (c.reopened) EXPECT_EQ(0, gReopenLog.program);
    EXPECT_EQ(0, instance->stateFlags & kPluginStateRefreshMask) << "the refresh bits are cleared";
  }
  DisposeHandle(list);
  instance->programList = Handle();
  gPluginHostHooks = saved;
}

}  // namespace
