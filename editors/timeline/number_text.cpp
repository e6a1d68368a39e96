#include "editors/timeline/number_text.h"

void TrimTrailingZeros(StringPtr text) {
  if (!text) return;
  bool hasPoint = false;
  for (int i = 1; i <= text[0]; ++i) hasPoint = hasPoint || text[i] == '.';
  if (!hasPoint) return;
  while (text[0] > 0 && text[text[0]] == '0') --text[0];
  if (text[0] > 0 && text[text[0]] == '.') --text[0];
}
