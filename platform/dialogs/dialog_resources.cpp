// Reading and writing the images of 'DLOG', 'ALRT' and 'DITL' resources.
#include "platform/dialogs/dialog_resources.h"

#include "platform/memory/byte_order.h"

namespace {

constexpr size_t kDialogFixedSize = 20;
constexpr size_t kAlertFixedSize = 12;
constexpr size_t kItemHeaderSize = 14;
constexpr SInt16 kDisableBit = 0x80;

Rect ReadRect(const UInt8* p) {
  return Rect{ReadI16BE(p), ReadI16BE(p + 2), ReadI16BE(p + 4), ReadI16BE(p + 6)};
}

void AppendBE16(std::string* out, UInt16 v) {
  out->push_back(char(v >> 8));
  out->push_back(char(v));
}

bool CarriesText(SInt16 type) {
  switch (type & ~kDisableBit) {
    case 4: case 5: case 6: case 8: case 16: return true;
    default: return false;
  }
}

bool CarriesResourceID(SInt16 type) {
  switch (type & ~kDisableBit) {
    case 7: case 32: case 64: return true;
    default: return false;
  }
}

}  // namespace

bool ParseDialogTemplate(const UInt8* bytes, size_t size, DialogTemplate* out) {
  if (!bytes || !out || size < kDialogFixedSize + 1) return false;
  size_t titleLength = bytes[kDialogFixedSize];
  size_t end = kDialogFixedSize + 1 + titleLength;
  if (end > size) return false;
  out->bounds = ReadRect(bytes);
  out->procID = ReadI16BE(bytes + 8);
  out->visible = bytes[10] != 0;
  out->goAway = bytes[12] != 0;
  out->refCon = ReadI32BE(bytes + 14);
  out->itemsID = ReadI16BE(bytes + 18);
  out->title.assign(reinterpret_cast<const char*>(bytes + kDialogFixedSize + 1), titleLength);
  size_t position = (end + 1) & ~size_t(1);
  out->position = position + 2 <= size ? ReadU16BE(bytes + position) : 0;
  return true;
}

bool ParseAlertTemplate(const UInt8* bytes, size_t size, AlertTemplate* out) {
  if (!bytes || !out || size < kAlertFixedSize) return false;
  out->bounds = ReadRect(bytes);
  out->itemsID = ReadI16BE(bytes + 8);
  out->stages = ReadU16BE(bytes + 10);
  out->position = size >= kAlertFixedSize + 2 ? ReadU16BE(bytes + 12) : 0;
  return true;
}

bool ParseDialogItemList(const UInt8* bytes, size_t size, std::vector<DialogItemTemplate>* out) {
  if (!bytes || !out || size < 2) return false;
  out->clear();
  int count = ReadI16BE(bytes) + 1;
  if (count < 0 || size_t(count) > kMaxDialogItems) return false;
  size_t at = 2;
  for (int i = 0; i < count; ++i) {
    if (at + kItemHeaderSize > size) return false;
    DialogItemTemplate item;
    item.rect = ReadRect(bytes + at + 4);
    item.type = bytes[at + 12];
    size_t length = bytes[at + 13];
    const UInt8* data = bytes + at + kItemHeaderSize;
    if (at + kItemHeaderSize + length > size) return false;
    SInt16 base = SInt16(item.type & ~kDisableBit);
    if (CarriesText(item.type)) {
      item.text.assign(reinterpret_cast<const char*>(data), length);
    } else if (CarriesResourceID(item.type)) {
      if (length != 2) return false;
      item.resourceID = ReadI16BE(data);
    } else if (base != 0 && base != 1) {
      return false;
    }
    out->push_back(std::move(item));
    at += kItemHeaderSize + length + (length & 1);
  }
  return true;
}

std::string BuildDialogItemList(const std::vector<DialogItemTemplate>& items) {
  std::string out;
  AppendBE16(&out, UInt16(SInt16(items.size()) - 1));
  for (const DialogItemTemplate& item : items) {
    out.append(4, '\0');
    for (SInt16 v : {item.rect.top, item.rect.left, item.rect.bottom, item.rect.right})
      AppendBE16(&out, UInt16(v));
    out.push_back(char(item.type));
    std::string data = item.text.substr(0, 255);
    if (CarriesResourceID(item.type)) {
      data.clear();
      AppendBE16(&data, UInt16(item.resourceID));
    }
    out.push_back(char(data.size()));
    out += data;
    if (data.size() & 1) out.push_back('\0');
  }
  return out;
}
