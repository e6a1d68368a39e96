// The main editor window's update (window kind 4).
#pragma once

// The marker strip, the ruler, the panes with their backgrounds, content and headers, the
// time selection, the tool bar (its pictures, buttons, fields and readout), the audio status
// lines, and last the panes' play cursors again.
// Interim: with a song open and no pane yet, a pane showing the current track is made first; the
// panes are scrolled to their tracks' notes at the first drawing after a song switch.
void DrawMainEditorWindow();
// Interim: called by the song switch, so that the next drawing scrolls the panes again.
void ForgetEditorPaneScrolls();
// The pane backgrounds (withBackgrounds), the marker strip, the ruler, the panes, then a line
// across the window at the pane top margin - 1.
void DrawEditorPanesAndRulers(bool withBackgrounds);
// The marker strip and the ruler drawn again in the editor's port (nothing without the window).
void RedrawEditorRulers();
