// Installing the hook tables: the lower layers reach up only through small tables of
// procedures that they declare and the higher layers fill in. The program fills every table
// at the start of StartUpApplication; a test that runs a lower layer on its own and needs the
// higher layer's behaviour calls InstallProgramHooks itself. An entry left empty does nothing.
#pragma once

// Fills every hook table of the program. Calling it again changes nothing.
void InstallProgramHooks();
