// The audio hardware layer in one include.
#pragma once

#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_host_time.h"
#include "platform/coreaudio/audio_output_mix.h"
#include "platform/coreaudio/audio_types.h"
#include "platform/coreaudio/jack_device.h"
#include "platform/coreaudio/null_device.h"
#include "platform/coreaudio/stream_description.h"
