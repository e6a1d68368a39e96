#include "shell/dialogs/note_names.h"

#include "sequencer/midi/coremidi_driver.h"
#include "shell/base/app_strings.h"
#include "shell/dialogs/dialog_text.h"
#include "song/model/key_codes.h"

namespace {

// Pitch classes of the letters A..G.
const int32_t kLetterPitch[7] = {9, 11, 0, 2, 4, 5, 7};

bool IsNoteLetter(uint8_t c) {
  c = UppercaseChar(c);
  return c >= 'A' && c <= 'G';
}

}  // namespace

int32_t GetOctaveOffset() { return (gMidiPrefs & kMidiPrefMiddleCOctave4) ? 1 : 2; }

StringPtr MakeNoteName(StringPtr buffer, int32_t note, int32_t style) {
  if (!buffer) buffer = gStringBuffer;
  if (note < 0) note = 0;
  if (note > 127) note = 127;
  buffer[0] = 0;
  AppendNoteLetters(buffer, note, style);
  int32_t octave = note / 12 - GetOctaveOffset();
  if (octave < 0) AppendPStringChar(buffer, '-');
  AppendPStringChar(buffer, uint8_t('0' + (octave < 0 ? -octave : octave)));
  return buffer;
}

int32_t ParseNoteName(ConstStr255Param text, int32_t* rest, int32_t* kind) {
  int32_t at = 1;
  int32_t pc = 0;
  *kind = kSpellByKey;
  if (text[0] >= 1) {
    uint8_t letter = UppercaseChar(text[1]);
    if (letter >= 'A' && letter <= 'G') pc = kLetterPitch[letter - 'A'];
    at = 2;
  }
  if (at <= text[0] && (text[at] == '#' || text[at] == 'b')) {
    bool sharp = text[at] == '#';
    bool twice = at + 1 <= text[0] && text[at + 1] == text[at];
    int32_t steps = twice ? 2 : 1;
    pc += sharp ? steps : -steps;
    *kind = sharp ? (twice ? kSpellDoubleSharp : kSpellSharp) : (twice ? kSpellDoubleFlat : kSpellFlat);
    gTypedAccidental |= sharp ? kTypedSharp : kTypedFlat;
    at += steps;
  }
  *rest = at;
  return (pc % 12 + 12) % 12;
}

int32_t ParseNoteOrNumber(ConstStr255Param text, int32_t* kind) {
  int32_t unused = 0;
  if (!kind) kind = &unused;
  *kind = kSpellByKey;
  if (IsAllDigits(text)) return ParseLeadingNumber(text);
  if (text[0] == 0 || !IsNoteLetter(text[1])) return kNoNote;
  int32_t rest = 1;
  int32_t pc = ParseNoteName(text, &rest, kind);
  Str255 tail;
  tail[0] = uint8_t(rest <= text[0] ? text[0] - rest + 1 : 0);
  for (int i = 0; i < tail[0]; ++i) tail[i + 1] = text[rest + i];
  int64_t octave = ParseLeadingNumber(tail);
  int64_t note = pc + 12 * (octave + GetOctaveOffset());
  // Folded by whole octaves into 0..127, keeping the pitch class.
  if (note > 127) note = pc + 12 * ((127 - pc) / 12);
  if (note < 0) note = pc;
  return int32_t(note);
}
