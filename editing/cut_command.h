// Cut (Edit item 4): the selection is copied into the clipboard and then cleared (with the
// Option key the selected time is removed instead), as one undo step of the Cut kind.
#pragma once

// The copy and the clear draw the same random numbers (the random seed is put back between
// them). A copy that was abandoned, or an empty time selection outside the instrument window,
// ends the Cut with nothing cleared and no undo step left.
void CutSelection();
