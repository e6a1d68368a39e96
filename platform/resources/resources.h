// The Resource Manager in one include: the fork format, the calls over open resource
// files, and opening files.
#pragma once

#include "platform/resources/resource_files.h"
#include "platform/resources/resource_fork.h"
#include "platform/resources/resource_manager.h"
