#include "platform/dialogs/notification.h"

#include <cstdio>
#include <string>

namespace {
NMRec* gInstalled = nullptr;
}

OSErr NMInstall(NMRec* request) {
  if (!request || request->qType != nmType) return paramErr;
  request->installed = true;
  gInstalled = request;
  if (request->nmStr) {
    std::string text(reinterpret_cast<const char*>(request->nmStr + 1), request->nmStr[0]);
    std::fprintf(stderr, "Zarin: %s\n", text.c_str());
  }
  return noErr;
}

OSErr NMRemove(NMRec* request) {
  if (!request || !request->installed) return -299;  // nmTypErr-style "not installed"
  request->installed = false;
  if (gInstalled == request) gInstalled = nullptr;
  return noErr;
}

const NMRec* GetInstalledNotification() { return gInstalled; }
