// Reading and writing resource fork images. The reader checks every field against the
// bytes before it follows it; the writer checks that the resources fit the format.
#include "platform/resources/resource_fork.h"

#include <algorithm>
#include <utility>

#include "platform/memory/byte_order.h"

namespace {

// The fork as a bounded byte range; every read goes through Fits first.
struct ForkBytes {
  const std::string& bytes;
  bool Fits(uint64_t offset, uint64_t length) const {
    return offset <= bytes.size() && length <= bytes.size() - offset;
  }
  const uint8_t* At(uint64_t offset) const {
    return reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
  }
};

struct ForkLayout {
  uint64_t dataOffset = 0;
  uint64_t dataLength = 0;
  uint64_t mapOffset = 0;
  uint64_t mapLength = 0;
  uint64_t typeList = 0;  // offsets inside the map
  uint64_t nameList = 0;
};

struct Span {
  uint64_t start;
  uint64_t end;
};

OSErr ReadLayout(const ForkBytes& fork, ForkLayout* layout) {
  if (!fork.Fits(0, 16)) return kResEofErr;
  layout->dataOffset = ReadU32BE(fork.At(0));
  layout->mapOffset = ReadU32BE(fork.At(4));
  layout->dataLength = ReadU32BE(fork.At(8));
  layout->mapLength = ReadU32BE(fork.At(12));
  if (!fork.Fits(layout->dataOffset, layout->dataLength)) return kResEofErr;
  if (!fork.Fits(layout->mapOffset, layout->mapLength)) return kResEofErr;
  if (layout->mapLength < kResourceMapHeaderSize) return mapReadErr;
  const uint8_t* map = fork.At(layout->mapOffset);
  layout->typeList = ReadU16BE(map + 24);
  layout->nameList = ReadU16BE(map + 26);
  if (layout->typeList < kResourceMapHeaderSize || layout->typeList + 2 > layout->mapLength) return mapReadErr;
  if (layout->nameList < kResourceMapHeaderSize || layout->nameList > layout->mapLength) return mapReadErr;
  return noErr;
}

// Reads the name at nameOffset in the name list; the whole string must lie inside it.
OSErr ReadName(const ForkBytes& fork, const ForkLayout& layout, int16_t nameOffset, ResourceRecord* rec,
               uint64_t* nameBytes) {
  if (nameOffset == -1) return noErr;
  if (nameOffset < 0) return mapReadErr;
  uint64_t at = layout.nameList + uint64_t(nameOffset);
  if (at + 1 > layout.mapLength) return mapReadErr;
  const uint8_t* p = fork.At(layout.mapOffset + at);
  uint64_t length = p[0];
  if (at + 1 + length > layout.mapLength) return mapReadErr;
  *nameBytes += 1 + length;  // names are never shared, so they fit the name list together
  if (*nameBytes > layout.mapLength - layout.nameList) return mapReadErr;
  rec->hasName = true;
  rec->name.assign(reinterpret_cast<const char*>(p + 1), length);
  return noErr;
}

// Reads the data of the resource at dataOffset (from the data area) and records its span.
OSErr ReadData(const ForkBytes& fork, const ForkLayout& layout, uint32_t dataOffset, ResourceRecord* rec,
               std::vector<Span>* spans) {
  if (uint64_t(dataOffset) + 4 > layout.dataLength) return mapReadErr;
  uint64_t length = ReadU32BE(fork.At(layout.dataOffset + dataOffset));
  if (uint64_t(dataOffset) + 4 + length > layout.dataLength) return mapReadErr;
  spans->push_back({dataOffset, dataOffset + 4 + length});
  rec->data.assign(reinterpret_cast<const char*>(fork.At(layout.dataOffset + dataOffset + 4)), length);
  return noErr;
}

OSErr ReadReferenceList(const ForkBytes& fork, const ForkLayout& layout, const uint8_t* typeEntry,
                        ResourceForkImage* image, std::vector<Span>* spans, uint64_t* nameBytes) {
  ResType type = ReadU32BE(typeEntry);
  int32_t count = int32_t(ReadI16BE(typeEntry + 4)) + 1;
  if (count < 0) return mapReadErr;
  uint64_t refList = layout.typeList + ReadU16BE(typeEntry + 6);
  if (refList + uint64_t(count) * kResourceRefEntrySize > layout.mapLength) return mapReadErr;
  // Every resource owns at least its 4-byte length word in the data area.
  if ((image->resources.size() + count) * 4 > layout.dataLength) return mapReadErr;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* ref = fork.At(layout.mapOffset + refList + uint64_t(i) * kResourceRefEntrySize);
    ResourceRecord rec;
    rec.type = type;
    rec.id = ReadI16BE(ref);
    rec.attributes = ref[4];
    uint32_t dataOffset = ReadU32BE(ref + 4) & kResourceMaxDataOffset;
    if (OSErr err = ReadName(fork, layout, ReadI16BE(ref + 2), &rec, nameBytes)) return err;
    if (OSErr err = ReadData(fork, layout, dataOffset, &rec, spans)) return err;
    image->resources.push_back(std::move(rec));
  }
  return noErr;
}

// Two resources may not share data bytes: a map that says so lies.
bool SpansAreDisjoint(std::vector<Span>* spans) {
  std::sort(spans->begin(), spans->end(), [](const Span& a, const Span& b) { return a.start < b.start; });
  for (size_t i = 1; i < spans->size(); ++i) {
    if ((*spans)[i].start < (*spans)[i - 1].end) return false;
  }
  return true;
}

OSErr ParseInto(const std::string& bytes, ResourceForkImage* image) {
  ForkBytes fork{bytes};
  ForkLayout layout;
  if (OSErr err = ReadLayout(fork, &layout)) return err;
  const uint8_t* map = fork.At(layout.mapOffset);
  image->fileAttributes = ReadU16BE(map + 22);
  int32_t typeCount = int32_t(ReadI16BE(map + layout.typeList)) + 1;
  if (typeCount < 0) return mapReadErr;
  if (layout.typeList + 2 + uint64_t(typeCount) * kResourceTypeEntrySize > layout.mapLength) return mapReadErr;
  std::vector<Span> spans;
  uint64_t nameBytes = 0;
  for (int32_t t = 0; t < typeCount; ++t) {
    const uint8_t* entry = map + layout.typeList + 2 + uint64_t(t) * kResourceTypeEntrySize;
    if (OSErr err = ReadReferenceList(fork, layout, entry, image, &spans, &nameBytes)) return err;
  }
  if (!SpansAreDisjoint(&spans)) return mapReadErr;
  return noErr;
}

void AppendU16(std::string* out, uint16_t v) {
  char b[2];
  WriteU16BE(b, v);
  out->append(b, 2);
}

void AppendU32(std::string* out, uint32_t v) {
  char b[4];
  WriteU32BE(b, v);
  out->append(b, 4);
}

// Resources grouped by type, in order of each type's first appearance.
std::vector<std::pair<ResType, std::vector<const ResourceRecord*>>> GroupByType(const ResourceForkImage& image) {
  std::vector<std::pair<ResType, std::vector<const ResourceRecord*>>> groups;
  for (const ResourceRecord& rec : image.resources) {
    auto it = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == rec.type; });
    if (it == groups.end()) it = groups.insert(groups.end(), {rec.type, {}});
    it->second.push_back(&rec);
  }
  return groups;
}

}  // namespace

OSErr ParseResourceMap(const std::string& bytes, ResourceForkImage* image) {
  ResourceForkImage parsed;
  OSErr err = ParseInto(bytes, &parsed);
  *image = err == noErr ? std::move(parsed) : ResourceForkImage{};
  return err;
}

OSErr SerializeResourceFork(const ResourceForkImage& image, std::string* bytes) {
  auto groups = GroupByType(image);
  size_t refCount = image.resources.size();
  uint64_t nameList = kResourceMapHeaderSize + 2 + groups.size() * kResourceTypeEntrySize + refCount * kResourceRefEntrySize;
  if (nameList > 0xFFFF) return addResFailed;

  std::string data, types, refs, names;
  AppendU16(&types, uint16_t(groups.size() - 1));
  uint64_t refListOffset = 2 + groups.size() * kResourceTypeEntrySize;
  for (const auto& [type, members] : groups) {
    if (members.size() > 0x8000) return addResFailed;
    AppendU32(&types, type);
    AppendU16(&types, uint16_t(members.size() - 1));
    AppendU16(&types, uint16_t(refListOffset + refs.size()));
    for (const ResourceRecord* rec : members) {
      if (data.size() > kResourceMaxDataOffset || rec->data.size() > 0xFFFFFFFFu - data.size()) return addResFailed;
      if (rec->name.size() > 255 || names.size() > 0x7FFF) return addResFailed;
      AppendU16(&refs, uint16_t(rec->id));
      AppendU16(&refs, rec->hasName ? uint16_t(names.size()) : 0xFFFF);
      AppendU32(&refs, (uint32_t(rec->attributes) << 24) | uint32_t(data.size()));
      AppendU32(&refs, 0);
      if (rec->hasName) {
        names.push_back(char(rec->name.size()));
        names += rec->name;
      }
      AppendU32(&data, uint32_t(rec->data.size()));
      data += rec->data;
    }
  }
  uint64_t mapLength = nameList + names.size();
  if (kResourceForkHeaderSize + data.size() + mapLength > 0xFFFFFFFFu) return addResFailed;

  std::string header;
  AppendU32(&header, uint32_t(kResourceForkHeaderSize));
  AppendU32(&header, uint32_t(kResourceForkHeaderSize + data.size()));
  AppendU32(&header, uint32_t(data.size()));
  AppendU32(&header, uint32_t(mapLength));

  std::string& out = *bytes;
  out.clear();
  out.reserve(kResourceForkHeaderSize + data.size() + mapLength);
  out = header;
  out.resize(kResourceForkHeaderSize, '\0');
  out += data;
  out += header;  // the map starts with a copy of the header
  AppendU32(&out, 0);  // next map
  AppendU16(&out, 0);  // file refnum
  AppendU16(&out, image.fileAttributes);
  AppendU16(&out, uint16_t(kResourceMapHeaderSize));
  AppendU16(&out, uint16_t(nameList));
  out += types;
  out += refs;
  out += names;
  return noErr;
}

std::string EmptyResourceFork() {
  std::string bytes;
  SerializeResourceFork(ResourceForkImage{}, &bytes);
  return bytes;
}
