// CFData: an immutable block of bytes.
#include "platform/text/cf_data.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text/cf_object.h"

struct CFDataObject : CFObject {
  explicit CFDataObject(std::vector<UInt8> b) : CFObject(kCFDataTypeID), bytes(std::move(b)) {}
  std::string Describe() const override { return "<CFData " + std::to_string(bytes.size()) + " bytes>"; }
  bool Equals(const CFObject& other) const override { return static_cast<const CFDataObject&>(other).bytes == bytes; }
  std::vector<UInt8> bytes;
};

namespace {

const CFDataObject* AsData(CFDataRef d) { return CFCast<CFDataObject>(d, kCFDataTypeID); }

}  // namespace

CFTypeID CFDataGetTypeID() { return kCFDataTypeID; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (bytes == nullptr && length > 0)) return nullptr;
  return new CFDataObject(std::vector<UInt8>(bytes, bytes + length));
}

CFIndex CFDataGetLength(CFDataRef data) {
  const CFDataObject* d = AsData(data);
  return d != nullptr ? CFIndex(d->bytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data) {
  const CFDataObject* d = AsData(data);
  return d != nullptr && !d->bytes.empty() ? d->bytes.data() : nullptr;
}

void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer) {
  const CFDataObject* d = AsData(data);
  if (d == nullptr || buffer == nullptr || range.location < 0 || range.length <= 0) return;
  size_t start = size_t(range.location);
  if (start >= d->bytes.size()) return;
  size_t n = std::min(size_t(range.length), d->bytes.size() - start);
  std::memcpy(buffer, d->bytes.data() + start, n);
}
