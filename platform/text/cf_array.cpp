// CFArray: an immutable list of values.
#include "platform/text/cf_array.h"

#include <vector>

#include "platform/text/cf_object.h"

namespace {

const void* RetainValue(CFAllocatorRef, const void* value) { return CFRetain(value); }
void ReleaseValue(CFAllocatorRef, const void* value) { CFRelease(value); }

}  // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainValue, ReleaseValue};

struct CFArrayObject : CFObject {
  CFArrayObject(std::vector<const void*> v, const CFArrayCallBacks* cb)
      : CFObject(kCFArrayTypeID), values(std::move(v)) {
    if (cb != nullptr) callBacks = *cb;
    if (callBacks.retain != nullptr)
      for (const void* value : values) callBacks.retain(nullptr, value);
  }
  ~CFArrayObject() override {
    if (callBacks.release != nullptr)
      for (const void* value : values) callBacks.release(nullptr, value);
  }
  std::string Describe() const override {
    return "<CFArray " + std::to_string(values.size()) + " values>";
  }
  bool Equals(const CFObject& other) const override {
    const auto& o = static_cast<const CFArrayObject&>(other);
    if (o.values.size() != values.size()) return false;
    for (size_t i = 0; i < values.size(); ++i)
      if (values[i] != o.values[i] && !(callBacks.retain != nullptr && CFEqual(values[i], o.values[i])))
        return false;
    return true;
  }
  std::vector<const void*> values;
  CFArrayCallBacks callBacks;
};

namespace {

const CFArrayObject* AsArray(CFArrayRef a) { return CFCast<CFArrayObject>(a, kCFArrayTypeID); }

}  // namespace

CFTypeID CFArrayGetTypeID() { return kCFArrayTypeID; }

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex count,
                         const CFArrayCallBacks* callBacks) {
  if (count < 0 || (values == nullptr && count > 0)) return nullptr;
  return new CFArrayObject(std::vector<const void*>(values, values + count), callBacks);
}

CFIndex CFArrayGetCount(CFArrayRef array) {
  const CFArrayObject* a = AsArray(array);
  return a != nullptr ? CFIndex(a->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
  const CFArrayObject* a = AsArray(array);
  if (a == nullptr || index < 0 || size_t(index) >= a->values.size()) return nullptr;
  return a->values[size_t(index)];
}
