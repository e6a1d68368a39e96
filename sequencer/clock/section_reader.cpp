#include "sequencer/clock/section_reader.h"

#include <algorithm>
#include <limits>

#include "song/model/track_sections.h"

int32_t CountSections(Handle sections) { return CountSectionEntries(sections); }

bool GetSection(Handle sections, int32_t n, SectionSpan* span) {
  int32_t count = CountSections(sections);
  SectionFields f;
  if (count == 0 || n < 0 || !GetSectionFields(sections, n % count, &f)) return false;
  span->start = f.start;
  // A span of length L plays its ticks 1 to L - 1: the section's ticks start..end - 1.
  span->length = f.end > f.start ? f.end - f.start + 1 : 0;
  span->repeats = f.count == 0 ? kEndlessSectionRepeats : uint16_t(f.count < 0xFFFF ? f.count : 0xFFFF);
  return true;
}

int32_t AdvanceSectionIndex(Handle sections, int32_t section, uint16_t* repeatsDone, bool stay) {
  int32_t count = CountSections(sections);
  if (count == 0) return 0;
  SectionSpan span;
  GetSection(sections, section, &span);
  if (stay || span.repeats == kEndlessSectionRepeats || ++*repeatsDone < span.repeats)
    return section % count;
  *repeatsDone = 0;
  return (section + 1) % count;
}

namespace {

// The ticks one pass of the section plays (its span less one), 0 for a section that does not
// loop.
uint64_t PassTicks(const SectionSpan& span) { return span.length > 1 ? span.length - 1 : 0; }

// The ticks the section plays before the reader moves on: for ever for a section that stays
// and for one that does not loop (the track plays on straight from there).
uint64_t SectionTicks(const SectionSpan& span, bool stay) {
  uint64_t pass = PassTicks(span);
  if (pass == 0 || stay || span.repeats == kEndlessSectionRepeats) return std::numeric_limits<uint64_t>::max();
  return pass * span.repeats;
}

uint64_t SaturatedSum(uint64_t a, uint64_t b) {
  return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max() : a + b;
}

}  // namespace

SectionPlace PlaceInSections(Handle sections, uint32_t played, bool stay) {
  SectionPlace place;
  int32_t count = stay ? std::min(CountSections(sections), 1) : CountSections(sections);
  uint64_t cycle = 0;
  SectionSpan span;
  for (int32_t i = 0; i < count && GetSection(sections, i, &span); ++i)
    cycle = SaturatedSum(cycle, SectionTicks(span, stay));  // an endless section saturates it
  uint64_t left = cycle ? played % cycle : 0;
  for (int32_t i = 0; i < count && GetSection(sections, i, &span); ++i) {
    uint64_t ticks = SectionTicks(span, stay);
    if (left >= ticks) {
      left -= ticks;
      continue;
    }
    uint64_t pass = PassTicks(span);
    place.section = i;
    place.repeatsDone = pass ? uint16_t(std::min<uint64_t>(left / pass, 0xFFFF)) : 0;
    place.trackTick = uint32_t(pass ? left % pass : left);
    break;
  }
  return place;
}
