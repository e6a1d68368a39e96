#include "song/model/sequence_references.h"

void ExpandSequenceReferences() {}
void SplitSelectedTracksByChannel() {}
