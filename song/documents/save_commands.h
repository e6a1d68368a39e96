// The File menu's Save, Save As, Save a Copy and Revert for song documents.
#pragma once

#include "platform/memory/mac_types.h"

// The revert question (Cancel 1, Revert 2).
constexpr int16_t kRevertAlertId = 535;
constexpr int16_t kRevertAnswer = 2;

// Saves the open document under its name; a document without one goes through Save As.
OSErr RunSaveCommand();
// Asks for a name and place (the save dialog), then saves there. userCanceledErr when the
// dialog is cancelled; a bundle asked for in the dialog is not written yet (unimpErr,
// reported).
OSErr RunSaveAsCommand();
// The same dialog, but the document is written as a copy: it keeps its own name and its
// modified state.
OSErr RunSaveCopyCommand();
// Reads the document's file again after the revert question, replacing the songs in memory.
// paramErr for a document without a file, userCanceledErr when the question is cancelled.
OSErr RunRevertCommand();
