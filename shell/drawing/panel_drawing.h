// The transport panel's small drawn elements: bevelled boxes and button faces in colours of
// the program colour table, and the round lamp. Each draws in gScratchRect of the current port.
#pragma once

#include <cstdint>

// Above this colour level boxes get their light and dark edges and the lamp its colours.
constexpr int32_t kPanelColourLevel = 3;
// How much darker an unlit lamp's colours are (lightness delta).
constexpr int32_t kUnlitLampDelta = -24000;

// Erases gScratchRect less its bottom row and right column in colour-table entry
// colourIndex and, on a colour screen, draws the light top-left and dark bottom-right edges.
void DrawBevelBox(int16_t colourIndex);
// A bevelled button with an arrow glyph (1 left, 2 right) centred near its bottom; pressed
// swaps the edges, textOffset moves the glyph down.
void DrawButtonFace(int16_t colourIndex, int16_t glyph, int32_t colourLevel, bool pressed, int16_t textOffset);
// The round lamp: three concentric ovals in the panel's lamp colours (darkened while the
// lamp is off); only its outline on screens of fewer than 3 colour levels.
void DrawPanelLamp();
bool IsPanelLampLit();
// Switches the lamp and draws it again where the strip image keeps it.
void SetPanelLampLit(bool lit);
