// Conversions between the plain value types of descriptors and event parameters.
#include <cmath>
#include <cstring>

#include "platform/events/event_types.h"

namespace {

struct ValueType {
  DescType type;
  int size;
  bool isSigned;
  bool isFloat;
};

constexpr ValueType kValueTypes[] = {
    {typeBoolean, 1, false, false},
    {typeSInt16, 2, true, false},
    {typeUInt16, 2, false, false},
    {typeSInt32, 4, true, false},
    {typeUInt32, 4, false, false},
    {typeSInt64, 8, true, false},
    {typeUInt64, 8, false, false},
    {typeType, 4, false, false},
    {typeEnumerated, 4, false, false},
    {typeMouseButton, 2, false, false},
    {typeMouseWheelAxis, 2, false, false},
    {typeWindowPartCode, 2, true, false},
    {typeControlPartCode, 2, true, false},
    {typeClickActivationResult, 4, false, false},
    {typeModalClickResult, 4, false, false},
    {typeMenuItemIndex, 2, false, false},
    {typeMenuCommand, 4, false, false},
    {typeIEEE32BitFloatingPoint, 4, true, true},
    {typeIEEE64BitFloatingPoint, 8, true, true},
};

const ValueType* FindValueType(DescType type) {
  for (const ValueType& v : kValueTypes)
    if (v.type == type) return &v;
  return nullptr;
}

using Wide = __int128;

Wide ReadInteger(const ValueType& t, const void* data) {
  switch (t.size) {
    case 1: return Wide(*static_cast<const UInt8*>(data));
    case 2: {
      uint16_t u;
      std::memcpy(&u, data, 2);
      return t.isSigned ? Wide(int16_t(u)) : Wide(u);
    }
    case 4: {
      uint32_t u;
      std::memcpy(&u, data, 4);
      return t.isSigned ? Wide(int32_t(u)) : Wide(u);
    }
    default: {
      uint64_t u;
      std::memcpy(&u, data, 8);
      return t.isSigned ? Wide(int64_t(u)) : Wide(u);
    }
  }
}

bool FitsInteger(const ValueType& t, Wide v) {
  if (t.type == typeBoolean) return v == 0 || v == 1;
  int bits = t.size * 8;
  if (t.isSigned) {
    Wide limit = Wide(1) << (bits - 1);
    return v >= -limit && v < limit;
  }
  return v >= 0 && v < (Wide(1) << bits);
}

void WriteInteger(const ValueType& t, Wide v, UInt8* out) {
  uint64_t bits = uint64_t(v);
  switch (t.size) {
    case 1: out[0] = UInt8(bits); break;
    case 2: { uint16_t u = uint16_t(bits); std::memcpy(out, &u, 2); break; }
    case 4: { uint32_t u = uint32_t(bits); std::memcpy(out, &u, 4); break; }
    default: std::memcpy(out, &bits, 8); break;
  }
}

double ReadFloat(const ValueType& t, const void* data) {
  if (t.size == 4) {
    float f;
    std::memcpy(&f, data, 4);
    return f;
  }
  double d;
  std::memcpy(&d, data, 8);
  return d;
}

}  // namespace

OSErr CoerceValueData(DescType fromType, const void* data, size_t size, DescType toType,
                      std::vector<UInt8>* out) {
  if (!out || (size && !data)) return paramErr;
  if (fromType == toType || toType == typeWildCard) {
    const UInt8* bytes = static_cast<const UInt8*>(data);
    out->assign(bytes, bytes + size);
    return noErr;
  }
  const ValueType* from = FindValueType(fromType);
  const ValueType* to = FindValueType(toType);
  if (!from || !to) return errAECoercionFail;
  if (size != size_t(from->size)) return errAECorruptData;
  out->assign(size_t(to->size), 0);
  if (to->isFloat) {
    double value = from->isFloat ? ReadFloat(*from, data) : double(ReadInteger(*from, data));
    if (to->size == 4) {
      float f = float(value);
      std::memcpy(out->data(), &f, 4);
    } else {
      std::memcpy(out->data(), &value, 8);
    }
    return noErr;
  }
  Wide value;
  if (from->isFloat) {
    double d = ReadFloat(*from, data);
    if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 1.8e19) return errAECoercionFail;
    value = Wide(d);
  } else {
    value = ReadInteger(*from, data);
  }
  if (!FitsInteger(*to, value)) return errAECoercionFail;
  WriteInteger(*to, value, out->data());
  return noErr;
}
