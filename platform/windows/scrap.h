// The scrap: the clipboard of the program, shared with the desktop for text.
//
// A scrap holds flavours (a type and its bytes). With a host window, text goes to and comes
// from the desktop's clipboard: putting 'TEXT' (Mac Roman) or 'utf8' sets the desktop's text,
// and when the desktop's text changes (another program copied), the current scrap becomes a
// new one holding it as 'TEXT' and 'utf8'. Without a host window the scrap lives in the
// process only. A ScrapRef names one scrap; it changes whenever the clipboard is cleared or
// changed elsewhere, so comparing two of them tells whether the clipboard changed. An old
// ScrapRef answers badScrapRefErr.
//
// Main thread only.
#pragma once

#include "platform/memory/mac_types.h"

struct OpaqueScrapRef;
using ScrapRef = OpaqueScrapRef*;
using ScrapFlavorType = FourCharCode;
using ScrapFlavorFlags = UInt32;

enum : ScrapFlavorFlags {
  kScrapFlavorMaskNone = 0,
  kScrapFlavorMaskSenderOnly = 1u << 0,
  kScrapFlavorMaskTranslated = 1u << 1,
};

constexpr ScrapFlavorType kScrapFlavorTypeText = FourCC("TEXT");
constexpr ScrapFlavorType kScrapFlavorTypeUTF8 = FourCC("utf8");
constexpr ScrapFlavorType kScrapFlavorTypeUnicode = FourCC("utxt");

enum : OSStatus {
  noScrapErr = -100,
  noTypeErr = -102,
  scrapFlavorNotFoundErr = -102,
  internalScrapErr = -4988,
  duplicateScrapFlavorErr = -4989,
  badScrapRefErr = -4990,
  nilScrapFlavorDataErr = -4994,
  illegalScrapFlavorFlagsErr = -4997,
  illegalScrapFlavorTypeErr = -4998,
  illegalScrapFlavorSizeErr = -4999,
};

struct ScrapFlavorInfo {
  ScrapFlavorType flavorType = 0;
  ScrapFlavorFlags flavorFlags = 0;
};

OSStatus GetCurrentScrap(ScrapRef* scrap);
// Empties the clipboard: a new current scrap without flavours.
OSStatus ClearCurrentScrap();
// Adds a flavour to the scrap (it must be the current one). duplicateScrapFlavorErr when the
// type is there already; nilScrapFlavorDataErr for data null with a size.
OSStatus PutScrapFlavor(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags flavorFlags,
                        Size flavorSize, const void* flavorData);
OSStatus GetScrapFlavorFlags(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags* flags);
OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount);
// Copies at most *byteCount bytes and sets *byteCount to the number copied.
OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount,
                            void* destination);
OSStatus GetScrapFlavorCount(ScrapRef scrap, UInt32* infoCount);
// Fills up to *infoCount entries and sets *infoCount to the number filled.
OSStatus GetScrapFlavorInfoList(ScrapRef scrap, UInt32* infoCount, ScrapFlavorInfo info[]);
