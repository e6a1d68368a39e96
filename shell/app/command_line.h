// The program's command line: the documents to open, and the few options a user may give.
#pragma once

#include <string>
#include <vector>

// What the command line asks for.
enum CommandLineAction { kRunProgram, kExitSucceeded, kExitFailed };

// Reads the arguments after the program's name. Plain arguments (and every argument after
// "--") are documents, in order. "-h" or "--help" prints the usage on stdout and answers
// kExitSucceeded; any other argument that starts with "-" is reported on stderr and answers
// kExitFailed.
CommandLineAction ReadCommandLine(const std::vector<std::string>& args, std::vector<std::string>* documents);
