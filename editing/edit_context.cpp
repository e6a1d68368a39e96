#include "editing/edit_context.h"

#include "editing/event_filters.h"
#include "song/model/window_redraw.h"

// Interim: every window is the main editor's note context until the contexts are built.

uint32_t gEditContextKind = kContextEditorNotes;

int32_t SetEditContextKind() {
  gEditContextKind = kContextEditorNotes;
  return InstallContextFilters();
}

bool IsEditorContext() { return gEditContextKind == kContextEditorNotes || gEditContextKind == kContextEditorLane; }
bool IsConductorContext() { return gEditContextKind == kContextConductorList; }
bool IsPluginPaneContext() { return false; }
bool IsAudioAreaContext() { return gEditContextKind == kContextTrackWindow || gEditContextKind == kContextSongList; }
bool IsVelocityLaneContext() { return false; }
void ResetEditorViewForEdit() {}
void FinishEditCommand() { MarkEditorPanesDirty(); }
