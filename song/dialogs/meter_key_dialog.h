// The time and key signature dialog ("tksig"): what its OK button does with the values of
// its fields. The dialog itself is in shell/meter_tempo_dialogs.
#pragma once

#include <cstdint>

constexpr int32_t kMaxBeatGroups = 7;

// Option bits kept between runs.
constexpr uint8_t kSignatureChangeMeter = 0x02;
constexpr uint8_t kSignatureChangeKey = 0x04;
constexpr uint8_t kSignatureGroupedBeats = 0x08;

struct SignatureDialogOptions {
  uint8_t optionByte = kSignatureChangeMeter;
  int32_t groupCount = 0;
  int32_t groups[kMaxBeatGroups] = {};
};
extern SignatureDialogOptions gSignatureDialogOptions;

// The fields as typed: bars from 1 (fields 3 and 4), the check boxes 5, 9 and 16, the
// meter (fields 6 and 7), the key's tonic as a pitch (field 10; the note-name parser leaves
// any typed accidental in gTypedAccidental, the major/minor button the minor flag in
// gKeySpellingFlags) and the beat groups (fields 17..23, 0 empty).
struct SignatureDialogFields {
  int32_t fromBar = 1;
  int32_t toBar = 2;
  bool changeMeter = true;
  int32_t numerator = 4;
  int32_t denominator = 4;
  bool changeKey = false;
  int32_t keyPitch = 0;
  bool groupedBeats = false;
  int32_t groups[kMaxBeatGroups] = {};
};

// The fields the dialog opens with: the time selection as bars (or the whole song), the
// meter and key in force at the first bar, and the stored groups.
SignatureDialogFields GetSignatureDialogDefaults();
// After an edit of a beat group (grouped beats on): a sum of the groups above the numerator
// beeps; a sum below adds the difference to the first empty group (the last when none is
// empty). Returns the sum before the change.
int32_t BalanceBeatGroups(SignatureDialogFields* fields);
// Writes the meter and key changes of the fields over the bars from..to. Returns false when
// the to-bar lies before the from-bar (nothing is changed then).
bool ApplySignatureDialog(const SignatureDialogFields& fields);
