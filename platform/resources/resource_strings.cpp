// Strings from 'STR#' lists and 'STR ' resources.
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_chain.h"
#include "platform/resources/resource_manager.h"

void GetIndString(StringPtr theString, SInt16 strListID, SInt16 index) {
  if (!theString) return;
  theString[0] = 0;
  Handle list = GetResource(FourCC("STR#"), strListID);
  if (!list) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*list);
  size_t size = size_t(GetHandleSize(list));
  if (!p || size < 2 || index < 1 || index > ReadI16BE(p)) return;
  size_t at = 2;
  for (SInt16 item = 1; item < index; ++item) {
    if (at >= size) return;
    at += 1 + size_t(p[at]);
  }
  if (at >= size || at + 1 + p[at] > size) return;  // a list shorter than its count
  std::memcpy(theString, p + at, size_t(p[at]) + 1);
}

StringHandle GetString(SInt16 stringID) { return GetResource(FourCC("STR "), stringID); }
