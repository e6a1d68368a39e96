// The main editor pane that a command acts on: the current pane when it is selected, else the
// first selected pane; with needChildren, a pane of a track that has child sequences.
#pragma once

#include <cstdint>

// The pane index. With needChildren the current track is left at the last pane's track tested.
int16_t FindTargetPane(bool needChildren);
