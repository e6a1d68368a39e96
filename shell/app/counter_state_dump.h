// The state dump's lines about the info panel's counter (see state_dump.h):
//   counter <bar:beat:tick> <time code>   the texts the read-outs last drew
//   counterbutton <n> <left> <top> <right> <bottom>
//                                         transport button n in panel coordinates
//   counterfield <name> <left> <top> <right> <bottom>
//                                         the bar, beat and tick fields, panel coordinates
//   counterfieldopen <0/1> <value>        a counter field is being typed, and its number
#pragma once

#include <string>

void AppendCounterStateDump(std::string* out);
