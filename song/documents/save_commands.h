// The File menu's Save and Save As for song documents.
#pragma once

#include "platform/memory/mac_types.h"

// Saves the open document under its name; a document without one goes through Save As.
OSErr RunSaveCommand();
// Asks for a name and place (the save dialog), then saves there. userCanceledErr when the
// dialog is cancelled; a bundle asked for in the dialog is not written yet (unimpErr,
// reported).
OSErr RunSaveAsCommand();
