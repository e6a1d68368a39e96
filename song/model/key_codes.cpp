#include "song/model/key_codes.h"

#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "song/conductor/conductor_map.h"

const uint8_t gFifthsOfPitchClass[12] = {0, 7, 2, 9, 4, 11, 6, 1, 8, 3, 10, 5};
uint16_t gKeySpellingFlags = 0;
uint8_t gTypedAccidental = 0;

namespace {

// Letters by pitch class; 0 marks a black key.
const char kLetters[12] = {'C', 0, 'D', 0, 'E', 'F', 0, 'G', 0, 'A', 0, 'B'};
const int32_t kStyleOffset[6] = {0, 1, -1, 0, 2, -2};

}  // namespace

int32_t KeyAccidentals(uint8_t code) {
  int32_t place = KeyPlace(code);
  if (place <= 7) return place;
  if (place < kKeyPlaces) return place - kKeyPlaces;
  return 0;
}

uint8_t KeyCodeFromAccidentals(int32_t n, bool minor) {
  uint8_t code = 0;
  if (n > 0 && n <= 7) code = uint8_t(n);
  if (n < 0 && n >= -7) code = uint8_t(kKeyPlaces + n);
  if (code > 7) code |= kKeyFlats;
  if (minor) code |= kKeyMinor;
  return code;
}

uint8_t SpellPitchClass(int32_t pitch) {
  int64_t p = pitch;
  if (p < 0) p += ((-p + 11) / 12) * 12;
  bool minor = (gKeySpellingFlags & kKeySpellingMinor) != 0;
  if (minor) p += 3;
  uint8_t code = gFifthsOfPitchClass[p % 12];
  if (code > 7) code |= kKeyFlats;
  if (minor) code |= kKeyMinor;
  if (gTypedAccidental & kTypedFlat) code |= kKeyFlats;
  if (gTypedAccidental & kTypedSharp) code &= uint8_t(~kKeyFlats);
  return code;
}

StringPtr PitchName(int32_t pitch) {
  uint16_t flags = gKeySpellingFlags;
  uint8_t key = gConductorState.key;
  gKeySpellingFlags &= uint16_t(~kKeySpellingMinor);
  gConductorState.key = SpellPitchClass(pitch);
  gStringBuffer[0] = 0;
  AppendNoteLetters(gStringBuffer, pitch & 0x3f, 0);
  gConductorState.key = key;
  gKeySpellingFlags = flags;
  return gStringBuffer;
}

void SetMinorFlagFromKey() {
  if (gConductorState.key & kKeyMinor)
    gKeySpellingFlags |= kKeySpellingMinor;
  else
    gKeySpellingFlags &= uint16_t(~kKeySpellingMinor);
}

StringPtr GetMajorMinorText(int16_t n) {
  gStringBuffer[0] = 0;
  return AppendIndString(kKeyModeStrList, int16_t(n - 1));
}

StringPtr GetKeyModeText() {
  return GetMajorMinorText((gKeySpellingFlags & kKeySpellingMinor) ? 2 : 1);
}

StringPtr AppendNoteLetters(StringPtr buffer, int32_t note, int32_t style) {
  if (style < 0 || style > 5) style = 0;
  int32_t offset = kStyleOffset[style];
  int32_t pc = ((note - offset) % 12 + 12) % 12;
  uint8_t key = gConductorState.key;
  bool flatKey = (key & kKeyFlats) != 0;
  int32_t keyNumber = key & kKeyPlaceMask;
  bool black = kLetters[pc] == 0;
  if (flatKey && offset == 0 && ((pc == 11 && keyNumber <= 5) || (pc == 4 && keyNumber <= 4)))
    black = true;
  if (offset < 0 || (offset == 0 && black && flatKey)) {
    AppendPChar(buffer, uint8_t(black ? kLetters[(pc + 1) % 12] : kLetters[pc]));
    AppendPChar(buffer, 'b');
  } else if (offset > 0 || (offset == 0 && black)) {
    AppendPChar(buffer, uint8_t(black ? kLetters[(pc + 11) % 12] : kLetters[pc]));
    AppendPChar(buffer, '#');
  } else {
    AppendPChar(buffer, uint8_t(kLetters[pc]));
  }
  if (style == kSpellDoubleSharp) AppendPChar(buffer, '#');
  if (style == kSpellDoubleFlat) AppendPChar(buffer, 'b');
  return buffer;
}
