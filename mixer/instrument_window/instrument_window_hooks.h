// What the instrument window installs at start-up: its click handler, its scroll keys, the
// places where the meter pass draws the strips' meters and the go-to routes to its strips.
#pragma once

void InstallInstrumentWindow();
