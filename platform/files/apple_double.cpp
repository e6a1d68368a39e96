// AppleDouble version 2 sidecars, read and written as byte images.
#include "platform/files/apple_double.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"

void WriteFinderInfoBytes(const FInfo& finfo, const FXInfo& fxinfo, UInt8* out32) {
  WriteU32BE(out32 + 0, finfo.fdType);
  WriteU32BE(out32 + 4, finfo.fdCreator);
  WriteU16BE(out32 + 8, finfo.fdFlags);
  WriteI16BE(out32 + 10, finfo.fdLocation.v);
  WriteI16BE(out32 + 12, finfo.fdLocation.h);
  WriteI16BE(out32 + 14, finfo.fdFldr);
  std::memcpy(out32 + 16, fxinfo.bytes, 16);
}

void ReadFinderInfoBytes(const UInt8* in32, FInfo* finfo, FXInfo* fxinfo) {
  finfo->fdType = ReadU32BE(in32 + 0);
  finfo->fdCreator = ReadU32BE(in32 + 4);
  finfo->fdFlags = ReadU16BE(in32 + 8);
  finfo->fdLocation.v = ReadI16BE(in32 + 10);
  finfo->fdLocation.h = ReadI16BE(in32 + 12);
  finfo->fdFldr = ReadI16BE(in32 + 14);
  std::memcpy(fxinfo->bytes, in32 + 16, 16);
}

OSErr ParseAppleDouble(const std::string& bytes, AppleDoubleInfo* info) {
  const UInt8* p = reinterpret_cast<const UInt8*>(bytes.data());
  const UInt64 size = bytes.size();
  if (size < kAppleDoubleHeaderSize || ReadU32BE(p) != kAppleDoubleMagic || ReadU32BE(p + 4) != kAppleDoubleVersion)
    return ioErr;
  const UInt64 count = ReadU16BE(p + 24);
  if (kAppleDoubleHeaderSize + count * kAppleDoubleEntrySize > size) return ioErr;
  AppleDoubleInfo out;
  for (UInt64 i = 0; i < count; ++i) {
    const UInt8* e = p + kAppleDoubleHeaderSize + i * kAppleDoubleEntrySize;
    const UInt32 id = ReadU32BE(e);
    const UInt64 offset = ReadU32BE(e + 4);
    const UInt64 length = ReadU32BE(e + 8);
    if (offset > size || length > size - offset) return ioErr;
    std::string entry = bytes.substr(size_t(offset), size_t(length));
    if (id == kAppleDoubleFinderInfoID) {
      if (out.hasFinderInfo) return ioErr;
      UInt8 image[kFinderInfoSize] = {0};
      std::memcpy(image, entry.data(), std::min<size_t>(entry.size(), kFinderInfoSize));
      ReadFinderInfoBytes(image, &out.finderInfo, &out.extFinderInfo);
      if (entry.size() > kFinderInfoSize) out.finderInfoTail = entry.substr(kFinderInfoSize);
      out.hasFinderInfo = true;
    } else if (id == kAppleDoubleResourceForkID) {
      if (out.hasResourceFork) return ioErr;
      out.resourceFork = std::move(entry);
      out.hasResourceFork = true;
    } else {
      out.otherEntries.push_back({id, std::move(entry)});
    }
  }
  *info = std::move(out);
  return noErr;
}

std::string BuildAppleDouble(const AppleDoubleInfo& info) {
  std::vector<AppleDoubleEntry> entries;
  if (info.hasFinderInfo) {
    std::string image(kFinderInfoSize, '\0');
    WriteFinderInfoBytes(info.finderInfo, info.extFinderInfo, reinterpret_cast<UInt8*>(image.data()));
    entries.push_back({kAppleDoubleFinderInfoID, image + info.finderInfoTail});
  }
  if (info.hasResourceFork) entries.push_back({kAppleDoubleResourceForkID, info.resourceFork});
  for (const AppleDoubleEntry& e : info.otherEntries) entries.push_back(e);

  size_t offset = kAppleDoubleHeaderSize + entries.size() * kAppleDoubleEntrySize;
  std::string out(offset, '\0');
  UInt8* p = reinterpret_cast<UInt8*>(out.data());
  WriteU32BE(p, kAppleDoubleMagic);
  WriteU32BE(p + 4, kAppleDoubleVersion);
  WriteU16BE(p + 24, static_cast<UInt16>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    UInt8* e = p + kAppleDoubleHeaderSize + i * kAppleDoubleEntrySize;
    WriteU32BE(e, entries[i].id);
    WriteU32BE(e + 4, static_cast<UInt32>(offset));
    WriteU32BE(e + 8, static_cast<UInt32>(entries[i].bytes.size()));
    offset += entries[i].bytes.size();
  }
  for (const AppleDoubleEntry& e : entries) out += e.bytes;
  return out;
}
