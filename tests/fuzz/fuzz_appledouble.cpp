// Feeds arbitrary bytes to the sidecar reader; whatever it accepts must write back to bytes
// that read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files/apple_double.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppleDoubleInfo info;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (ParseAppleDouble(bytes, &info) != noErr) return 0;
  AppleDoubleInfo again;
  if (ParseAppleDouble(BuildAppleDouble(info), &again) != noErr) std::abort();
  if (again.resourceFork != info.resourceFork || again.otherEntries.size() != info.otherEntries.size())
    std::abort();
  return 0;
}
