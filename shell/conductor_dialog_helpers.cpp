#include "shell/conductor_dialog_helpers.h"

#include "platform/system/sys_beep.h"
#include "song/conductor_map.h"

int32_t ClampOrBeep(int32_t lo, int32_t hi, int32_t v) {
  if (v >= lo && v <= hi) return v;
  SysBeep(2);
  return v < lo ? lo : hi;
}

namespace {

// Letters by pitch class; 0 marks a black key.
const char kLetters[12] = {'C', 0, 'D', 0, 'E', 'F', 0, 'G', 0, 'A', 0, 'B'};
const int32_t kStyleOffset[6] = {0, 1, -1, 0, 2, -2};

void Append(StringPtr buffer, char c) {
  if (buffer[0] < 255) buffer[++buffer[0]] = uint8_t(c);
}

}  // namespace

StringPtr AppendNoteLetters(StringPtr buffer, int32_t note, int32_t style) {
  if (style < 0 || style > 5) style = 0;
  int32_t offset = kStyleOffset[style];
  int32_t pc = ((note - offset) % 12 + 12) % 12;
  uint8_t key = gConductorState.key;
  bool flatKey = (key & 0x40) != 0;
  int32_t keyNumber = key & 0x3f;
  bool black = kLetters[pc] == 0;
  if (flatKey && offset == 0 && ((pc == 11 && keyNumber <= 5) || (pc == 4 && keyNumber <= 4)))
    black = true;
  if (offset < 0 || (offset == 0 && black && flatKey)) {
    Append(buffer, black ? kLetters[(pc + 1) % 12] : kLetters[pc]);
    Append(buffer, 'b');
  } else if (offset > 0 || (offset == 0 && black)) {
    Append(buffer, black ? kLetters[(pc + 11) % 12] : kLetters[pc]);
    Append(buffer, '#');
  } else {
    Append(buffer, kLetters[pc]);
  }
  if (style == 4) Append(buffer, '#');
  if (style == 5) Append(buffer, 'b');
  return buffer;
}
