#include "shell/windows/document_appearance.h"

#include "platform/quickdraw/text.h"
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

void GetDocumentFontName(Str255 name) { GetFontName(gDefaultFontId, name); }

int16_t GetDocumentAppearance() { return gCurrentStyleId; }

void InstallDocumentAppearanceHooks() {
  gDocumentHooks.setProgramFontByName = SetDocumentFont;
  gDocumentHooks.applyWindowAppearance = ApplyDocumentAppearance;
  gDocumentHooks.getProgramFontName = GetDocumentFontName;
  gDocumentHooks.getWindowAppearance = GetDocumentAppearance;
}
