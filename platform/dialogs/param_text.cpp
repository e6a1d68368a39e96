#include "platform/dialogs/param_text.h"

#include <cstring>

namespace {
Str255 gParamTexts[4];
}

void ParamText(ConstStr255Param p0, ConstStr255Param p1, ConstStr255Param p2, ConstStr255Param p3) {
  ConstStr255Param texts[4] = {p0, p1, p2, p3};
  for (int i = 0; i < 4; ++i) {
    if (texts[i])
      std::memcpy(gParamTexts[i], texts[i], size_t(texts[i][0]) + 1);
    else
      gParamTexts[i][0] = 0;
  }
}

ConstStringPtr GetParamText(int n) { return n >= 0 && n < 4 ? gParamTexts[n] : gParamTexts[0]; }
