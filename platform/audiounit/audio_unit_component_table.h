// The table of components: one per LV2 plug-in that has an audio output, in the order of
// their URIs. A component id is its position + 1. Private to platform/audiounit.
#pragma once

#include <lilv/lilv.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audiounit/audio_unit_types.h"

struct Lv2Component {
  const LilvPlugin* plugin = nullptr;
  std::string uri;
  ComponentDescription description;
  std::string name;  // "Maker: Plug-in"
  int32_t version = 0;
};

// Built on first use from the LV2 world (main thread).
const std::vector<Lv2Component>& Lv2Components();
// The component behind an id, or null.
const Lv2Component* Lv2ComponentFor(Component component);
// A four-character code of letters and digits made from text (and salt, to step past a
// code already taken); the same text gives the same code on every machine.
OSType StableFourCC(const std::string& text, uint32_t salt);
