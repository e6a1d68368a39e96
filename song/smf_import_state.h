// The state a Standard MIDI File import keeps between its steps.
#pragma once

void ResetSmfImportState();
