// What the conductor asks of the views, the engine and the transport after a change of the
// tempos, the meters or the resolution: the waveform overviews, the engine's playback
// preparation, a section played against an external clock that chases, the tool windows, the
// edit views after a resolution change and the per-track meter procedure.
// The transport entry is installed by the sequencer (InstallSequencerHooks), the engine entry
// by the audio engine (InstallAudioHooks), the edit views' entry by the editors
// (InstallEditorHooks), the audio entries by the region edits (InstallRegionHooks). Interim: the waveform overviews, the tool windows and the per-track
// meter procedure have no owner yet. An entry not installed does nothing. Main thread only.
#pragma once

#include <cstdint>

struct ConductorRefreshHooks {
  // The audio tracks' waveform overviews follow the new times.
  void (*refreshWaveformOverviews)();
  // The engine prepares playback again; with full the playback state is reset when the
  // song has audio.
  void (*prepareEnginePlayback)(int32_t full);
  // In section mode, synchronised to source 6 with chase on: the playback state is reset.
  void (*resetSectionChase)();
  // The tool windows show the new meter and tempo.
  void (*refreshToolWindows)();
  // The edit views follow a new resolution.
  void (*refreshAfterResolutionChange)();
  // Run over the current song's tracks after a meter change (the callback of ForEachTrack).
  int32_t (*trackMeterProcedure)(void* arg);
  // Before a change of the tempo map: the audio regions keep their ticks.
  void (*keepAudioAtTicks)();
  // After it: with reanchor the regions move to the sample positions of their ticks.
  void (*moveAudioToTicks)(int32_t reanchor);
};
extern ConductorRefreshHooks gConductorRefreshHooks;

void RefreshWaveformOverviews();
void PrepareEnginePlaybackAfterRetime(int32_t full);
void ResetSectionChase();
void RefreshToolWindows();
void RefreshAfterResolutionChange();
// The stored per-track meter procedure over the current song's tracks.
void RunTrackMeterProcedure();
// Around an edit of the tempo map: the audio tracks keep their musical position.
void BeginTempoMapChange();
void EndTempoMapChange(int32_t reanchor);
