// Plug-in table entries for installed components (LV2 plug-ins behind the component layer),
// found by the name the component layer gives them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/audiounit/audio_unit.h"

namespace instances_test {

// Before the LV2 world is first loaded: the installed plug-ins only.
inline const bool gInstalledLv2Path = [] {
  setenv("LV2_PATH", "/usr/lib/lv2", 1);
  return true;
}();

inline constexpr const char* kDelayName = "LSP LV2: LSP Delay Compensator Mono";
inline constexpr const char* kSamplerName = "LSP LV2: LSP Sampler Mono";

// The description of the component with this name; false when it is not installed.
bool DescriptionNamed(const std::string& name, ComponentDescription* out);

// Appends a table entry of this kind and unique id for the named component; its index, or -1
// when the component is not installed.
int32_t AppendComponentEntry(const std::string& name, uint8_t kind, OSType uniqueId);

}  // namespace instances_test
