// The main editor's selected panes (gPaneVisitMask) and the track selection: after a range
// selection the tracks of the selected panes are the selected tracks, so that the notes
// selected in those panes show as selected and the edits act on them.
#pragma once

// The track selection becomes the tracks of the selected track panes (instrument panes and
// the tempo pane name no track); it is stored in the song and the windows are redrawn.
void ApplySelectedPanes();
