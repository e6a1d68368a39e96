#include "platform/windows/scrap.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/quickdraw/screen.h"
#include "platform/text/mac_roman.h"

namespace {

struct Flavor {
  ScrapFlavorType type = 0;
  ScrapFlavorFlags flags = 0;
  std::string data;
};

struct Scrap {
  uintptr_t generation = 1;  // the ScrapRef's value
  std::vector<Flavor> flavors;
  std::string hostText;     // the desktop's text when we last looked or set it
  bool hostTextKnown = false;
} gScrap;

bool HasHost() { return ScreenHasHostWindow(); }

std::string ReadHostText() {
  if (!SDL_HasClipboardText()) return std::string();
  char* text = SDL_GetClipboardText();
  std::string result = text ? text : "";
  SDL_free(text);
  return result;
}

void NewGeneration() {
  ++gScrap.generation;
  gScrap.flavors.clear();
}

// Notices text that another program put on the desktop's clipboard.
void FollowHostClipboard() {
  if (!HasHost()) return;
  std::string text = ReadHostText();
  if (gScrap.hostTextKnown && text == gScrap.hostText) return;
  bool first = !gScrap.hostTextKnown;
  gScrap.hostText = text;
  gScrap.hostTextKnown = true;
  if (first && text.empty()) return;
  NewGeneration();
  if (text.empty()) return;
  std::string roman;
  UTF8ToMacRoman(text, &roman);
  gScrap.flavors.push_back(Flavor{kScrapFlavorTypeText, 0, roman});
  gScrap.flavors.push_back(Flavor{kScrapFlavorTypeUTF8, 0, text});
}

void PushTextToHost(const std::string& utf8) {
  if (!HasHost()) return;
  SDL_SetClipboardText(utf8.c_str());
  gScrap.hostText = utf8;
  gScrap.hostTextKnown = true;
}

bool IsCurrent(ScrapRef scrap) { return reinterpret_cast<uintptr_t>(scrap) == gScrap.generation; }

Flavor* FindFlavor(ScrapFlavorType type) {
  for (Flavor& f : gScrap.flavors)
    if (f.type == type) return &f;
  return nullptr;
}

}  // namespace

OSStatus GetCurrentScrap(ScrapRef* scrap) {
  if (!scrap) return paramErr;
  FollowHostClipboard();
  *scrap = reinterpret_cast<ScrapRef>(gScrap.generation);
  return noErr;
}

OSStatus ClearCurrentScrap() {
  FollowHostClipboard();
  NewGeneration();
  if (HasHost()) PushTextToHost(std::string());
  return noErr;
}

OSStatus PutScrapFlavor(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags flavorFlags,
                        Size flavorSize, const void* flavorData) {
  if (!IsCurrent(scrap)) return badScrapRefErr;
  if (flavorType == 0) return illegalScrapFlavorTypeErr;
  if (flavorSize < 0) return illegalScrapFlavorSizeErr;
  if (flavorFlags & ~(kScrapFlavorMaskSenderOnly | kScrapFlavorMaskTranslated)) return illegalScrapFlavorFlagsErr;
  if (flavorSize > 0 && !flavorData) return nilScrapFlavorDataErr;
  if (FindFlavor(flavorType)) return duplicateScrapFlavorErr;
  std::string bytes(static_cast<const char*>(flavorData), static_cast<const char*>(flavorData) + flavorSize);
  gScrap.flavors.push_back(Flavor{flavorType, flavorFlags, bytes});
  if (!(flavorFlags & kScrapFlavorMaskSenderOnly)) {
    if (flavorType == kScrapFlavorTypeText)
      PushTextToHost(MacRomanToUTF8(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    else if (flavorType == kScrapFlavorTypeUTF8 && !FindFlavor(kScrapFlavorTypeText))
      PushTextToHost(bytes);
  }
  return noErr;
}

OSStatus GetScrapFlavorFlags(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags* flags) {
  if (!IsCurrent(scrap)) return badScrapRefErr;
  if (!flags) return paramErr;
  Flavor* f = FindFlavor(flavorType);
  if (!f) return scrapFlavorNotFoundErr;
  *flags = f->flags;
  return noErr;
}

OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount) {
  if (!IsCurrent(scrap)) return badScrapRefErr;
  if (!byteCount) return paramErr;
  Flavor* f = FindFlavor(flavorType);
  if (!f) return scrapFlavorNotFoundErr;
  *byteCount = Size(f->data.size());
  return noErr;
}

OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount, void* destination) {
  if (!IsCurrent(scrap)) return badScrapRefErr;
  if (!byteCount || *byteCount < 0 || (*byteCount > 0 && !destination)) return paramErr;
  Flavor* f = FindFlavor(flavorType);
  if (!f) return scrapFlavorNotFoundErr;
  Size n = std::min<Size>(*byteCount, Size(f->data.size()));
  if (n > 0) std::memcpy(destination, f->data.data(), size_t(n));
  *byteCount = n;
  return noErr;
}

OSStatus GetScrapFlavorCount(ScrapRef scrap, UInt32* infoCount) {
  if (!IsCurrent(scrap)) return badScrapRefErr;
  if (!infoCount) return paramErr;
  *infoCount = UInt32(gScrap.flavors.size());
  return noErr;
}

OSStatus GetScrapFlavorInfoList(ScrapRef scrap, UInt32* infoCount, ScrapFlavorInfo info[]) {
  if (!IsCurrent(scrap)) return badScrapRefErr;
  if (!infoCount || (*infoCount > 0 && !info)) return paramErr;
  UInt32 n = std::min<UInt32>(*infoCount, UInt32(gScrap.flavors.size()));
  for (UInt32 i = 0; i < n; ++i) info[i] = ScrapFlavorInfo{gScrap.flavors[i].type, gScrap.flavors[i].flags};
  *infoCount = n;
  return noErr;
}
