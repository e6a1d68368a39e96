// File URLs to and from FSRefs, for code that hands folders to CoreFoundation.
#pragma once

#include "platform/files/file_types.h"
#include "platform/text/cf_url.h"

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef alloc, const FSRef* ref);
Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref);
