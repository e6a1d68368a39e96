// Nib references and windows made from them. A nib is a 'NIBT' resource (see nib_format.h)
// named after the nib; CreateNibReference finds it in the open resource files, reads it and
// keeps what it describes; CreateWindowFromNib makes a window with its views (hidden unless
// the nib says `visible`). Views are found with HIViewFindByID (controls.h).
#pragma once

#include <string_view>

#include "platform/nib/nib_format.h"
#include "platform/text/cf_string.h"

struct OpaqueIBNibRef;
using IBNibRef = OpaqueIBNibRef*;

constexpr ResType kNibResourceType = FourCC("NIBT");

enum : OSStatus {
  kIBCarbonRuntimeCantFindNibFile = -10960,         // no 'NIBT' resource of that name
  kIBCarbonRuntimeObjectNotOfRequestedType = -10961,
  kIBCarbonRuntimeCantFindObject = -10962,          // no window of that name in the nib
  kIBCarbonRuntimeNibDamaged = -10969,              // the nib text does not parse
};

OSStatus CreateNibReference(CFStringRef inNibName, IBNibRef* outNibRef);
// A nib from text in memory (tests, tools); kIBCarbonRuntimeNibDamaged when it does not parse.
OSStatus CreateNibReferenceFromText(std::string_view text, IBNibRef* outNibRef);
void DisposeNibReference(IBNibRef inNibRef);
// Line and message of the last nib that failed to parse.
NibParseError GetLastNibParseError();
OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow);
