#include "song/documents/document_dialog_hooks.h"

#include <cstdio>

DocumentDialogHooks gDocumentDialogHooks;

OSErr RunNavGetFileDialog(int16_t count, const OSType* typeList, FSSpec* outSpec,
                          int16_t dialogKind, uint32_t flags) {
  if (!gDocumentDialogHooks.getFile) return userCanceledErr;
  return gDocumentDialogHooks.getFile(count, typeList, outSpec, dialogKind, flags);
}

OSErr ChooseSaveFile(OSType type, int16_t dialogKind, ConstStr255Param defaultName,
                     FSSpec* outSpec, bool* choice) {
  if (!gDocumentDialogHooks.chooseSaveFile) return userCanceledErr;
  return gDocumentDialogHooks.chooseSaveFile(type, dialogKind, defaultName, outSpec, choice);
}

int16_t ShowStopAlert(int16_t alertId) {
  if (gDocumentDialogHooks.showStopAlert) return gDocumentDialogHooks.showStopAlert(alertId);
  std::fprintf(stderr, "stop alert %d not shown: no dialogs installed\n", alertId);
  return 0;
}
