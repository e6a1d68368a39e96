// The state dump's lines about the editing commands (see state_dump.h):
//   trackselection <first> <last> <slots...>   the selected track numbers
//   clipboard <kind>                           the event clipboard's kind (1 tracks, 2 conductor
//                                              data, 3 instruments, 4 markers), "none" without
//                                              a clipboard
#pragma once

#include <string>

void AppendEditStateDump(std::string* out);
