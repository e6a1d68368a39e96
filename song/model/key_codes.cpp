#include "song/model/key_codes.h"

#include "shell/base/app_strings.h"
#include "shell/dialogs/note_names.h"
#include "song/conductor/conductor_map.h"

const uint8_t gFifthsOfPitchClass[12] = {0, 7, 2, 9, 4, 11, 6, 1, 8, 3, 10, 5};
uint16_t gKeySpellingFlags = 0;
uint8_t gTypedAccidental = 0;

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
