#include "editors/note_moves/follow_hold.h"

uint8_t gFollowHold = 0;

void SetFollowHold(bool release) {
  if (!release && gFollowHold == 0) gFollowHold = kFollowHoldDrag;
  else if (release && gFollowHold != 0) gFollowHold = 0;
}
