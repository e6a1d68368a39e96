#include "song/smf/smf_import_state.h"

#include "shell/base/memory_reserve.h"

Handle gSmfChunk;
uint16_t gSmfFormat = 0;
int32_t gSmfTracksLeftOut = 0;
uint8_t gSmfSmpteTiming = 0;
int32_t gSmfDivision = 1;
uint8_t gSmfOpenKind = 0;
uint8_t gSmfFallBackToMovie = 1;

void ResetSmfImportState() {
  DisposeHandleAndClear(&gSmfChunk);
  gSmfOpenKind = 0;
  gSmfFallBackToMovie = 1;
}
