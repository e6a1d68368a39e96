// The settings of a document's header: handed to their owners when it opens, taken from them
// when it is saved.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"

namespace {

// An RGB triple of 8-bit components at p, each times 256.
void WidenColour(const uint8_t* p, uint16_t out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = uint16_t(p[i] << 8);
}

bool HasColour(const uint8_t* header) {
  for (int32_t offset : {kFileHeaderColour1, kFileHeaderColour2})
    for (int i = 0; i < 3; ++i)
      if (header[offset + i]) return true;
  return false;
}

void ApplyWindowColours(const uint8_t* header) {
  if (!HasColour(header) || !gDocumentHooks.setSongWindowColours) return;
  uint16_t first[3], second[3];
  WidenColour(header + kFileHeaderColour1, first);
  WidenColour(header + kFileHeaderColour2, second);
  gDocumentHooks.setSongWindowColours(first, second);
}

}  // namespace

void ApplyDocumentHeaderSettings(const uint8_t* header) {
  if (!header) return;
  int8_t velocity = int8_t(header[kFileHeaderKeyboardVelocity]);
  if (velocity > 0 && gDocumentHooks.setKeyboardVelocity) gDocumentHooks.setKeyboardVelocity(velocity);
  ApplyWindowColours(header);
  // A document that carries no font name (every one written before names were kept) leaves
  // the user's font as it is.
  const uint8_t* font = header + kFileHeaderFontName;
  if (font[0] && gDocumentHooks.setProgramFontByName) gDocumentHooks.setProgramFontByName(font);
  if (gDocumentHooks.applyDocumentSyncSettings) gDocumentHooks.applyDocumentSyncSettings(header);
  int16_t style = int16_t(ReadU16BE(header + kFileHeaderAppearance));
  if (style != 0 && gDocumentHooks.applyWindowAppearance) gDocumentHooks.applyWindowAppearance(style);
}

void CaptureDocumentHeaderSettings(uint8_t* header) {
  if (!header) return;
  if (gDocumentHooks.getProgramFontName) {
    Str255 name;
    gDocumentHooks.getProgramFontName(name);
    name[0] = std::min<uint8_t>(name[0], kMaxFontNameLength);
    std::memcpy(header + kFileHeaderFontName, name, size_t(name[0]) + 1);
  }
  if (gDocumentHooks.getWindowAppearance) {
    WriteU16BE(header + kFileHeaderAppearance, uint16_t(gDocumentHooks.getWindowAppearance()));
  }
}
