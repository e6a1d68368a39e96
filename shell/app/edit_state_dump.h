// The state dump's lines about the editing commands (see state_dump.h):
//   trackselection <first> <last> <slots...>   the selected track numbers
//   clipboard <kind> <start tick> <end tick> <first track> <last track>
//                                              the event clipboard's header, or "clipboard
//                                              none" when there is none
#pragma once

#include <string>

void AppendEditStateDump(std::string* out);
