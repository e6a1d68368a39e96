// The main editor window's update (window kind 4).
#pragma once

// Interim: the panes with their backgrounds, content and headers; the rulers, the marker
// strip, the toolbar and the time selection come with the main editor's window drawing.
// With a song open and no pane yet, a pane showing the current track is made first; the
// panes are scrolled to their tracks' notes at the first drawing after a song switch.
void DrawMainEditorWindow();
// Interim: called by the song switch, so that the next drawing scrolls the panes again.
void ForgetEditorPaneScrolls();
