#include "shell/app/program_hooks.h"
#include "shell/app/song_list_window.h"

#include "shell/app/media_import_routes.h"

#include "audio/engine/audio_hooks.h"
#include "audio/recording/recording_hooks.h"
#include "audio/regions/region_tempo_follow.h"
#include "editing/context_delete_hooks.h"
#include "editing/edit_window_hooks.h"
#include "song/model/song_context.h"
#include "editing/editing_hooks.h"
#include "editors/editor_hooks.h"
#include "mixer/destinations/destination_items.h"
#include "media/media_hooks.h"
#include "mixer/window/mixer_clicks.h"
#include "mixer/instrument_window/instrument_window_hooks.h"
#include "media/overview/overview_hooks.h"
#include "media/track_audio/track_audio_hooks.h"
#include "mixer/presets/program_lists.h"
#include "plugins/conductor_lock_channels.h"
#include "plugins/plugin_engine_hooks.h"
#include "plugins/host/insert_rack_states.h"
#include "plugins/plugin_hooks.h"
#include "sequencer/midi/realtime_processor_chain.h"
#include "sequencer/transport/conductor_lock_transport.h"
#include "sequencer/transport/playback_stop.h"
#include "sequencer/transport/sequencer_hooks.h"
#include "shell/app/app_entry.h"
#include "shell/app/app_events.h"
#include "shell/app/open_deferral.h"
#include "shell/app/shutdown.h"
#include "shell/app/song_switch.h"
#include "shell/app/transport_follower.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/menus/alias_lists.h"
#include "shell/menus/menu_state.h"
#include "shell/settings/preference_settings.h"
#include "shell/windows/document_appearance.h"
#include "shell/windows/counter_window.h"
#include "shell/windows/redraw_requests.h"
#include "shell/base/progress_hooks.h"
#include "song/dialogs/document_questions.h"
#include "song/dialogs/file_dialogs.h"
void InstallProgramHooks() {
  // Each layer's installer below fills the tables of the layers under it.
  InstallErrorReportHooks();
  InstallProgressHooks();
  InstallFatalStopHooks();
  InstallEventDispatchHooks();
  InstallWindowMenuHooks();
  InstallSequencerHooks();
  InstallAudioHooks();
  InstallRegionHooks();
  InstallRecordingHooks();
  InstallDialogSettingsHooks();
  InstallRecentFileHooks();
  InstallDocumentDialogHooks();
  InstallDocumentQuestionHooks();
  InstallPlaybackStopHooks();
  InstallConductorLockTransportHooks();
  InstallConductorLockChannelHooks();
  InstallProcessorChainHooks();
  InstallRedrawHooks();
  InstallCounterClicks();
  InstallInstrumentWindow();
  InstallOpenDeferralHooks();
  InstallDocumentAppearanceHooks();
  InstallPluginEngineHooks();
  InstallEditorHooks();
  InstallSelectionHooks();
  InstallKeyCommandLocateHooks();
  InstallTransportFollowerHooks();
  InstallEditingHooks();
  InstallMediaHooks();
  InstallOverviewHooks();
  InstallMediaImportRoutes();
  InstallTrackAudioHooks();
  InstallPluginHooks();
  InstallInsertRackStateHooks();
  InstallProgramListHooks();
  InstallSongListWindow();
  InstallMixerWindow();
  InstallDestinationHooks();
  gContextDeleteHooks.deleteSelectedSongs = RemoveSelectedSongs;
  gEditWindowHooks.activateSelectedSong = [] { SelectSongSlot(gCurrentSongIndex); };
  gProgressHooks.isQuitting = [] { return gQuitFlag == 1; };
}
