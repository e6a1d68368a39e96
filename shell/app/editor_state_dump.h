// The main editor's part of the state dump: what a test needs to find the current track's
// notes on the screen and to check what the mouse did to them. Lines:
//   timeline <zoom> <left tick> <right tick> <origin x> <ticks per quarter>
//   noterows <note height> <octave height> <row boundary 0..11>
//                                   pitch p's row lies ((131 - p) / 12) x octave height +
//                                   boundary[(131 - p) % 12] below a pane's rows top
//   editorpane <index> <track> <view mode> <rows top> <left> <top> <right> <bottom>
//                                   each pane: its track (song order from 1; 0 for none) and
//                                   its content, in the editor window's coordinates
//   editor <current pane> <current track> <edit tool>
//   toolbar <left> <top>            the tool icons' origin (window coordinates)
//   ruler <left> <top> <right> <bottom>
//   notevalue <note value> <snap grid>
//   timeselection <start tick> <end tick> <low pitch> <high pitch>
//   notecolours <16 x RRGGBB>       the channel colours of notes, as the screen shows them
//   lanegraph <left> <top> <right> <bottom> <lane controller> <range> <RRGGBB>
//                                   the last data lane drawn (values map to y inside it)
//                                   with the current lane's range and its graph colour
//   selectednotes <count>           selected notes of the current track
//   selectednote <tick> <pitch> <duration>
//   shownnote <tick> <pitch> <duration> <velocity> <selected 0/1>
//                                   the current track's notes that reach into the shown time
#pragma once

#include <string>

void AppendEditorState(std::string* out);
