// The performance tools' options.
#pragma once

// Options item 9. Interim: the performance tools are not built yet; nothing is shown.
void RunPerformanceOptionDialog();
