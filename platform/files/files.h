// The File Manager, Alias Manager and Folder Manager in one include.
#pragma once

#include "platform/files/aliases.h"
#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/file_types.h"
#include "platform/files/folders.h"
#include "platform/files/forks.h"
#include "platform/files/temporary_files.h"
#include "platform/files/sidecars.h"
#include "platform/files/volumes.h"
#include "platform/files/cf_url_refs.h"
