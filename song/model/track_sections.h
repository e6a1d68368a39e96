// Section lists (SectionEntry records of a track): the length kept in the first entry and
// the end of the last entry.
#pragma once

#include <cstdint>

// False when the list holds no entry.
bool GetFirstSectionLength(uint32_t list, uint32_t* length);
// 0 when the list holds no entry.
uint32_t GetLastSectionEnd(uint32_t list);
