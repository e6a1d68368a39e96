#include "song/conductor/conductor_document_header.h"

#include "song/conductor/timebase.h"

uint16_t gDocumentResolution = kDefaultTicksPerQuarter;
int32_t gDocumentRememberedPositions[2] = {0, 0};
