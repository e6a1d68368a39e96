// The CoreFoundation subset in one include.
#pragma once

#include "platform/text/cf_array.h"
#include "platform/text/cf_base.h"
#include "platform/text/cf_bundle.h"
#include "platform/text/cf_data.h"
#include "platform/text/cf_string.h"
#include "platform/text/cf_url.h"
