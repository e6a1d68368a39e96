// Notifications posted while the program is in the background. Each installed record's
// text is handed to the desktop (here: written to the console once) and stays listed until
// it is removed.
#pragma once

#include "platform/memory/mac_types.h"

struct NMRec {
  int16_t qType = 0;   // nmType (8)
  int16_t nmMark = 0;  // 1: mark the application in the process menu
  StringPtr nmStr = nullptr;
  bool installed = false;
};

constexpr int16_t nmType = 8;

OSErr NMInstall(NMRec* request);
OSErr NMRemove(NMRec* request);
// The record most recently installed and not removed, or null.
const NMRec* GetInstalledNotification();
