#include "tests/song/smf/smf_test_setup.h"

#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/conductor_document_header.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/smf/smf_import_state.h"

void SetUpSmfImportState(int32_t ticksPerQuarter) {
  gClockTempoFactor = kUnityTempoFactor;
  gSmpteRateCode = 3;
  gResolutionBeforeChange = gTicksPerQuarter = ticksPerQuarter;
  gDocumentResolution = ticksPerQuarter;
  gConductorState = ConductorState();
  gConductorState.ticksPerBeat = 0;
  gConductorState.tempo = 1200;
  ApplyTimebase();
  ResetSongDatabase();
  ResetSmfImportState();
  gTimeSelection = TimeSelection();
  gConductorRange[0] = gConductorRange[1] = 0;
  gSongModified = 0;
}
