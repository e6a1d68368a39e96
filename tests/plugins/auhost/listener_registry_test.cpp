// The listener registry: notifications posted from any thread reach the listeners only when
// the main thread delivers them, merged per parameter, never back to their sender.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/audiounit/audio_unit_listeners.h"

namespace {

struct Heard {
  void* object;
  uint32_t type;
  AudioUnitParameterID parameter;
  float value;
};

std::vector<Heard> gHeard;

void RecordParameter(void*, void* object, const AudioUnitParameter* p, AudioUnitParameterValue v) {
  gHeard.push_back({object, kAudioUnitEvent_ParameterValueChange, p->mParameterID, v});
}

void RecordEvent(void*, void* object, const AudioUnitEvent* e, uint64_t, AudioUnitParameterValue v) {
  gHeard.push_back({object, e->mEventType, e->mArgument.mParameter.mParameterID, v});
}

AudioUnitParameter Parameter(AudioUnitParameterID id) {
  AudioUnitParameter p;
  p.mAudioUnit = 7;
  p.mParameterID = id;
  return p;
}

AudioUnitEvent Gesture(uint32_t type, AudioUnitParameterID id) {
  AudioUnitEvent e;
  e.mEventType = type;
  e.mArgument.mParameter = Parameter(id);
  return e;
}

// Delivers until something arrives or a generous bound passes (intervals are wall time).
int32_t DeliverSoon() {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int32_t n = 0;
  while ((n = DeliverAudioUnitListenerNotifications()) == 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return n;
}

class ListenerRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAudioUnitListeners();
    gHeard.clear();
  }
  void TearDown() override { ResetAudioUnitListeners(); }

  // A value change of a parameter as an editor reports it.
  static void PostChange(uint32_t sender, AudioUnitParameterID id) {
    AudioUnitEvent e = Gesture(kAudioUnitEvent_ParameterValueChange, id);
    ASSERT_EQ(noErr, AUEventListenerNotify(sender, nullptr, &e));
  }
};

TEST_F(ListenerRegistryTest, EngineThreadPostsAreHeardOnlyWhenTheMainThreadDelivers) {
  AUEventListenerRef listener = 0;
  ASSERT_EQ(noErr, AUEventListenerCreate(RecordEvent, nullptr, 0.0f, 0.0f, &listener));
  int object = 0;
  AudioUnitEvent begin = Gesture(kAudioUnitEvent_BeginParameterChangeGesture, 3);
  AudioUnitEvent end = Gesture(kAudioUnitEvent_EndParameterChangeGesture, 3);
  ASSERT_EQ(noErr, AUEventListenerAddEventType(listener, &object, &begin));
  ASSERT_EQ(noErr, AUEventListenerAddEventType(listener, &object, &end));

  std::thread engine([&] {
    AUEventListenerNotify(0, nullptr, &begin);
    AUEventListenerNotify(0, nullptr, &end);
  });
  engine.join();
  EXPECT_TRUE(gHeard.empty());  // nothing is called from the posting thread

  EXPECT_EQ(2, DeliverSoon());
  ASSERT_EQ(2u, gHeard.size());
  EXPECT_EQ(&object, gHeard[0].object);
  EXPECT_EQ(uint32_t(kAudioUnitEvent_BeginParameterChangeGesture), gHeard[0].type);
  EXPECT_EQ(uint32_t(kAudioUnitEvent_EndParameterChangeGesture), gHeard[1].type);
}

TEST_F(ListenerRegistryTest, ValueChangesMergeToTheLastAndSkipTheSender) {
  AUEventListenerRef editor = 0, mixer = 0;
  ASSERT_EQ(noErr, AUEventListenerCreate(RecordEvent, nullptr, 0.0f, 0.0f, &editor));
  ASSERT_EQ(noErr, AUEventListenerCreate(RecordEvent, nullptr, 0.0f, 0.0f, &mixer));
  AudioUnitEvent any = Gesture(kAudioUnitEvent_ParameterValueChange, kAUParameterListener_AnyParameter);
  int editorObject = 0, mixerObject = 0;
  ASSERT_EQ(noErr, AUEventListenerAddEventType(editor, &editorObject, &any));
  ASSERT_EQ(noErr, AUEventListenerAddEventType(mixer, &mixerObject, &any));

  // Ten changes to parameter 1 from the editor, one change to parameter 2.
  for (int i = 0; i < 10; ++i) PostChange(editor, 1);
  PostChange(editor, 2);
  DeliverSoon();
  ASSERT_EQ(2u, gHeard.size());  // the editor hears nothing of its own
  EXPECT_EQ(&mixerObject, gHeard[0].object);
  EXPECT_EQ(1u, gHeard[0].parameter);
  EXPECT_EQ(2u, gHeard[1].parameter);
}

TEST_F(ListenerRegistryTest, AnIntervalSpacesDeliveries) {
  AUEventListenerRef listener = 0;
  ASSERT_EQ(noErr, AUEventListenerCreate(RecordEvent, nullptr, 0.05f, 0.05f, &listener));
  AudioUnitEvent begin = Gesture(kAudioUnitEvent_BeginParameterChangeGesture, 3);
  ASSERT_EQ(noErr, AUEventListenerAddEventType(listener, nullptr, &begin));
  AUEventListenerNotify(0, nullptr, &begin);
  EXPECT_EQ(1, DeliverAudioUnitListenerNotifications());  // the first is due at once
  AUEventListenerNotify(0, nullptr, &begin);
  auto posted = std::chrono::steady_clock::now();
  int32_t n = DeliverAudioUnitListenerNotifications();
  // Unless the machine stalled for the whole interval, the second waits.
  if (std::chrono::steady_clock::now() - posted < std::chrono::milliseconds(40)) EXPECT_EQ(0, n);
  if (n == 0) EXPECT_EQ(1, DeliverSoon());
  EXPECT_EQ(2u, gHeard.size());
}

TEST_F(ListenerRegistryTest, ListenersHearOnlyTheirParametersAndUnits) {
  AUParameterListenerRef listener = 0;
  ASSERT_EQ(noErr, AUListenerCreate(RecordParameter, nullptr, 0.0f, &listener));
  AudioUnitParameter five = Parameter(5);
  ASSERT_EQ(noErr, AUListenerAddParameter(listener, nullptr, &five));
  AudioUnitEvent otherParameter = Gesture(kAudioUnitEvent_ParameterValueChange, 6);
  AudioUnitEvent otherUnit = Gesture(kAudioUnitEvent_ParameterValueChange, 5);
  otherUnit.mArgument.mParameter.mAudioUnit = 8;
  AUEventListenerNotify(0, nullptr, &otherParameter);
  AUEventListenerNotify(0, nullptr, &otherUnit);
  EXPECT_EQ(0, DeliverAudioUnitListenerNotifications());
  EXPECT_TRUE(gHeard.empty());

  ASSERT_EQ(noErr, AUListenerRemoveParameter(listener, nullptr, &five));
  EXPECT_EQ(paramErr, AUListenerRemoveParameter(listener, nullptr, &five));
  EXPECT_EQ(noErr, AUListenerDispose(listener));
  EXPECT_EQ(paramErr, AUListenerDispose(listener));
}

TEST_F(ListenerRegistryTest, AFullQueueDropsAndCountsWithoutBlocking) {
  AUEventListenerRef listener = 0;
  ASSERT_EQ(noErr, AUEventListenerCreate(RecordEvent, nullptr, 0.0f, 0.0f, &listener));
  AudioUnitEvent begin = Gesture(kAudioUnitEvent_BeginParameterChangeGesture, 1);
  ASSERT_EQ(noErr, AUEventListenerAddEventType(listener, nullptr, &begin));
  uint32_t droppedBefore = CountDroppedListenerNotifications();
  // Four posting threads, more than the queue holds, nobody delivering.
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t)
    posters.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) AUEventListenerNotify(0, nullptr, &begin);
    });
  for (auto& p : posters) p.join();
  EXPECT_EQ(4000u - 1024u, CountDroppedListenerNotifications() - droppedBefore);
  // What the queue kept arrives, each once, and the queue takes posts again.
  EXPECT_EQ(1024, DeliverAudioUnitListenerNotifications());
  AUEventListenerNotify(0, nullptr, &begin);
  EXPECT_EQ(1, DeliverAudioUnitListenerNotifications());
  EXPECT_EQ(1025u, gHeard.size());
}

}  // namespace
