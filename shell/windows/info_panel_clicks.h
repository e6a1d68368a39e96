// The info panel's content clicks (window kind 3).
#pragma once

// Registers the panel's click handler with the window clicks.
void InstallInfoPanelClicks();
