// Answers given to the platform's own modal dialogs through the environment, for tests and
// scripting: a variable holds answers separated by ';', and each dialog takes the next one
// instead of being shown. Once they are used up the dialogs are shown again; a changed value
// starts over from its first answer.
//
// Main thread only.
#pragma once

#include <cstddef>
#include <string>

struct ScriptedAnswers {
  const char* variable;  // the environment variable
  std::string source{};  // its value the position below belongs to
  size_t next = 0;       // where the next answer begins in it
};

// The next answer of the variable; false when none is left.
bool NextScriptedAnswer(ScriptedAnswers* script, std::string* answer);
