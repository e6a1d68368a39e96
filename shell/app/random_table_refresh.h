// The idle pass's refresh of the clock's random table (128 cursor bytes, then 128 rows of 32
// values; row r holds values below r + 1): once values have been taken, each call draws one
// row again, the next after the row drawn last whose cursor byte is non-zero.
#pragma once

// Start-up: every cursor at 0 and every row drawn.
void BuildRandomTable();
void RefreshRandomTableRow();
