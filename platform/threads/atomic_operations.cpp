#include "platform/threads/atomic_operations.h"

#include <atomic>

namespace {

struct BitPlace {
  UInt8* byte;
  UInt8 mask;
};

BitPlace PlaceOfBit(UInt32 bit, void* startAddress) {
  return {static_cast<UInt8*>(startAddress) + bit / 8, UInt8(0x80u >> (bit % 8))};
}

}  // namespace

Boolean CompareAndSwap(UInt32 oldValue, UInt32 newValue, UInt32* oldValuePtr) {
  if (oldValuePtr == nullptr) return false;
  return std::atomic_ref<UInt32>(*oldValuePtr).compare_exchange_strong(oldValue, newValue);
}

SInt32 IncrementAtomic(SInt32* value) { return AddAtomic(1, value); }

SInt32 DecrementAtomic(SInt32* value) { return AddAtomic(-1, value); }

SInt32 AddAtomic(SInt32 amount, SInt32* value) {
  if (value == nullptr) return 0;
  return std::atomic_ref<SInt32>(*value).fetch_add(amount);
}

UInt32 BitAndAtomic(UInt32 mask, UInt32* value) {
  if (value == nullptr) return 0;
  return std::atomic_ref<UInt32>(*value).fetch_and(mask);
}

UInt32 BitOrAtomic(UInt32 mask, UInt32* value) {
  if (value == nullptr) return 0;
  return std::atomic_ref<UInt32>(*value).fetch_or(mask);
}

UInt32 BitXorAtomic(UInt32 mask, UInt32* value) {
  if (value == nullptr) return 0;
  return std::atomic_ref<UInt32>(*value).fetch_xor(mask);
}

Boolean TestAndSet(UInt32 bit, void* startAddress) {
  if (startAddress == nullptr) return false;
  BitPlace place = PlaceOfBit(bit, startAddress);
  return (std::atomic_ref<UInt8>(*place.byte).fetch_or(place.mask) & place.mask) != 0;
}

Boolean TestAndClear(UInt32 bit, void* startAddress) {
  if (startAddress == nullptr) return false;
  BitPlace place = PlaceOfBit(bit, startAddress);
  return (std::atomic_ref<UInt8>(*place.byte).fetch_and(UInt8(~place.mask)) & place.mask) != 0;
}
