// The program and bank file reader: whatever the bytes, the reader stays inside them, closes
// the file, adds only presets whose values lie in the file, and a list it filled is disposed
// of again without leaving a handle behind. The first byte picks how the file is typed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mixer/presets/vst_preset_files.h"
#include "platform/files/forks.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_preset_lists.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kNames[] = {"p.fxp", "b.fxb", "p.fxp", "e.em9s"};
  static const OSType kTypes[] = {0, FourCC("????"), FourCC("FXB "), FourCC("EM9S")};
  int form = data[0] & 3;
  uint32_t baseline = CountLiveHandles();
  PresetReadRequest request;
  request.file = WriteFuzzFile(kNames[form], data + 1, size - 1);
  request.fileType = kTypes[form];
  request.pluginId = size > 20 ? (uint32_t(data[17]) << 24 | uint32_t(data[18]) << 16 |
                                  uint32_t(data[19]) << 8 | data[20]) : 0;
  request.parameterCount = (data[0] >> 2) & 15;
  request.importAll = (data[0] & 0x40) != 0;
  request.nameAfterFile = (data[0] & 0x80) != 0;
  request.list = NewPluginPresetList(0, 0);
  int forks = CountOpenForks();
  ReadVstPresetFile(&request);
  if (CountOpenForks() != forks) std::abort();
  for (int32_t k = 0; k < CountPresets(request.list); ++k)
    if (4ull * GetPresetCount(request.list, k) > size) std::abort();
  DisposePluginPresetList(&request.list);
  if (CountLiveHandles() != baseline) std::abort();
  return 0;
}
