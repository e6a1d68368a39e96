#include "platform/system/gestalt.h"

#include <mutex>
#include <vector>

namespace {

struct GestaltEntry {
  OSType selector;
  SInt32 value;
};

// The built-in answers. Start-up takes its full path with these: every capability it tests
// is reported present, except virtual memory (Linux pages on its own, so nothing is held).
//
// | selector | answer     | what the program makes of it                                     |
// |----------|------------|------------------------------------------------------------------|
// | 'sysv'   | 0x1049     | system 10.4.9; above every version threshold the program checks   |
// |          |            | (0x84F to start at all, 0x101F/0x103F for MIDI endpoint names,   |
// |          |            | 0x102F for the search field, 0x1040 for the generic plug-in view) |
// | 'qd  '   | 0x0230     | colour drawing (any version above 0xFF)                          |
// | 'qdrw'   | 0x0002     | bit 1: deep off-screen worlds                                    |
// | 'hdwr'   | 0x0019     | bits 0, 3 and 4, each tested by start-up and the clock settings   |
// | 'snd '   | 0x0068     | bits 0x28 (both) and 0x40                                        |
// | 'tmgr'   | 4          | Time Manager above 3: internal clock and drift-free tasks        |
// | 'evnt'   | 0x0001     | bit 0: Apple events are installed                                 |
// | 'alis'   | 0x0009     | bit 0: aliases; bit 3: resolving without user interaction        |
// | 'vm  '   | 0          | no virtual memory to hold pages against                          |
// | 'ppcf'   | 0x0010     | bit 4                                                            |
// | 'qtim'   | 0x07608000 | media layer 7.6 (above 0x024FFFFF and above 0x0703FFFF)          |
// | 'thds'   | 0x0005     | bits 0 and 2: cooperative threads available                      |
// | 'appr'   | 0x0001     | bit 0: Appearance present                                         |
// | 'apvr'   | 0x0110     | Appearance 1.1: embedding, theme cursors, scroll view sizes      |
// | 'scr#'   | 1          | one script system                                                |
// | 'wind'   | 0x0006     | bit 1: extended window attributes; bit 2: floating windows       |
// | 'drag'   | 0x000C     | bit 2: tracking/receive handlers; bit 3: translucent drag images |
constexpr GestaltEntry kBuiltInAnswers[] = {
    {gestaltSystemVersion, 0x1049},
    {gestaltQuickdrawVersion, 0x0230},
    {gestaltQuickdrawFeatures, kGestaltQuickdrawBit1},
    {gestaltHardwareAttr, kGestaltHardwareBit0 | kGestaltHardwareBit3 | kGestaltHardwareBit4},
    {gestaltSoundAttr, kGestaltSoundInputBits | kGestaltSoundPlayAndRecordBit},
    {gestaltTimeMgrVersion, 4},
    {gestaltAppleEventsAttr, kGestaltAppleEventsPresentBit},
    {gestaltAliasMgrAttr, kGestaltAliasMgrPresentBit | kGestaltAliasResolveNoUIBit},
    {gestaltVMAttr, 0},
    {gestaltPPCToolboxAttr, kGestaltPPCBit4},
    {gestaltQuickTimeVersion, 0x07608000},
    {gestaltThreadMgrAttr, kGestaltThreadMgrPresentBit | kGestaltThreadsLibraryBit},
    {gestaltAppearanceAttr, kGestaltAppearancePresentBit},
    {gestaltAppearanceVersion, 0x0110},
    {gestaltScriptCount, 1},
    {gestaltWindowMgrAttr, kGestaltWindowExtendedBit | kGestaltWindowFloatingBit},
    {gestaltDragMgrAttr, kGestaltDragHandlersBit | kGestaltDragImageBit},
};

std::mutex gGestaltLock;

std::vector<GestaltEntry>& GestaltTable() {
  static std::vector<GestaltEntry> table(std::begin(kBuiltInAnswers), std::end(kBuiltInAnswers));
  return table;
}

// The entry for selector, or null. Call with gGestaltLock held.
GestaltEntry* FindGestaltEntry(OSType selector) {
  for (GestaltEntry& entry : GestaltTable()) {
    if (entry.selector == selector) return &entry;
  }
  return nullptr;
}

}  // namespace

OSErr Gestalt(OSType selector, SInt32* response) {
  if (response == nullptr) return paramErr;
  std::lock_guard lock(gGestaltLock);
  const GestaltEntry* entry = FindGestaltEntry(selector);
  if (entry == nullptr) return gestaltUndefSelectorErr;
  *response = entry->value;
  return noErr;
}

OSErr NewGestaltValue(OSType selector, SInt32 newValue) {
  std::lock_guard lock(gGestaltLock);
  if (FindGestaltEntry(selector) != nullptr) return gestaltDupSelectorErr;
  GestaltTable().push_back({selector, newValue});
  return noErr;
}

OSErr ReplaceGestaltValue(OSType selector, SInt32 replacementValue) {
  std::lock_guard lock(gGestaltLock);
  GestaltEntry* entry = FindGestaltEntry(selector);
  if (entry == nullptr) return gestaltUndefSelectorErr;
  entry->value = replacementValue;
  return noErr;
}

OSErr DeleteGestaltValue(OSType selector) {
  std::lock_guard lock(gGestaltLock);
  std::vector<GestaltEntry>& table = GestaltTable();
  for (auto it = table.begin(); it != table.end(); ++it) {
    if (it->selector == selector) {
      table.erase(it);
      return noErr;
    }
  }
  return gestaltUndefSelectorErr;
}

void SetGestaltValueForTesting(OSType selector, SInt32 value) {
  std::lock_guard lock(gGestaltLock);
  if (GestaltEntry* entry = FindGestaltEntry(selector)) {
    entry->value = value;
  } else {
    GestaltTable().push_back({selector, value});
  }
}

void ResetGestaltValuesForTesting() {
  std::lock_guard lock(gGestaltLock);
  GestaltTable().assign(std::begin(kBuiltInAnswers), std::end(kBuiltInAnswers));
}
