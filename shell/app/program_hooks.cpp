#include "shell/app/program_hooks.h"

#include "editing/editing_hooks.h"
#include "editors/editor_hooks.h"
#include "media/media_hooks.h"
#include "plugins/plugin_hooks.h"

void InstallProgramHooks() {
  // Each layer's installer below fills the tables of the layers under it.
  InstallEditorHooks();
  InstallEditingHooks();
  InstallMediaHooks();
  InstallPluginHooks();
}
