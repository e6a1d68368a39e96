#include "song/prefs/dialog_settings_hooks.h"

DialogSettingsHooks gDialogSettingsHooks;

void CaptureDialogSettings(PrefsSettings* s) {
  if (gDialogSettingsHooks.capture) gDialogSettingsHooks.capture(s);
}

void ApplyDialogSettings(const PrefsSettings* s) {
  if (gDialogSettingsHooks.apply) gDialogSettingsHooks.apply(s);
}
