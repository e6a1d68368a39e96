// Program and bank files: the bytes written for each form, the per-slot sizes of a bank whose
// programs have different parameter counts, an overwrite that leaves no old tail, and the
// reader's checks of every size and count against the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "mixer/presets/vst_preset_files.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "plugins/host/plugin_preset_lists.h"
#include "tests/test_support.h"

namespace {

constexpr uint32_t kId = 0x54657374;  // 'Test'

std::string Bytes(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  if (b->size() < at + 4) b->resize(at + 4);
  WriteU32BE(b->data() + at, v);
}

void PutF(std::vector<uint8_t>* b, size_t at, float v) {
  if (b->size() < at + 4) b->resize(at + 4);
  WriteF32BE(b->data() + at, v);
}

// A program file with values: ramp values 0.1, 0.2 ...
std::vector<uint8_t> ProgramFile(uint32_t n, const char* name, uint32_t id = kId) {
  std::vector<uint8_t> b(56 + 4 * n, 0);
  Put32(&b, 0, FourCC("CcnK"));
  Put32(&b, 4, uint32_t(b.size() - 8));
  Put32(&b, 8, FourCC("FxCk"));
  Put32(&b, 12, 1);
  Put32(&b, 16, id);
  Put32(&b, 24, n);
  std::memcpy(b.data() + 28, name, std::min<size_t>(std::strlen(name), 27));
  for (uint32_t i = 0; i < n; ++i) PutF(&b, 56 + 4 * i, 0.1f * float(i + 1));
  return b;
}

Str63 gName;
const uint8_t* Pascal(const char* text) {
  gName[0] = uint8_t(std::strlen(text));
  std::memcpy(gName + 1, text, gName[0]);
  return gName;
}

class PresetFileTest : public ::testing::Test {
 protected:
  void SetUp() override { list_ = NewPluginPresetList(0, 0); }
  void TearDown() override { DisposePluginPresetList(&list_); }
  FSSpec FileNamed(const std::string& name) {
    FSSpec spec;
    OSErr err = PathToSpec(folder_.File(name), &spec);
    EXPECT_TRUE(err == noErr || err == fnfErr) << err;
    return spec;
  }
  // Writes the list as a file of the type; the file's bytes.
  std::string Write(const std::string& name, OSType type, Handle list) {
    FSSpec spec = FileNamed(name);
    PresetWriteRequest request{list, type, kId};
    EXPECT_EQ(noErr, WriteVstPresetFile(&spec, &request));
    return zarin_test::ReadWholeFile(folder_.File(name));
  }
  OSErr Read(const std::string& name, const std::string& bytes, bool importAll = true,
             uint32_t parameters = 3, OSType type = 0) {
    zarin_test::WriteWholeFile(folder_.File(name), bytes);
    PresetReadRequest request;
    request.fileType = type;
    request.file = FileNamed(name);
    request.pluginId = kId;
    request.parameterCount = parameters;
    request.list = list_;
    request.importAll = importAll;
    ReadVstPresetFile(&request);
    return request.result;
  }
  zarin_test::TempFolder folder_;
  Handle list_;
};

// A program with values and one with a chunk: the header, the name (the file's name up to
// its last dot, at most 27 characters) and the lengths 56 + 4n and 60 + s.
TEST_F(PresetFileTest, ProgramFilesCarryTheirFormAndTheFilesName) {
  const float values[] = {0.25f, 0.5f, 0.75f};
  Handle one = NewPluginPresetList(0, 0);
  ASSERT_EQ(noErr, AppendPreset(one, {kId, 3, Pascal("Slot"), Handle(), 0, values}));
  std::string file = Write("Warm.pad.v2.fxp", kVstProgramFileType, one);
  ASSERT_EQ(56u + 12u, file.size());
  const uint8_t* b = reinterpret_cast<const uint8_t*>(file.data());
  EXPECT_EQ(FourCC("CcnK"), ReadU32BE(b));
  EXPECT_EQ(file.size() - 8, ReadU32BE(b + 4));
  EXPECT_EQ(FourCC("FxCk"), ReadU32BE(b + 8));
  EXPECT_EQ(1u, ReadU32BE(b + 12));
  EXPECT_EQ(kId, ReadU32BE(b + 16));
  EXPECT_EQ(3u, ReadU32BE(b + 24));
  EXPECT_STREQ("Warm.pad.v2", reinterpret_cast<const char*>(b + 28));
  EXPECT_EQ(0.75f, ReadF32BE(b + 64));

  file = Write("A very long program name that goes on.fxp", kVstProgramFileType, one);
  EXPECT_EQ(std::string("A very long program name th"), std::string(file.data() + 28));

  Handle chunk;
  ASSERT_EQ(noErr, PtrToHand("opaque!", &chunk, 7));
  ASSERT_EQ(noErr, ReplacePresetSlot(one, 0, {kId, 3, Pascal("Slot"), chunk, kPresetChunk, values}, false, false));
  file = Write("Chunk.fxp", kVstProgramFileType, one);
  ASSERT_EQ(60u + 7u, file.size());
  b = reinterpret_cast<const uint8_t*>(file.data());
  EXPECT_EQ(FourCC("FPCh"), ReadU32BE(b + 8));
  EXPECT_EQ(7u, ReadU32BE(b + 56));
  EXPECT_EQ("opaque!", file.substr(60));

  ASSERT_EQ(noErr, ReplacePresetSlot(one, 0, {kId, 3, Pascal("Slot"), chunk, kPresetChunk | kPresetBankChunk, values}, false, false));
  file = Write("Chunk.fxb", kVstBankFileType, one);
  ASSERT_EQ(160u + 7u, file.size());
  b = reinterpret_cast<const uint8_t*>(file.data());
  EXPECT_EQ(FourCC("FBCh"), ReadU32BE(b + 8));
  EXPECT_EQ(1u, ReadU32BE(b + 24));
  EXPECT_EQ(7u, ReadU32BE(b + 156));

  // Read back: one chunk preset of each form, the bank one flagged as a bank chunk.
  ASSERT_EQ(noErr, Read("again.fxb", file));
  ASSERT_EQ(1, CountPresets(list_));
  EXPECT_EQ(kPresetChunk | kPresetBankChunk, GetPresetFlags(list_, 0));
  Handle back = GetPresetChunk(list_, 0);
  EXPECT_EQ("opaque!", std::string(HandleData(back), size_t(GetHandleSize(back))));
  DisposePluginPresetList(&one);
}

// A bank whose programs have different parameter counts: each record takes its own size,
// the file's length is their sum, and reading every program gives them back as they were;
// without import-all only the first program is taken.
TEST_F(PresetFileTest, ABankSizesEachProgramByItsOwnCount) {
  const float two[] = {0.5f, -1.0f};
  const float five[] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  Handle bank = NewPluginPresetList(0, 0);
  ASSERT_EQ(noErr, AppendPreset(bank, {kId, 2, Pascal("Two"), Handle(), 0, two}));
  ASSERT_EQ(noErr, AppendPreset(bank, {kId, 5, Pascal("Five"), Handle(), 0, five}));
  ASSERT_EQ(noErr, AppendPreset(bank, {kId, 0, Pascal("None"), Handle(), 0, nullptr}));
  std::string file = Write("Mixed.fxb", kVstBankFileType, bank);
  ASSERT_EQ(156u + (56 + 8) + (56 + 20) + 56, file.size());
  const uint8_t* b = reinterpret_cast<const uint8_t*>(file.data());
  EXPECT_EQ(FourCC("FxBk"), ReadU32BE(b + 8));
  EXPECT_EQ(3u, ReadU32BE(b + 24));
  EXPECT_EQ(48u + 20u, ReadU32BE(b + 156 + 64 + 4)) << "the second record's own length";

  ASSERT_EQ(noErr, Read("Mixed.fxb", file));
  ASSERT_EQ(3, CountPresets(list_));
  const struct { const char* name; uint32_t count; const float* values; } kWant[] = {
      {"Two", 2, two}, {"Five", 5, five}, {"None", 0, nullptr}};
  for (int32_t k = 0; k < 3; ++k) {
    Str31 name;
    GetPresetName(list_, k, name);
    EXPECT_EQ(std::string(kWant[k].name), std::string(reinterpret_cast<char*>(name + 1), name[0]));
    ASSERT_EQ(kWant[k].count, GetPresetCount(list_, k));
    for (uint32_t i = 0; i < kWant[k].count; ++i) EXPECT_EQ(kWant[k].values[i], GetPresetValue(list_, k, int32_t(i)));
  }
  TruncatePresetList(list_, 0);
  ASSERT_EQ(noErr, Read("Mixed.fxb", file, false));
  EXPECT_EQ(1, CountPresets(list_));
  DisposePluginPresetList(&bank);
}

// Saving over a longer file: the file is exactly the new one, no tail of the old.
TEST_F(PresetFileTest, SavingOverALongerFileLeavesNoTail) {
  zarin_test::WriteWholeFile(folder_.File("Over.fxp"), std::string(4000, 'x'));
  const float values[] = {1.0f};
  Handle one = NewPluginPresetList(0, 0);
  ASSERT_EQ(noErr, AppendPreset(one, {kId, 1, Pascal("One"), Handle(), 0, values}));
  std::string file = Write("Over.fxp", kVstProgramFileType, one);
  EXPECT_EQ(60u, file.size());
  EXPECT_EQ(file.size() - 8, ReadU32BE(file.data() + 4));
  DisposePluginPresetList(&one);
}

// Every size and count of a file is checked against its length: a damaged file adds nothing
// and says so; files of another plug-in and of other types are passed over in silence.
TEST_F(PresetFileTest, DamagedFilesAreRefusedAndAddNothing) {
  std::vector<uint8_t> good = ProgramFile(3, "Good");
  std::vector<uint8_t> hugeCount = good;
  Put32(&hugeCount, 24, 0x40000000);
  std::vector<uint8_t> shortValues = ProgramFile(3, "Short");
  shortValues.resize(60);
  std::vector<uint8_t> chunk = good;
  Put32(&chunk, 8, FourCC("FPCh"));
  Put32(&chunk, 56, 0xFFFFFFF0);
  std::vector<uint8_t> bankChunk(160, 0);
  Put32(&bankChunk, 0, FourCC("CcnK"));
  Put32(&bankChunk, 8, FourCC("FBCh"));
  Put32(&bankChunk, 16, kId);
  Put32(&bankChunk, 156, 1);
  std::vector<uint8_t> bank(156, 0);
  bank.insert(bank.end(), good.begin(), good.end());
  Put32(&bank, 0, FourCC("CcnK"));
  Put32(&bank, 8, FourCC("FxBk"));
  Put32(&bank, 16, kId);
  std::vector<uint8_t> bankTooMany = bank;
  Put32(&bankTooMany, 24, 1000);
  std::vector<uint8_t> bankBadRecord = bank;
  Put32(&bankBadRecord, 24, 1);
  Put32(&bankBadRecord, 156 + 24, 9);  // the record's values run past the end
  std::vector<uint8_t> magic = good;
  Put32(&magic, 8, FourCC("Junk"));
  std::vector<uint8_t> other = ProgramFile(3, "Other", 0x4F746872);

  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    OSErr result;
    int32_t added;
  } kCases[] = {
      {"a good program", good, noErr, 1},
      {"a count beyond the file", hugeCount, kPresetFileDamagedErr, 0},
      {"values cut short", shortValues, kPresetFileDamagedErr, 0},
      {"a chunk size beyond the file", chunk, kPresetFileDamagedErr, 0},
      {"a bank chunk beyond the file", bankChunk, kPresetFileDamagedErr, 0},
      {"shorter than a header", std::vector<uint8_t>(good.begin(), good.begin() + 20), kPresetFileDamagedErr, 0},
      // the programs read before the damage stay
      {"a bank of more programs than records", bankTooMany, kPresetFileDamagedErr, 1},
      {"a bank record running past the end", bankBadRecord, kPresetFileDamagedErr, 0},
      {"an unknown magic", magic, paramErr, 0},
      {"another plug-in's file", other, noErr, 0},
  };
  for (const auto& c : kCases) {
    TruncatePresetList(list_, 0);
    EXPECT_EQ(c.result, Read("case.fxp", Bytes(c.bytes))) << c.what;
    EXPECT_EQ(c.added, CountPresets(list_)) << c.what;
  }
  // A file that says nothing of its type is not a preset file.
  TruncatePresetList(list_, 0);
  EXPECT_EQ(noErr, Read("notes.txt", Bytes(good)));
  EXPECT_EQ(0, CountPresets(list_));
}

// Naming: the stored name when it holds a letter, else (digits, spaces, empty, or when
// asked) the file's name; 'EM9S' presets are taken only at their sizes.
TEST_F(PresetFileTest, PresetsAreNamedAndTakenAsTheFileSays) {
  const struct {
    const char* stored;
    bool afterFile;
    const char* want;
  } kNames[] = {{"Bright", false, "Bright"}, {"123 45", false, "P.fxp"}, {"", false, "P.fxp"}, {"Bright", true, "P.fxp"}};
  for (const auto& c : kNames) {
    TruncatePresetList(list_, 0);
    zarin_test::WriteWholeFile(folder_.File("P.fxp"), Bytes(ProgramFile(3, c.stored)));
    PresetReadRequest request;
    request.file = FileNamed("P.fxp");
    request.pluginId = kId;
    request.list = list_;
    request.nameAfterFile = c.afterFile;
    ReadVstPresetFile(&request);
    ASSERT_EQ(noErr, request.result);
    Str31 name;
    GetPresetName(list_, 0, name);
    EXPECT_EQ(std::string(c.want), std::string(reinterpret_cast<char*>(name + 1), name[0])) << c.stored;
  }
  std::vector<uint8_t> em9s(24 + 12, 0);
  Put32(&em9s, 8, 3);
  Put32(&em9s, 20, kId);
  PutF(&em9s, 24 + 8, 0.5f);
  TruncatePresetList(list_, 0);
  EXPECT_EQ(noErr, Read("e", Bytes(em9s), true, 3, FourCC("EM9S")));
  ASSERT_EQ(1, CountPresets(list_));
  EXPECT_EQ(0.5f, GetPresetValue(list_, 0, 2));
  em9s.resize(24 + 24);  // not less than 24 + 8n
  EXPECT_EQ(noErr, Read("e", Bytes(em9s), true, 3, FourCC("EM9S")));
  EXPECT_EQ(1, CountPresets(list_));
  // A file of unknown Finder type but a bank's extension is read as a bank.
  TruncatePresetList(list_, 0);
  std::vector<uint8_t> bank(156, 0);
  Put32(&bank, 0, FourCC("CcnK"));
  Put32(&bank, 8, FourCC("FxBk"));
  Put32(&bank, 16, kId);
  Put32(&bank, 24, 1);
  std::vector<uint8_t> program = ProgramFile(2, "In bank");
  bank.insert(bank.end(), program.begin(), program.end());
  EXPECT_EQ(noErr, Read("b.FXB", Bytes(bank), true, 3, FourCC("????")));
  EXPECT_EQ(1, CountPresets(list_));
}

// Resource presets: the record of the plug-in id's type is taken when its count matches the
// plug-in's, also from an older record whose count sits 10 bytes further on; a chunk
// resource makes it a chunk preset.
TEST_F(PresetFileTest, ResourcePresetsAreReadInBothLayouts) {
  const float values[] = {0.25f, 0.5f, 0.75f};
  Handle made = NewPluginPresetList(0, 0);
  ASSERT_EQ(noErr, AppendPreset(made, {kId, 3, Pascal("Res"), Handle(), 0, values}));
  std::string slot(HandleData(made) + 32, 64 + 12);
  DisposePluginPresetList(&made);
  std::string old = slot.substr(0, 4) + std::string(10, '\0') + slot.substr(4);
  const struct { const char* file; std::string record; bool chunk; } kCases[] = {
      {"now.pset", slot, false}, {"old.pset", old, false}, {"chunk.pset", slot, true}};
  for (const auto& c : kCases) {
    FSSpec spec = FileNamed(c.file);
    FSpCreateResFile(&spec, FourCC("V|ov"), FourCC("mPiP"), 0);
    int16_t saved = CurResFile();
    int16_t ref = FSpOpenResFile(&spec, fsRdWrPerm);
    ASSERT_NE(-1, ref) << c.file;
    Handle record;
    ASSERT_EQ(noErr, PtrToHand(c.record.data(), &record, Size(c.record.size())));
    AddResource(record, ResType(kId), 128, Pascal(""));
    if (c.chunk) {
      Handle chunk;
      ASSERT_EQ(noErr, PtrToHand("state", &chunk, 5));
      AddResource(chunk, FourCC("EcNk"), 128, Pascal(""));
    }
    CloseResFile(ref);
    UseResFile(saved);
    TruncatePresetList(list_, 0);
    PresetReadRequest request;
    request.fileType = FourCC("mPiP");
    request.file = spec;
    request.pluginId = kId;
    request.parameterCount = 3;
    request.list = list_;
    ReadVstPresetFile(&request);
    ASSERT_EQ(noErr, request.result) << c.file;
    ASSERT_EQ(1, CountPresets(list_)) << c.file;
    if (c.chunk) {
      EXPECT_EQ(uint32_t(kPresetChunk), GetPresetFlags(list_, 0));
      EXPECT_EQ(5, GetHandleSize(GetPresetChunk(list_, 0)));
    } else {
      EXPECT_EQ(0.75f, GetPresetValue(list_, 0, 2)) << c.file;
    }
  }
  // A record of another count is not this plug-in's.
  TruncatePresetList(list_, 0);
  PresetReadRequest request;
  request.fileType = FourCC("mPiP");
  request.file = FileNamed("now.pset");
  request.pluginId = kId;
  request.parameterCount = 4;
  request.list = list_;
  ReadVstPresetFile(&request);
  EXPECT_EQ(0, CountPresets(list_));
}

}  // namespace
