// The notepad's justification menu (193).
#pragma once

#include <cstdint>

constexpr int16_t kJustificationMenuId = 193;
// The text view's 'just' attribute: 1 left, 4 centre, 2 right.
constexpr int16_t kJustLeft = 1;
constexpr int16_t kJustCentre = 4;
constexpr int16_t kJustRight = 2;

// The justification of the notepad's text view (the text view keeps it as its 'just'
// attribute once it is built).
extern int16_t gNotepadJustification;

// Items 1, 2, 3: left, centre, right, when the notepad is the front window; the notepad is
// redrawn. Other items and other front windows change nothing.
void HandleJustificationMenu(int16_t item);
