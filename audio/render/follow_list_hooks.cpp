#include "audio/render/follow_list_hooks.h"

FollowListHooks gFollowListHooks;

void UpdateFollowList(EngineChannel* list, double samplePosition) {
  if (gFollowListHooks.updateFollowList) gFollowListHooks.updateFollowList(list, samplePosition);
}
