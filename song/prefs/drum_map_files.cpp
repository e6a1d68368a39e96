#include "song/prefs/drum_map_files.h"

#include "platform/text/pascal_strings.h"
#include "shell/base/error_report.h"
#include "song/documents/import_files.h"

Handle ImportDrumMapFile(const FSSpec* fileSpec, StringPtr fileName, OSErr* err) {
  int16_t saved = 0;
  OSType type = 0;
  fileName[0] = 0;
  *err = OpenFileForImport(fileSpec, &saved, &type);
  if (*err != noErr) return Handle();
  Handle block;
  *err = ReadSizedBlock(&block);
  CloseFileForImport(saved);
  if (*err != noErr) {
    ReportPendingMemoryAlert();
    ReportError(*err);
    return Handle();
  }
  CopyPString(fileSpec->name, fileName, 63);
  return block;
}
