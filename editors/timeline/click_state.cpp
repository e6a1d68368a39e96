#include "editors/timeline/click_state.h"

int16_t gClickX = 0;
uint8_t gClickInRuler = 0;
uint8_t gBarLabelHit = 0;
uint8_t gFilterLowNote = 0;
uint8_t gFilterHighNote = 127;
int16_t gNoteTool = 0;
int16_t& gPointerMode = gNoteTool;
int32_t gSelectionAnchorTick = 1;

void ResetClickPitchRange() {
  gFilterLowNote = 0;
  gFilterHighNote = 127;
}
