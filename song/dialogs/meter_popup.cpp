#include "song/dialogs/meter_popup.h"

#include "shell/dialogs/drawn_popups.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"

namespace {

void AppendChar(Str255 text, unsigned char c) { text[++text[0]] = c; }

// "n/d" of a meter table entry.
void MeterEntryText(int32_t entry, Str255 text) {
  int32_t numerator = gMeterTable[entry] >> 4;
  text[0] = 0;
  if (numerator >= 10) AppendChar(text, uint8_t('0' + numerator / 10));
  AppendChar(text, uint8_t('0' + numerator % 10));
  AppendChar(text, '/');
  AppendChar(text, uint8_t('0' + (gMeterTable[entry] & 0x0F)));
}

}  // namespace

int32_t BuildMeterPopup() {
  BeginPopUpMenu();
  Str255 text;
  for (int32_t i = 0; i < kMeterTableCount; ++i) {
    MeterEntryText(i, text);
    AddPopUpItem(text);
  }
  int32_t current = FindMeterTableEntry(gConductorState.beatsPerBar, gConductorState.ticksPerBeat);
  if (current >= 0) MarkPopUpItem(current);
  return current;
}

int32_t RunMeterPopup(int16_t h, int16_t v) {
  int32_t current = BuildMeterPopup();
  if (!PopUpMenuAtPoint(v, h, current < 0 ? 0 : current) || gPopUpChoice < 0) return -1;
  int32_t choice = gPopUpChoice;
  // ApplyMeterChange redraws every view, the conductor list among them.
  ApplyMeterTableEntry(choice);
  return choice;
}
