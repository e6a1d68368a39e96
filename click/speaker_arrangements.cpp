// Speaker arrangements of AudioEffectX: allocated by the plug-in for n speakers
// (8 + 112 x n bytes), copied speaker by speaker.
#include <cstdlib>
#include <cstring>

#include "click/audio_effect_x.h"

// More speakers than any arrangement of the interface names; guards the size computation.
constexpr VstInt32 kMaxArrangementSpeakers = 1024;

// The i-th speaker of an arrangement allocated for more than the eight declared ones.
static VstSpeakerProperties* SpeakerAt(VstSpeakerArrangement* arrangement, VstInt32 i) {
  char* base = reinterpret_cast<char*>(arrangement) + offsetof(VstSpeakerArrangement, speakers);
  return reinterpret_cast<VstSpeakerProperties*>(base + sizeof(VstSpeakerProperties) * i);
}

bool AudioEffectX::AllocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels) {
  if (!arrangement || channels < 0 || channels > kMaxArrangementSpeakers) return false;
  DeallocateArrangement(arrangement);
  size_t bytes = offsetof(VstSpeakerArrangement, speakers) +
                 sizeof(VstSpeakerProperties) * static_cast<size_t>(channels);
  auto* made = static_cast<VstSpeakerArrangement*>(std::calloc(1, bytes));
  if (!made) return false;
  made->numChannels = channels;
  *arrangement = made;
  return true;
}

bool AudioEffectX::DeallocateArrangement(VstSpeakerArrangement** arrangement) {
  if (!arrangement) return false;
  std::free(*arrangement);
  *arrangement = nullptr;
  return true;
}

bool AudioEffectX::CopySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from) {
  if (!to || !from) return false;
  CopyVstString(to->name, from->name, sizeof to->name);
  to->type = from->type;
  to->azimuth = from->azimuth;
  to->elevation = from->elevation;
  to->radius = from->radius;
  to->reserved = from->reserved;
  std::memcpy(to->future, from->future, sizeof to->future);
  return true;
}

bool AudioEffectX::MatchArrangement(VstSpeakerArrangement** to,
                                    const VstSpeakerArrangement* from) {
  if (!to || !from) return false;
  if (!DeallocateArrangement(to) || !AllocateArrangement(to, from->numChannels)) return false;
  (*to)->type = from->type;
  for (VstInt32 i = 0; i < from->numChannels; ++i) {
    auto* source = SpeakerAt(const_cast<VstSpeakerArrangement*>(from), i);
    if (!CopySpeaker(SpeakerAt(*to, i), source)) return false;
  }
  return true;
}
