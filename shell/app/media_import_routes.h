// What importing audio asks of the windows and menus: installed into gMediaImportHooks.
#pragma once

// Fills gMediaImportHooks and the document opener's audio importer. Called by
// InstallProgramHooks.
void InstallMediaImportRoutes();
