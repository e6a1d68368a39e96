// The transport's follow list: the movies and other time bases that follow the engine's
// position. The engine hands it the list it just mixed and the transport's sample position
// after every full mix cycle and after the first-cycle priming; the movie sync fills the entry.
// Engine thread: the entry never blocks or allocates.
#pragma once

struct EngineChannel;

struct FollowListHooks {
  void (*updateFollowList)(EngineChannel* list, double samplePosition) = nullptr;
};
extern FollowListHooks gFollowListHooks;

// Interim: nothing follows the engine until the movie sync installs the entry.
void UpdateFollowList(EngineChannel* list, double samplePosition);
