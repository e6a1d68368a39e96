#include <gtest/gtest.h>

#include "platform/events/apple_events.h"
#include "platform/events/event_types.h"
#include "shell/app/apple_event_handlers.h"

namespace {

constexpr AEEventClass kTestClass = FourCC("Ztst");
constexpr AEEventID kTestId = FourCC("ping");

struct Received {
  int count = 0;
  bool hasValue = false;
  UInt32 value = 0;
} gReceived;

OSErr RecordPing(const AppleEvent* event, AppleEvent*, SRefCon) {
  ++gReceived.count;
  DescType type = 0;
  Size size = 0;
  UInt32 value = 0;
  gReceived.hasValue = AEGetParamPtr(event, keyDirectObject, typeMagnitude, &type, &value,
                                     sizeof value, &size) == noErr;
  gReceived.value = value;
  return noErr;
}

class SendToSelf : public ::testing::Test {
 protected:
  void SetUp() override {
    gReceived = {};
    AEInstallEventHandler(kTestClass, kTestId, RecordPing, 0, false);
    ProcessSerialNumber self{0, kCurrentProcess};
    AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &self_);
  }
  void TearDown() override {
    AERemoveEventHandler(kTestClass, kTestId, RecordPing, false);
    AEDisposeDesc(&self_);
  }
  AEAddressDesc self_;
};

TEST_F(SendToSelf, DeliversTheEventWithOrWithoutItsValue) {
  SendAppleEventToSelf(&self_, kTestClass, kTestId, 0xA1B2C3D4u, true);
  EXPECT_EQ(gReceived.count, 1);
  EXPECT_TRUE(gReceived.hasValue);
  EXPECT_EQ(gReceived.value, 0xA1B2C3D4u);

  SendAppleEventToSelf(&self_, kTestClass, kTestId, 7, false);
  EXPECT_EQ(gReceived.count, 2);
  EXPECT_FALSE(gReceived.hasValue);
}

TEST_F(SendToSelf, AnUnreachableTargetIsSilentlyDropped) {
  ProcessSerialNumber other{0, 12345};
  AEAddressDesc elsewhere;
  AECreateDesc(typeProcessSerialNumber, &other, sizeof other, &elsewhere);
  SendAppleEventToSelf(&elsewhere, kTestClass, kTestId, 1, true);
  SendAppleEventToSelf(nullptr, kTestClass, kTestId, 1, true);
  EXPECT_EQ(gReceived.count, 0);
  AEDisposeDesc(&elsewhere);
}

}  // namespace
