#include "sequencer/clock/section_reader.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

int32_t CountSections(Handle sections) {
  if (!sections || !*sections) return 0;
  Size size = GetHandleSize(sections);
  if (size < kSectionListHeader) return 0;
  uint32_t count = ReadU32BE(*sections + kSectionCount);
  uint32_t room = uint32_t((size - kSectionListHeader) / kSectionEntrySize);
  return int32_t(count < room ? count : room);
}

bool GetSection(Handle sections, int32_t n, SectionSpan* span) {
  int32_t count = CountSections(sections);
  if (count == 0 || n < 0) return false;
  const uint8_t* e = reinterpret_cast<const uint8_t*>(*sections) + kSectionListHeader + (n % count) * kSectionEntrySize;
  span->start = ReadU32BE(e + kSectionStart);
  if (span->start == 0) span->start = 1;
  span->length = ReadU32BE(e + kSectionLength);
  uint16_t repeats = ReadU16BE(e + kSectionRepeats);
  span->repeats = repeats ? repeats : 1;
  return true;
}

int32_t AdvanceSectionIndex(Handle sections, int32_t section, uint16_t* repeatsDone, bool stay) {
  int32_t count = CountSections(sections);
  if (count == 0) return 0;
  SectionSpan span;
  GetSection(sections, section, &span);
  if (stay || ++*repeatsDone < span.repeats) return section % count;
  *repeatsDone = 0;
  return (section + 1) % count;
}
