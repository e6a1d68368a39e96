// The state dump's lines of the notes the main editor's first pane shows.
#pragma once

#include <string>

// "note <tick> <pitch> <velocity> <duration> <selected> <left> <top> <right> <bottom>" for every
// note of the first pane's track, its box in global coordinates; nothing without a pane.
void AppendPaneNotes(std::string* out);
