// Interim: the fields of the song document header that the resolution change reads and
// writes, until the document header record exists: its resolution field and its remembered
// positions (ticks, rescaled with the songs).
#pragma once

#include <cstdint>

extern uint16_t gDocumentResolution;
extern int32_t gDocumentRememberedPositions[2];
