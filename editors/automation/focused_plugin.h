// The plug-in whose parameters the plug-in parameter lane shows: the pane's plug-in in the
// rack in focus, and a lane position (0..1) on that parameter's own scale.
#pragma once

#include <cstdint>

struct PluginInstance;

// The plug-in at kPanePluginIndex of the focused rack's chain; null when no rack is in focus
// or its chain holds no plug-in there.
PluginInstance* GetFocusedPluginObject();
// value (0..1 of the lane) on the scale of parameter index of the focused plug-in (the
// plug-in host's mapping); the value itself without a plug-in or for an index outside its
// parameters.
float MapLaneValueToParameter(int32_t index, float value);
