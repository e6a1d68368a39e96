#include "platform/dialogs/scripted_answers.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

bool NextScriptedAnswer(ScriptedAnswers* script, std::string* answer) {
  const char* env = std::getenv(script->variable);
  std::string source = env ? env : "";
  if (source != script->source) {
    script->source = std::move(source);
    script->next = 0;
  }
  const std::string& text = script->source;
  if (script->next >= text.size()) return false;
  size_t end = std::min(text.find(';', script->next), text.size());
  *answer = text.substr(script->next, end - script->next);
  script->next = end + 1;
  return true;
}
