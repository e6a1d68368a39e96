// The Help menu, context help by window kind, and opening a help topic: the local manual
// below the application folder, or the maker's help page.
#pragma once

#include <cstdint>
#include <string>

#include "platform/memory/mac_types.h"

constexpr int16_t kKeyboardHelpTopic = 5025;
constexpr uint16_t kHelpPrefToggle = 0x1;     // Help item 4
constexpr uint16_t kHelpPrefLocalManual = 0x2; // Help item 5: the local manual

// The help preference word (saved with the preferences).
extern uint16_t gHelpPrefs;

// Checks Help items 4 and 5 as the preference word's bits say.
void ShowHelpPrefMarks(uint16_t prefs);

// What opens a file path or a web address; returns 0 on success. Replaceable (tests).
using HelpOpenProc = OSStatus (*)(const char* target);
void SetHelpOpenProc(HelpOpenProc proc);
// Runs the desktop's opener (xdg-open) without waiting for it.
OSStatus OpenWithDesktop(const char* target);
// Opens a file path or web address through the opener set by SetHelpOpenProc.
OSStatus OpenWithHelpOpener(const char* target);

// The topic of a window kind (5000 + its help byte), 0 for none.
int32_t GetKindHelpTopic(int16_t kind);
// The topic for the front window: the keyboard window always 5025.
int32_t GetContextHelpTopic();
void ShowContextHelp();

// The local manual file of a topic: topic 2 the manual itself, others Help<topic>.shtml.
std::string LocalHelpPath(int32_t topic);
// The help page address with the topic (none for topic 0).
std::string HelpPageAddress(int32_t topic);

// item > 0: a Help menu item (4 and 5 toggle the preference bits of *helpPrefs when given,
// others name an 'MhmI' resource holding the topic); item 0: the topic as given.
OSStatus HandleHelpMenu(int16_t item, int32_t topic, uint16_t* helpPrefs);
OSStatus OpenHelpTopic(int32_t topic);
