#include "shell/windows/document_appearance.h"

#include "shell/drawing/text_drawing.h"
#include "shell/windows/window_appearance.h"
#include "song/documents/document_hooks.h"
#include "song/model/window_redraw.h"

void SetDocumentFont(ConstStr255Param name) {
  SetDefaultFontByName(name);
  UpdateDefaultFontInfo();
  RedrawAll(1);
}

void ApplyDocumentAppearance(int16_t styleId) {
  gCurrentStyleId = styleId;
  SetUpWindowAppearance(false);
}

void InstallDocumentAppearanceHooks() {
  gDocumentHooks.setProgramFontByName = SetDocumentFont;
  gDocumentHooks.applyWindowAppearance = ApplyDocumentAppearance;
}
