#include "shell/base/progress_hooks.h"

ProgressHooks gProgressHooks;

namespace {

constexpr int16_t kProgressStoppedWord = 8;

}  // namespace

void BeginProgress(int16_t message, int32_t total) {
  if (gProgressHooks.open) gProgressHooks.open(message, total);
}

bool ProgressAskedToStop(int32_t done) {
  if (!gProgressHooks.setValue) return false;
  int16_t word = gProgressHooks.setValue(done);
  return word == kProgressCancelledErr || word == kProgressStoppedWord;
}

void EndProgress() {
  if (gProgressHooks.close) gProgressHooks.close();
}

void SetProgressLine(const unsigned char* text) {
  if (gProgressHooks.setText && text) gProgressHooks.setText(text);
}

bool IsProgramQuitting() { return gProgressHooks.isQuitting && gProgressHooks.isQuitting(); }
