#include "shell/app/program_hooks.h"

#include "audio/devices/output_kind_drivers.h"
#include "audio/engine/audio_hooks.h"
#include "plugins/conductor_lock_channels.h"
#include "plugins/plugin_engine_hooks.h"
#include "sequencer/midi/realtime_processor_chain.h"
#include "sequencer/transport/conductor_lock_transport.h"
#include "sequencer/transport/sequencer_hooks.h"
#include "shell/menus/alias_lists.h"
#include "shell/settings/preference_settings.h"
#include "shell/windows/redraw_requests.h"
#include "song/dialogs/file_dialogs.h"
void InstallProgramHooks() {
  // Each layer's installer below fills the tables of the layers under it.
  InstallSequencerHooks();
  InstallAudioHooks();
  InstallDialogSettingsHooks();
  InstallRecentFileHooks();
  InstallDocumentDialogHooks();
  InstallConductorLockTransportHooks();
  InstallConductorLockChannelHooks();
  InstallOutputKindHooks();
  InstallProcessorChainHooks();
  InstallRedrawHooks();
  InstallPluginEngineHooks();
}
