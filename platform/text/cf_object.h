// The shared header of CoreFoundation objects (private to platform/text).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/text/cf_base.h"

struct CFObject {
  static constexpr uint32_t kMagic = 0x43464f42;  // 'CFOB'

  explicit CFObject(CFTypeID type);
  virtual ~CFObject();
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;

  // One line of text for CFShow.
  virtual std::string Describe() const = 0;
  virtual bool Equals(const CFObject& other) const { return this == &other; }
  // Turns the object into a constant that retain and release leave alone.
  void MakeImmortal();

  uint32_t magic = kMagic;
  CFTypeID type;
  bool immortal = false;
  std::atomic<long> refs{1};
};

// The object behind a reference, or null when obj is null or not one of ours.
const CFObject* CFObjectFrom(CFTypeRef obj);

// The object as the given type, or null when it is null or of another type.
template <typename T>
T* CFCast(CFTypeRef obj, CFTypeID type) {
  const CFObject* o = CFObjectFrom(obj);
  if (o == nullptr || o->type != type) return nullptr;
  return static_cast<T*>(const_cast<CFObject*>(o));
}
