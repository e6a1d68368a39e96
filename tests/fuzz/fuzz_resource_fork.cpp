// Resource fork reader: any bytes are read without going out of bounds, and a fork that
// reads is written and read again to the same resources.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/resources/resource_fork.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  ResourceForkImage image;
  if (ParseResourceMap(bytes, &image) != noErr) return 0;
  std::string written;
  if (SerializeResourceFork(image, &written) != noErr) return 0;
  ResourceForkImage again;
  if (ParseResourceMap(written, &again) != noErr) std::abort();
  std::string rewritten;
  if (SerializeResourceFork(again, &rewritten) != noErr || rewritten != written) std::abort();
  return 0;
}
