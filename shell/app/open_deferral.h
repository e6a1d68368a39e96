// Documents the system asks to open while a dialog is up wait for the idle pass: the open
// runs, and the song switch is refreshed, once no dialog is up any more.
#pragma once

// Fills gDocumentHooks.deferOpenWhileModal.
void InstallOpenDeferralHooks();
// True while a classic or nib dialog runs modally.
bool IsInModalPhase();
