// Apple event descriptors: plain data, lists, records and Apple events, with coercion.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <string>

#include "platform/events/apple_events.h"
#include "platform/files/aliases.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

namespace {

struct AEItem {
  AEKeyword key = 0;
  AEDesc desc;
};

}  // namespace

// Plain descriptors keep bytes; lists, records and Apple events keep items (and Apple events
// attributes). Items own their descriptors.
struct OpaqueAEDataStorageType {
  std::vector<UInt8> bytes;
  std::vector<AEItem> items;
  std::vector<AEItem> attributes;
};

namespace {

bool IsContainerType(DescType type) {
  return type == typeAEList || type == typeAERecord || type == typeAppleEvent;
}

bool IsContainer(const AEDesc* desc) {
  return desc && IsContainerType(desc->descriptorType) && desc->dataHandle;
}

bool IsKeyed(const AEDesc* desc) {
  return IsContainer(desc) && desc->descriptorType != typeAEList;
}

AEDesc MakeDesc(DescType type) {
  AEDesc desc;
  desc.descriptorType = type;
  desc.dataHandle = new OpaqueAEDataStorageType;
  return desc;
}

OSErr MakePlainDesc(DescType type, std::vector<UInt8> bytes, AEDesc* result) {
  *result = MakeDesc(type);
  result->dataHandle->bytes = std::move(bytes);
  return noErr;
}

std::vector<AEItem> CopyItems(const std::vector<AEItem>& items) {
  std::vector<AEItem> copy;
  copy.reserve(items.size());
  for (const AEItem& item : items) {
    AEItem c{item.key, AEDesc{}};
    AEDuplicateDesc(&item.desc, &c.desc);
    copy.push_back(c);
  }
  return copy;
}

void DisposeItems(std::vector<AEItem>* items) {
  for (AEItem& item : *items) AEDisposeDesc(&item.desc);
  items->clear();
}

AEItem* FindKeyed(std::vector<AEItem>& items, AEKeyword key) {
  for (AEItem& item : items)
    if (item.key == key) return &item;
  return nullptr;
}

// --- File coercions ---

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && isxdigit(UInt8(text[i + 1])) &&
        isxdigit(UInt8(text[i + 2]))) {
      out.push_back(char(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// The path of a file URL ("file:///a/b", "file://localhost/a/b"), "" when it is none.
std::string PathOfFileURL(const std::vector<UInt8>& bytes) {
  std::string url(bytes.begin(), bytes.end());
  const std::string prefix = "file://";
  if (url.compare(0, prefix.size(), prefix) != 0) return "";
  std::string rest = url.substr(prefix.size());
  if (rest.compare(0, 9, "localhost") == 0) rest = rest.substr(9);
  if (rest.empty() || rest[0] != '/') return "";
  std::string path = PercentDecode(rest);
  return path.find('\0') == std::string::npos ? path : "";
}

std::string FileURLOfPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (UInt8 c : path) {
    if (isalnum(c) || std::strchr("/-._~", c)) {
      url.push_back(char(c));
    } else {
      url.push_back('%');
      url.push_back(kHex[c >> 4]);
      url.push_back(kHex[c & 15]);
    }
  }
  return url;
}

bool SpecFromFileData(DescType fromType, const std::vector<UInt8>& bytes, FSSpec* fileSpec) {
  if (fromType == typeFSS) {
    if (bytes.size() != kFSSpecImageSize) return false;
    FSSpecFromAEImage(bytes.data(), fileSpec);
    return true;
  }
  if (fromType == typeFSRef) {
    FSRef ref;
    if (bytes.size() != sizeof ref) return false;
    std::memcpy(&ref, bytes.data(), sizeof ref);
    return FSRefToFSSpec(&ref, fileSpec) == noErr;
  }
  if (fromType == typeFileURL) {
    std::string path = PathOfFileURL(bytes);
    if (path.empty()) return false;
    OSErr err = PathToSpec(path, fileSpec);
    return err == noErr || err == fnfErr;
  }
  if (fromType == typeAlias) {
    Handle alias;
    if (PtrToHand(bytes.data(), &alias, Size(bytes.size())) != noErr) return false;
    Boolean changed = false;
    OSErr err = ResolveAlias(nullptr, alias, fileSpec, &changed);
    DisposeHandle(alias);
    return err == noErr;
  }
  return false;
}

bool IsFileType(DescType type) {
  return type == typeFSS || type == typeFSRef || type == typeFileURL || type == typeAlias;
}

OSErr CoerceFileData(DescType fromType, const std::vector<UInt8>& bytes, DescType toType,
                     std::vector<UInt8>* out) {
  FSSpec fileSpec;
  if (!SpecFromFileData(fromType, bytes, &fileSpec)) return errAECoercionFail;
  if (toType == typeFSS) {
    out->assign(kFSSpecImageSize, 0);
    FSSpecToAEImage(fileSpec, out->data());
    return noErr;
  }
  if (toType == typeFSRef) {
    FSRef ref;
    if (FSpMakeFSRef(&fileSpec, &ref) != noErr) return errAECoercionFail;
    out->assign(reinterpret_cast<UInt8*>(&ref), reinterpret_cast<UInt8*>(&ref) + sizeof ref);
    return noErr;
  }
  if (toType == typeFileURL) {
    std::string path = SpecToPath(&fileSpec);
    if (path.empty()) return errAECoercionFail;
    std::string url = FileURLOfPath(path);
    out->assign(url.begin(), url.end());
    return noErr;
  }
  return errAECoercionFail;
}

OSErr CoercePlain(DescType fromType, const std::vector<UInt8>& bytes, DescType toType,
                  std::vector<UInt8>* out) {
  if (fromType != toType && IsFileType(fromType) && IsFileType(toType))
    return CoerceFileData(fromType, bytes, toType, out);
  return CoerceValueData(fromType, bytes.data(), bytes.size(), toType, out);
}

OSErr CopyOut(const AEDesc& desc, DescType* typeCode, void* dataPtr, Size maximumSize,
              Size* actualSize) {
  if (IsContainer(&desc)) return errAECoercionFail;
  const std::vector<UInt8>& bytes = desc.dataHandle->bytes;
  if (typeCode) *typeCode = desc.descriptorType;
  if (actualSize) *actualSize = Size(bytes.size());
  if (dataPtr && maximumSize > 0)
    std::memcpy(dataPtr, bytes.data(), std::min<size_t>(size_t(maximumSize), bytes.size()));
  return noErr;
}

// The item as desiredType, copied out into a raw buffer.
OSErr GetItemPtr(const AEDesc& item, DescType desiredType, DescType* typeCode, void* dataPtr,
                 Size maximumSize, Size* actualSize) {
  if (maximumSize < 0) return paramErr;
  AEDesc coerced;
  OSErr err = AECoerceDesc(&item, desiredType, &coerced);
  if (err != noErr) return err;
  err = CopyOut(coerced, typeCode, dataPtr, maximumSize, actualSize);
  AEDisposeDesc(&coerced);
  return err;
}

OSErr PutKeyed(std::vector<AEItem>& items, AEKeyword key, const AEDesc* desc) {
  AEDesc copy;
  OSErr err = AEDuplicateDesc(desc, &copy);
  if (err != noErr) return err;
  if (AEItem* existing = FindKeyed(items, key)) {
    AEDisposeDesc(&existing->desc);
    existing->desc = copy;
  } else {
    items.push_back(AEItem{key, copy});
  }
  return noErr;
}

OSErr WithTempDesc(DescType type, const void* data, Size size,
                   const std::function<OSErr(const AEDesc*)>& use) {
  AEDesc temp;
  OSErr err = AECreateDesc(type, data, size, &temp);
  if (err != noErr) return err;
  err = use(&temp);
  AEDisposeDesc(&temp);
  return err;
}

AEReturnID gLastReturnID = 0;

}  // namespace

void AEInitializeDesc(AEDesc* desc) {
  if (!desc) return;
  desc->descriptorType = typeNull;
  desc->dataHandle = nullptr;
}

OSErr AECreateDesc(DescType typeCode, const void* dataPtr, Size dataSize, AEDesc* result) {
  if (!result || dataSize < 0 || (dataSize > 0 && !dataPtr)) return paramErr;
  AEInitializeDesc(result);
  if (typeCode == typeNull && dataSize == 0) return noErr;
  if (IsContainerType(typeCode)) {
    if (dataSize > 0) return errAEWrongDataType;
    *result = MakeDesc(typeCode);
    return noErr;
  }
  const UInt8* bytes = static_cast<const UInt8*>(dataPtr);
  return MakePlainDesc(typeCode, std::vector<UInt8>(bytes, bytes + dataSize), result);
}

OSErr AEDisposeDesc(AEDesc* desc) {
  if (!desc) return noErr;
  if (desc->dataHandle) {
    DisposeItems(&desc->dataHandle->items);
    DisposeItems(&desc->dataHandle->attributes);
    delete desc->dataHandle;
  }
  AEInitializeDesc(desc);
  return noErr;
}

OSErr AEDuplicateDesc(const AEDesc* source, AEDesc* result) {
  if (!source || !result) return paramErr;
  AEInitializeDesc(result);
  if (!source->dataHandle) {
    result->descriptorType = source->descriptorType;
    return noErr;
  }
  AEDesc copy = MakeDesc(source->descriptorType);
  copy.dataHandle->bytes = source->dataHandle->bytes;
  copy.dataHandle->items = CopyItems(source->dataHandle->items);
  copy.dataHandle->attributes = CopyItems(source->dataHandle->attributes);
  *result = copy;
  return noErr;
}

Size AEGetDescDataSize(const AEDesc* desc) {
  if (!desc || !desc->dataHandle || IsContainer(desc)) return 0;
  return Size(desc->dataHandle->bytes.size());
}

OSErr AEGetDescData(const AEDesc* desc, void* dataPtr, Size maximumSize) {
  if (!desc || maximumSize < 0 || (maximumSize > 0 && !dataPtr)) return paramErr;
  if (IsContainer(desc)) return errAEWrongDataType;
  if (!desc->dataHandle) return noErr;
  return CopyOut(*desc, nullptr, dataPtr, maximumSize, nullptr);
}

OSErr AECoerceDesc(const AEDesc* desc, DescType toType, AEDesc* result) {
  if (!desc || !result) return paramErr;
  AEInitializeDesc(result);
  if (toType == desc->descriptorType || toType == typeWildCard) return AEDuplicateDesc(desc, result);
  if (toType == typeAEList) {
    AEDesc list = MakeDesc(typeAEList);
    AEPutDesc(&list, 0, desc);
    *result = list;
    return noErr;
  }
  if (IsContainer(desc) || !desc->dataHandle) return errAECoercionFail;
  std::vector<UInt8> bytes;
  OSErr err = CoercePlain(desc->descriptorType, desc->dataHandle->bytes, toType, &bytes);
  if (err != noErr) return errAECoercionFail;
  return MakePlainDesc(toType, std::move(bytes), result);
}

OSErr AECoercePtr(DescType typeCode, const void* dataPtr, Size dataSize, DescType toType,
                  AEDesc* result) {
  if (!result) return paramErr;
  AEInitializeDesc(result);
  return WithTempDesc(typeCode, dataPtr, dataSize,
                      [&](const AEDesc* temp) { return AECoerceDesc(temp, toType, result); });
}

OSErr AECreateList(const void*, Size, Boolean isRecord, AEDescList* resultList) {
  if (!resultList) return paramErr;
  *resultList = MakeDesc(isRecord ? typeAERecord : typeAEList);
  return noErr;
}

OSErr AECountItems(const AEDescList* list, SInt32* count) {
  if (!list || !count) return paramErr;
  if (!IsContainer(list)) return errAEWrongDataType;
  *count = SInt32(list->dataHandle->items.size());
  return noErr;
}

OSErr AEPutPtr(AEDescList* list, SInt32 index, DescType typeCode, const void* dataPtr,
               Size dataSize) {
  return WithTempDesc(typeCode, dataPtr, dataSize,
                      [&](const AEDesc* temp) { return AEPutDesc(list, index, temp); });
}

OSErr AEPutDesc(AEDescList* list, SInt32 index, const AEDesc* desc) {
  if (!list || !desc) return paramErr;
  if (!IsContainer(list) || list->descriptorType != typeAEList) return errAEWrongDataType;
  auto& items = list->dataHandle->items;
  SInt32 count = SInt32(items.size());
  if (index < 0 || index > count + 1) return errAEIllegalIndex;
  AEDesc copy;
  OSErr err = AEDuplicateDesc(desc, &copy);
  if (err != noErr) return err;
  if (index == 0 || index == count + 1) {
    items.push_back(AEItem{typeWildCard, copy});
  } else {
    AEDisposeDesc(&items[size_t(index - 1)].desc);
    items[size_t(index - 1)].desc = copy;
  }
  return noErr;
}

OSErr AEGetNthPtr(const AEDescList* list, SInt32 index, DescType desiredType,
                  AEKeyword* keyword, DescType* typeCode, void* dataPtr, Size maximumSize,
                  Size* actualSize) {
  if (!list) return paramErr;
  if (!IsContainer(list)) return errAEWrongDataType;
  const auto& items = list->dataHandle->items;
  if (index < 1 || index > SInt32(items.size())) return errAEIllegalIndex;
  const AEItem& item = items[size_t(index - 1)];
  OSErr err = GetItemPtr(item.desc, desiredType, typeCode, dataPtr, maximumSize, actualSize);
  if (err == noErr && keyword) *keyword = item.key;
  return err;
}

OSErr AEGetNthDesc(const AEDescList* list, SInt32 index, DescType desiredType,
                   AEKeyword* keyword, AEDesc* result) {
  if (!list || !result) return paramErr;
  AEInitializeDesc(result);
  if (!IsContainer(list)) return errAEWrongDataType;
  const auto& items = list->dataHandle->items;
  if (index < 1 || index > SInt32(items.size())) return errAEIllegalIndex;
  const AEItem& item = items[size_t(index - 1)];
  OSErr err = AECoerceDesc(&item.desc, desiredType, result);
  if (err == noErr && keyword) *keyword = item.key;
  return err;
}

OSErr AEDeleteItem(AEDescList* list, SInt32 index) {
  if (!list) return paramErr;
  if (!IsContainer(list)) return errAEWrongDataType;
  auto& items = list->dataHandle->items;
  if (index < 1 || index > SInt32(items.size())) return errAEIllegalIndex;
  AEDisposeDesc(&items[size_t(index - 1)].desc);
  items.erase(items.begin() + (index - 1));
  return noErr;
}

OSErr AEPutParamPtr(AppleEvent* event, AEKeyword keyword, DescType typeCode, const void* dataPtr,
                    Size dataSize) {
  return WithTempDesc(typeCode, dataPtr, dataSize,
                      [&](const AEDesc* temp) { return AEPutParamDesc(event, keyword, temp); });
}

OSErr AEPutParamDesc(AppleEvent* event, AEKeyword keyword, const AEDesc* desc) {
  if (!event || !desc) return paramErr;
  if (!IsKeyed(event)) return errAEWrongDataType;
  return PutKeyed(event->dataHandle->items, keyword, desc);
}

OSErr AEGetParamPtr(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                    DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize) {
  if (!event) return paramErr;
  if (!IsKeyed(event)) return errAEWrongDataType;
  AEItem* item = FindKeyed(event->dataHandle->items, keyword);
  if (!item) return errAEDescNotFound;
  return GetItemPtr(item->desc, desiredType, typeCode, dataPtr, maximumSize, actualSize);
}

OSErr AEGetParamDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                     AEDesc* result) {
  if (!event || !result) return paramErr;
  AEInitializeDesc(result);
  if (!IsKeyed(event)) return errAEWrongDataType;
  AEItem* item = FindKeyed(event->dataHandle->items, keyword);
  if (!item) return errAEDescNotFound;
  return AECoerceDesc(&item->desc, desiredType, result);
}

OSErr AEDeleteParam(AppleEvent* event, AEKeyword keyword) {
  if (!event) return paramErr;
  if (!IsKeyed(event)) return errAEWrongDataType;
  auto& items = event->dataHandle->items;
  for (auto it = items.begin(); it != items.end(); ++it) {
    if (it->key == keyword) {
      AEDisposeDesc(&it->desc);
      items.erase(it);
      return noErr;
    }
  }
  return errAEDescNotFound;
}

OSErr AECreateAppleEvent(AEEventClass eventClass, AEEventID eventID, const AEAddressDesc* target,
                         AEReturnID returnID, AETransactionID transactionID, AppleEvent* result) {
  if (!target || !result) return paramErr;
  AEInitializeDesc(result);
  AppleEvent event = MakeDesc(typeAppleEvent);
  if (returnID == kAutoGenerateReturnID) {
    if (++gLastReturnID <= 0) gLastReturnID = 1;
    returnID = gLastReturnID;
  }
  AEPutAttributePtr(&event, keyEventClassAttr, typeType, &eventClass, sizeof eventClass);
  AEPutAttributePtr(&event, keyEventIDAttr, typeType, &eventID, sizeof eventID);
  AEPutAttributeDesc(&event, keyAddressAttr, target);
  AEPutAttributePtr(&event, keyReturnIDAttr, typeSInt16, &returnID, sizeof returnID);
  AEPutAttributePtr(&event, keyTransactionIDAttr, typeSInt32, &transactionID, sizeof transactionID);
  *result = event;
  return noErr;
}

OSErr AEPutAttributePtr(AppleEvent* event, AEKeyword keyword, DescType typeCode,
                        const void* dataPtr, Size dataSize) {
  return WithTempDesc(typeCode, dataPtr, dataSize,
                      [&](const AEDesc* temp) { return AEPutAttributeDesc(event, keyword, temp); });
}

OSErr AEPutAttributeDesc(AppleEvent* event, AEKeyword keyword, const AEDesc* desc) {
  if (!event || !desc) return paramErr;
  if (!IsContainer(event) || event->descriptorType != typeAppleEvent) return errAENotAppleEvent;
  return PutKeyed(event->dataHandle->attributes, keyword, desc);
}

OSErr AEGetAttributePtr(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                        DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize) {
  if (!event) return paramErr;
  if (!IsContainer(event) || event->descriptorType != typeAppleEvent) return errAENotAppleEvent;
  AEItem* item = FindKeyed(event->dataHandle->attributes, keyword);
  if (!item) return errAEDescNotFound;
  return GetItemPtr(item->desc, desiredType, typeCode, dataPtr, maximumSize, actualSize);
}

OSErr AEGetAttributeDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                         AEDesc* result) {
  if (!event || !result) return paramErr;
  AEInitializeDesc(result);
  if (!IsContainer(event) || event->descriptorType != typeAppleEvent) return errAENotAppleEvent;
  AEItem* item = FindKeyed(event->dataHandle->attributes, keyword);
  if (!item) return errAEDescNotFound;
  return AECoerceDesc(&item->desc, desiredType, result);
}

// --- File specifications ---

void FSSpecToAEImage(const FSSpec& fileSpec, UInt8* image) {
  std::memset(image, 0, kFSSpecImageSize);
  WriteI16BE(image, fileSpec.vRefNum);
  WriteI32BE(image + 2, fileSpec.parID);
  UInt8 length = std::min<UInt8>(fileSpec.name[0], 63);
  image[6] = length;
  std::memcpy(image + 7, fileSpec.name + 1, length);
}

void FSSpecFromAEImage(const UInt8* image, FSSpec* fileSpec) {
  *fileSpec = FSSpec{};
  fileSpec->vRefNum = ReadI16BE(image);
  fileSpec->parID = ReadI32BE(image + 2);
  UInt8 length = std::min<UInt8>(image[6], 63);
  fileSpec->name[0] = length;
  std::memcpy(fileSpec->name + 1, image + 7, length);
}

OSErr AEGetNthFSSpec(const AEDescList* list, SInt32 index, FSSpec* fileSpec) {
  if (!fileSpec) return paramErr;
  UInt8 image[kFSSpecImageSize];
  Size size = 0;
  OSErr err = AEGetNthPtr(list, index, typeFSS, nullptr, nullptr, image, sizeof image, &size);
  if (err != noErr) return err;
  if (size != Size(kFSSpecImageSize)) return errAECorruptData;
  FSSpecFromAEImage(image, fileSpec);
  return noErr;
}

OSErr AEGetParamFSSpec(const AppleEvent* event, AEKeyword keyword, FSSpec* fileSpec) {
  if (!fileSpec) return paramErr;
  UInt8 image[kFSSpecImageSize];
  Size size = 0;
  OSErr err = AEGetParamPtr(event, keyword, typeFSS, nullptr, image, sizeof image, &size);
  if (err != noErr) return err;
  if (size != Size(kFSSpecImageSize)) return errAECorruptData;
  FSSpecFromAEImage(image, fileSpec);
  return noErr;
}

OSErr AEPutFSSpec(AEDescList* list, SInt32 index, const FSSpec& fileSpec) {
  UInt8 image[kFSSpecImageSize];
  FSSpecToAEImage(fileSpec, image);
  return AEPutPtr(list, index, typeFSS, image, sizeof image);
}
