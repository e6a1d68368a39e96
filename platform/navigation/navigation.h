// Navigation Services: the open, save and choose-folder dialogs.
//
// Each call runs a modal dialog on our screen: a list of the current folder's entries (folders
// first, then files, by name without regard to case), a control that goes up to the enclosing
// folder, the folder's path, and for saving a name field. Files are shown when their type is
// in the caller's list (an empty list shows every file); a file's type is its Finder type or,
// lacking one, what its extension says, and a caller's type procedure may decide instead.
// Double-click or the default button opens a folder or chooses a file; Return presses the
// default button, Escape and Command-period Cancel; the up and down arrows move the selection
// (Command-up goes to the enclosing folder); the mouse wheel scrolls the list. In the open and
// choose-folder dialogs the field below the list takes a name or a path: typing selects the
// first entry that begins with the name, and Return with a path (from the shown folder, "~"
// for the home folder, or absolute) shows that folder or opens that file. Cancel answers
// userCanceledErr.
//
// Replies hold their choice as 'fss ' items in reply->selection (read them with
// AEGetNthFSSpec); a reply must be given back with NavDisposeReply. The last folder shown is
// where the next dialog starts when the caller gives no default location; before any, the
// user's home folder.
//
// Scripted answers, for tests and scripting: when the environment variable ZARIN_NAV_REPLY
// holds paths separated by ';', each dialog takes the next path as its answer without being
// shown ("-" answers Cancel); once the paths are used up the dialogs are shown again. An open
// dialog's path must exist; a save dialog's folder must exist (its file may); a choose-folder
// dialog's path must be a folder.
//
// Main thread only.
#pragma once

#include "platform/dialogs/dialogs.h"
#include "platform/events/apple_events.h"
#include "platform/files/file_types.h"

constexpr OSErr kNavNoReplyErr = -128;  // userCanceledErr: the dialog was cancelled

// The type of a listed file, asked by the dialog for each file (fileSpec in the shown folder).
// finderType is the Finder type (or the extension's, 0 when neither says one).
using NavFileTypeProc = OSType (*)(const FSSpec* fileSpec, OSType finderType, void* userData);

struct NavDialogOptions {
  Str255 windowTitle = {0};         // empty: "Open", "Save" or "Choose a Folder"
  Str255 message = {0};             // a line above the list (may be empty)
  Str255 actionButtonLabel = {0};   // empty: "Open", "Save" or "Choose"
  Str255 savedFileName = {0};       // save: the name the field starts with
  Str255 choiceLabel = {0};         // non-empty: a check box with this title; its state is
                                    // returned in the reply's choice
  Boolean choiceValue = false;      // the check box's first state
  Str31 fileExtension = {0};        // save: the document extension (no dot), added to a typed
                                    // name that has none and names no file of the folder
};

struct NavReplyRecord {
  Boolean validRecord = false;  // true when the user chose something
  Boolean replacing = false;    // save: the chosen file exists already
  Boolean choice = false;       // the check box's state (see choiceLabel)
  OSType fileType = 0;          // save: the type the caller asked for
  AEDescList selection;         // the chosen items as 'fss ' descriptors
};

// The options every dialog starts from (empty texts, no check box).
OSErr NavGetDefaultDialogOptions(NavDialogOptions* options);

// Open: one existing file of the types (typeCount 0: any file). defaultLocation: null, or an
// 'fss ' descriptor of a folder or of a file in the folder to start in.
OSErr NavGetFile(const AEDesc* defaultLocation, NavReplyRecord* reply, const NavDialogOptions* options,
                 const OSType* types, SInt16 typeCount, NavFileTypeProc typeProc, void* userData);
// Save: a name in a folder for a file of fileType. A name that is taken is chosen only after
// an alert asks whether to replace the file (Return replaces, Escape goes back to the
// dialog); the reply then says replacing. Nothing is written.
OSErr NavPutFile(const AEDesc* defaultLocation, NavReplyRecord* reply, const NavDialogOptions* options,
                 OSType fileType, OSType fileCreator);
// Choose folder: the selected folder, or the shown one when none is selected.
OSErr NavChooseFolder(const AEDesc* defaultLocation, NavReplyRecord* reply, const NavDialogOptions* options);
// Finishes a save after the caller wrote the file (nothing is left to do here).
OSErr NavCompleteSave(NavReplyRecord* reply);
OSErr NavDisposeReply(NavReplyRecord* reply);

// Called once the dialog is on the screen, before it takes any event (tests post their input
// from here). Null removes it.
using NavDialogShownProc = void (*)(DialogRef dialog, void* userData);
void NavSetDialogShownProc(NavDialogShownProc proc, void* userData);
// The folder the next dialog without a default location starts in ("" before any dialog: the
// home folder); tests set it.
void NavSetStartFolder(const char* hostPath);
