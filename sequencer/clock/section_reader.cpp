#include "sequencer/clock/section_reader.h"

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
