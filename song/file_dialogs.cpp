#include "song/file_dialogs.h"

OSErr RunNavGetFileDialog(int16_t, const OSType*, FSSpec*, int16_t, uint32_t) {
  return userCanceledErr;
}

OSErr RunNavPutFileDialog(const OSType*, int16_t, int16_t, ConstStr255Param, FSSpec*,
                          const FSSpec*, int16_t, OSType, int32_t, bool* choice) {
  if (choice) *choice = false;
  return userCanceledErr;
}

OSErr ChooseSaveFile(OSType type, int16_t dialogKind, ConstStr255Param defaultName,
                     FSSpec* outSpec, bool* choice) {
  return RunNavPutFileDialog(&type, 1, dialogKind, defaultName, outSpec, nullptr, 0, type, 0, choice);
}

OSErr NavChooseFolderDialog(FSSpec*, int16_t) { return userCanceledErr; }
