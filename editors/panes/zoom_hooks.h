// The services of the libraries above the panes that a zoom step of the main editor asks for;
// filled by InstallEditorHooks.
#pragma once

struct ZoomHooks {
  void (*rebuildBendReference)() = nullptr;  // the pitch-bend reference columns of the note view
};
extern ZoomHooks gZoomHooks;
