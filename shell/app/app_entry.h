// The program's entry: start-up, the event loop around the quit flag, and the shutdown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 0 keep running, 1 quit, 2 leave the event loop once and enter it again.
extern uint8_t gQuitFlag;

// Runs the event loop until the quit flag asks to end: a loop left with the flag at 2 is
// entered again (the flag back at 0); with any other value the flag becomes 1 and the loop
// is not entered again.
void RunEventLoopUntilQuit();
// The whole program: start-up (documents given as paths arrive as one open-documents
// Apple event), power registration, the cursor, the event loop, and the shutdown. Returns
// the process status.
int RunZarin(const std::vector<std::string>& documents);
