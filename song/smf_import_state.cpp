// Interim: the importer keeps no state yet.
#include "song/smf_import_state.h"

void ResetSmfImportState() {}
