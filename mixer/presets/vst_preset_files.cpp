#include "mixer/presets/vst_preset_files.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/files/sidecars.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/text_case.h"
#include "plugins/host/plugin_preset_lists.h"
#include "shell/base/file_access.h"
#include "shell/base/file_replacement.h"

namespace {

constexpr uint32_t kCcnK = FourCC("CcnK");
constexpr uint32_t kFxCk = FourCC("FxCk");
constexpr uint32_t kFPCh = FourCC("FPCh");
constexpr uint32_t kFxBk = FourCC("FxBk");
constexpr uint32_t kFBCh = FourCC("FBCh");
constexpr OSType kUnknownType = FourCC("????");
constexpr OSType kResourcePresetType = FourCC("mPiP");
constexpr OSType kEm9sType = FourCC("EM9S");
constexpr ResType kChunkResType = FourCC("EcNk");
constexpr int16_t kPresetResId = 128;

constexpr int32_t kHeaderBytes = 24;
constexpr int32_t kProgramHeader = 56;
constexpr int32_t kProgramChunkHeader = 60;
constexpr int32_t kBankHeader = 156;
constexpr int32_t kBankChunkHeader = 160;
constexpr int32_t kNameAt = 28;
constexpr int32_t kNameBytes = 28;
constexpr int32_t kEm9sHeader = 24;
constexpr int32_t kOldResourceShift = 10;
// A preset file larger than this is not a preset file.
constexpr int64_t kMaxPresetFileBytes = 256 * 1024 * 1024;

bool IsBankType(OSType type) { return type == FourCC("AFxB") || type == FourCC("FXB ") || type == kVstBankFileType; }
bool IsProgramType(OSType type) {
  return type == FourCC("AFxP") || type == kUnknownType || type == FourCC("FXP ") || type == kVstProgramFileType;
}

// Whether `need` bytes from `at` lie inside a block of `size` bytes.
bool Fits(size_t size, uint64_t at, uint64_t need) { return at <= size && need <= size - at; }

// The stored name (28 bytes, zero-terminated or not) when it holds a letter, else the file's.
void ChooseName(const uint8_t* stored, int32_t storedBytes, ConstStr255Param fileName,
                bool nameAfterFile, Str31 name) {
  size_t length = stored ? strnlen(reinterpret_cast<const char*>(stored), size_t(storedBytes)) : 0;
  bool letter = false;
  for (size_t i = 0; i < length; ++i) letter = letter || (stored[i] >= 0x41 && stored[i] <= 0x7A);
  if (nameAfterFile || !letter) {
    name[0] = std::min<uint8_t>(fileName ? fileName[0] : 0, kPresetNameMax);
    if (name[0]) std::memcpy(name + 1, fileName + 1, name[0]);
    return;
  }
  name[0] = uint8_t(std::min<size_t>(length, kPresetNameMax));
  std::memcpy(name + 1, stored, name[0]);
}

std::vector<float> Values(const uint8_t* at, uint32_t count) {
  std::vector<float> values(count);
  for (uint32_t i = 0; i < count; ++i) values[i] = ReadF32BE(at + 4 * i);
  return values;
}

OSErr AddValues(PresetReadRequest* r, const uint8_t* name, const uint8_t* values, uint32_t count) {
  std::vector<float> v = Values(values, count);
  PluginPresetData preset;
  preset.pluginId = r->pluginId;
  preset.count = count;
  preset.name = name;
  preset.values = v.data();
  return AppendPreset(r->list, preset);
}

OSErr AddChunk(PresetReadRequest* r, const uint8_t* name, const uint8_t* bytes, uint32_t size,
               bool bank) {
  Handle chunk;
  OSErr err = PtrToHand(bytes, &chunk, Size(size));
  if (err != noErr) return memFullErr;
  PluginPresetData preset;
  preset.pluginId = r->pluginId;
  preset.name = name;
  preset.chunk = chunk;
  preset.flags = kPresetChunk | (bank ? uint32_t(kPresetBankChunk) : 0u);
  err = AppendPreset(r->list, preset);
  if (err != noErr) DisposeHandle(chunk);
  return err;
}

// One program laid out as a program file with values, from `at`: its size through *next.
OSErr AddProgramRecord(const uint8_t* data, size_t size, size_t at, ConstStr255Param fileName,
                       PresetReadRequest* r, size_t* next) {
  if (!Fits(size, at, kProgramHeader) || ReadU32BE(data + at) != kCcnK ||
      ReadU32BE(data + at + 8) != kFxCk)
    return kPresetFileDamagedErr;
  uint32_t count = ReadU32BE(data + at + 24);
  if (!Fits(size, at + kProgramHeader, 4ull * count)) return kPresetFileDamagedErr;
  Str31 name;
  ChooseName(data + at + kNameAt, kNameBytes, fileName, r->nameAfterFile, name);
  *next = at + kProgramHeader + 4ull * count;
  return AddValues(r, name, data + at + kProgramHeader, count);
}

OSErr AddBankRecords(const uint8_t* data, size_t size, ConstStr255Param fileName,
                     PresetReadRequest* r) {
  uint32_t programs = ReadU32BE(data + 24);
  size_t at = kBankHeader;
  if (!r->importAll) programs = std::min<uint32_t>(programs, 1);
  for (uint32_t k = 0; k < programs; ++k) {
    OSErr err = AddProgramRecord(data, size, at, fileName, r, &at);
    if (err != noErr) return err;
  }
  return noErr;
}

OSErr AddChunkForm(const uint8_t* data, size_t size, bool bankChunk, ConstStr255Param fileName,
                   PresetReadRequest* r) {
  size_t sizeAt = bankChunk ? kBankHeader : kProgramHeader;
  if (!Fits(size, sizeAt, 4)) return kPresetFileDamagedErr;
  uint32_t chunkSize = ReadU32BE(data + sizeAt);
  if (!Fits(size, sizeAt + 4, chunkSize)) return kPresetFileDamagedErr;
  Str31 name;
  ChooseName(bankChunk ? nullptr : data + kNameAt, kNameBytes, fileName, r->nameAfterFile, name);
  return AddChunk(r, name, data + sizeAt + 4, chunkSize, bankChunk);
}

// The whole data fork, or an error (files beyond the limit are damaged).
OSErr ReadWholeFork(const FSSpec* file, std::vector<uint8_t>* bytes) {
  int16_t ref = 0;
  OSErr err = OpenDataFork(file, fsRdPerm, &ref);
  if (err != noErr) return err;
  int64_t size = 0;
  err = FetchForkSize(ref, &size);
  if (err == noErr && (size < 0 || size > kMaxPresetFileBytes)) err = kPresetFileDamagedErr;
  if (err == noErr) {
    bytes->resize(size_t(size));
    uint32_t count = uint32_t(size);
    if (count > 0) err = ReadFork(ref, &count, bytes->data());
    if (err == noErr && count != uint32_t(size)) err = eofErr;
  }
  CloseFork(ref);
  return err;
}

// A preset resource: a slot whose count matches the plug-in's (an older record has its count
// 10 bytes further on and is moved into place first).
OSErr AddResourcePreset(PresetReadRequest* r) {
  int16_t saved = CurResFile();
  int16_t ref = FSpOpenResFile(&r->file, fsRdPerm);
  if (ref == -1) return noErr;
  OSErr err = noErr;
  Handle record = Get1Resource(ResType(r->pluginId), kPresetResId);
  Handle chunk = Get1Resource(kChunkResType, kPresetResId);
  if (record) {
    std::vector<uint8_t> b(HandleData(record), HandleData(record) + GetHandleSize(record));
    if (b.size() >= size_t(kPresetSlotValuesAt) + kOldResourceShift &&
        ReadU32BE(b.data() + kPresetSlotCountAt) != r->parameterCount &&
        ReadU32BE(b.data() + kPresetSlotCountAt + kOldResourceShift) == r->parameterCount)
      b.erase(b.begin() + kPresetSlotCountAt, b.begin() + kPresetSlotCountAt + kOldResourceShift);
    uint32_t count = b.size() >= size_t(kPresetSlotValuesAt) ? ReadU32BE(b.data() + kPresetSlotCountAt) : ~0u;
    if (count == r->parameterCount && Fits(b.size(), kPresetSlotValuesAt, 4ull * count)) {
      Str31 name;
      ChooseName(b.data() + kPresetSlotNameAt + 1, std::min<int32_t>(b[kPresetSlotNameAt], kPresetNameMax),
                 r->file.name, r->nameAfterFile, name);
      if (chunk)
        err = AddChunk(r, name, reinterpret_cast<const uint8_t*>(HandleData(chunk)), uint32_t(GetHandleSize(chunk)), false);
      else
        err = AddValues(r, name, b.data() + kPresetSlotValuesAt, count);
    }
  }
  CloseResFile(ref);
  UseResFile(saved);
  return err;
}

OSErr AddEm9sPreset(PresetReadRequest* r) {
  std::vector<uint8_t> b;
  OSErr err = ReadWholeFork(&r->file, &b);
  if (err != noErr) return err;
  uint64_t n = r->parameterCount;
  if (b.size() < kEm9sHeader + 4 * n || b.size() >= kEm9sHeader + 8 * n) return noErr;
  if (ReadU32BE(b.data() + 8) != n || ReadU32BE(b.data() + 20) != r->pluginId) return noErr;
  Str31 name;
  ChooseName(nullptr, 0, r->file.name, true, name);
  return AddValues(r, name, b.data() + kEm9sHeader, uint32_t(n));
}

// 1 bank, 0 program, -1 neither, from the type or (without one) the name's extension.
int32_t FileForm(const PresetReadRequest* r) {
  OSType type = r->fileType;
  if (type == 0 || type == kUnknownType) {
    if (HasFileExtension(r->file.name, "fxb")) return 1;
    if (HasFileExtension(r->file.name, "fxp")) return 0;
    if (type == 0) return -1;
  }
  if (IsBankType(type)) return 1;
  return IsProgramType(type) ? 0 : -1;
}

// The program or bank file's header block: magic, length, version, id, then the fields.
void PutHeader(uint8_t* at, uint32_t total, uint32_t magic, uint32_t id, uint32_t count) {
  WriteU32BE(at, kCcnK);
  WriteU32BE(at + 4, total - 8);
  WriteU32BE(at + 8, magic);
  WriteU32BE(at + 12, 1);
  WriteU32BE(at + 16, id);
  WriteU32BE(at + 20, 0);
  WriteU32BE(at + 24, count);
}

// The name a program file stores: the file's name up to its last dot, at most 27 characters.
void PutFileProgramName(uint8_t* at, ConstStr255Param fileName) {
  int32_t length = fileName[0];
  for (int32_t i = fileName[0]; i >= 1; --i)
    if (fileName[i] == '.') {
      length = i - 1;
      break;
    }
  std::memcpy(at, fileName + 1, size_t(std::min(length, kNameBytes - 1)));
}

void PutValues(uint8_t* at, Handle list, int32_t k, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) WriteF32BE(at + 4 * i, GetPresetValue(list, k, int32_t(i)));
}

// The bank's records: every slot by its own count.
void PutBankRecords(uint8_t* at, Handle list, uint32_t id) {
  for (int32_t k = 0; k < CountPresets(list); ++k) {
    uint32_t count = GetPresetCount(list, k);
    uint32_t bytes = kProgramHeader + 4 * count;
    PutHeader(at, bytes, kFxCk, id, count);
    Str31 name;
    GetPresetName(list, k, name);
    std::memcpy(at + kNameAt, name + 1, std::min<size_t>(name[0], kNameBytes - 1));
    PutValues(at + kProgramHeader, list, k, count);
    at += bytes;
  }
}

// The file's bytes; empty when memory is short or the sizes go beyond a file.
std::vector<uint8_t> BuildPresetFile(const FSSpec* file, const PresetWriteRequest* r) {
  Handle list = r->list;
  bool bank = IsBankType(r->fileType);
  uint32_t count = GetPresetCount(list, 0);
  Handle chunk = GetPresetChunk(list, 0);
  bool hasChunk = (GetPresetFlags(list, 0) & kPresetChunk) && chunk && IsValidHandle(chunk);
  uint64_t chunkSize = hasChunk ? uint64_t(GetHandleSize(chunk)) : 0;
  uint64_t total = hasChunk ? (bank ? kBankChunkHeader : kProgramChunkHeader) + chunkSize
                            : (bank ? kBankHeader : kProgramHeader + 4ull * count);
  if (bank && !hasChunk)
    for (int32_t k = 0; k < CountPresets(list); ++k) total += kProgramHeader + 4ull * GetPresetCount(list, k);
  std::vector<uint8_t> b;
  if (total > INT32_MAX) return b;
  b.assign(size_t(total), 0);
  uint32_t magic = bank ? (hasChunk ? kFBCh : kFxBk) : (hasChunk ? kFPCh : kFxCk);
  uint32_t field = bank ? (hasChunk ? 1u : uint32_t(CountPresets(list))) : count;
  PutHeader(b.data(), uint32_t(total), magic, r->pluginId, field);
  if (!bank) PutFileProgramName(b.data() + kNameAt, file->name);
  uint8_t* data = b.data() + (bank ? kBankHeader : kProgramHeader);
  if (hasChunk) {
    WriteU32BE(data, uint32_t(chunkSize));
    std::memcpy(data + 4, HandleData(chunk), size_t(chunkSize));
  } else if (bank) {
    PutBankRecords(data, list, r->pluginId);
  } else {
    PutValues(data, list, 0, count);
  }
  return b;
}

}  // namespace

bool HasFileExtension(ConstStr255Param name, const char* extension) {
  size_t length = std::strlen(extension);
  if (name == nullptr || name[0] < length + 1 || name[name[0] - length] != '.') return false;
  for (size_t i = 0; i < length; ++i)
    if (MacRomanToLower(name[name[0] - length + 1 + i]) != MacRomanToLower(uint8_t(extension[i])))
      return false;
  return true;
}

OSErr AddVstPresetBytes(const uint8_t* data, size_t size, ConstStr255Param fileName,
                        PresetReadRequest* r) {
  if (size < size_t(kHeaderBytes)) return kPresetFileDamagedErr;
  if (ReadU32BE(data) != kCcnK || ReadU32BE(data + 16) != r->pluginId) return noErr;
  uint32_t magic = ReadU32BE(data + 8);
  if (magic != kFxCk && magic != kFxBk && magic != kFBCh && magic != kFPCh) return paramErr;
  if (magic == kFPCh || magic == kFBCh) return AddChunkForm(data, size, magic == kFBCh, fileName, r);
  size_t next = 0;
  if (magic == kFxCk) return AddProgramRecord(data, size, 0, fileName, r, &next);
  if (size < size_t(kBankHeader)) return kPresetFileDamagedErr;
  return AddBankRecords(data, size, fileName, r);
}

void ReadVstPresetFile(PresetReadRequest* r) {
  r->result = noErr;
  if (!r->list) {
    r->result = paramErr;
    return;
  }
  if (r->fileType == kResourcePresetType) {
    r->result = AddResourcePreset(r);
    return;
  }
  if (r->fileType == kEm9sType) {
    r->result = AddEm9sPreset(r);
    return;
  }
  int32_t form = FileForm(r);
  if (form < 0) return;
  std::vector<uint8_t> bytes;
  r->result = ReadWholeFork(&r->file, &bytes);
  if (r->result == noErr) r->result = AddVstPresetBytes(bytes.data(), bytes.size(), r->file.name, r);
}

OSErr WriteVstPresetFile(const FSSpec* file, const PresetWriteRequest* request) {
  if (file == nullptr || request == nullptr || CountPresets(request->list) < 1) return paramErr;
  std::vector<uint8_t> bytes = BuildPresetFile(file, request);
  if (bytes.empty()) return memFullErr;
  FSSpec temp;
  int16_t ref = 0;
  OSErr err = BeginDataForkReplacement(file, &temp, &ref);
  if (err != noErr) return err;
  uint32_t count = uint32_t(bytes.size());
  err = WriteFork(ref, &count, bytes.data());
  OSErr closeErr = CloseFork(ref);
  if (err == noErr) err = closeErr;
  if (err != noErr) {
    AbandonDataForkReplacement(&temp);
    return err;
  }
  OSType type = IsBankType(request->fileType) ? kVstBankFileType : kVstProgramFileType;
  return CommitDataForkReplacement(&temp, file, kVstPresetCreator, type);
}

void SavedPresetName(ConstStr255Param fileName, bool bank, bool nameAfterFile, Str31 name) {
  uint8_t stored[kNameBytes] = {};
  if (!bank) PutFileProgramName(stored, fileName);
  ChooseName(bank ? nullptr : stored, kNameBytes, fileName, nameAfterFile, name);
}
