// The object graph, properties, unique ids and notifications, with only the built-in synth
// and virtual endpoints present (the system drivers are switched off).
#include <gtest/gtest.h>

#include <set>

#include "platform/coremidi/core_midi.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/test_support.h"

namespace {

using midi_test::StringProperty;

class MidiObjects : public ::testing::Test {
 protected:
  void TearDown() override { ShutDownMidiServices(); }
  zarin_test::ScopedEnv drivers_{"ZARIN_MIDI_DRIVERS", "none"};
};

SInt32 IntegerProperty(MIDIObjectRef obj, CFStringRef property, OSStatus* err = nullptr) {
  SInt32 value = -12345;
  OSStatus e = MIDIObjectGetIntegerProperty(obj, property, &value);
  if (err != nullptr) *err = e;
  return value;
}

TEST_F(MidiObjects, BuiltInSynthIsDestinationZeroWithItsDeviceAndEntity) {
  ASSERT_EQ(MIDIGetNumberOfDevices(), 1u);
  ASSERT_EQ(MIDIGetNumberOfDestinations(), 1u);
  EXPECT_EQ(MIDIGetNumberOfSources(), 0u);
  MIDIDeviceRef device = MIDIGetDevice(0);
  ASSERT_EQ(MIDIDeviceGetNumberOfEntities(device), 1u);
  MIDIEntityRef entity = MIDIDeviceGetEntity(device, 0);
  ASSERT_EQ(MIDIEntityGetNumberOfDestinations(entity), 1u);
  EXPECT_EQ(MIDIEntityGetNumberOfSources(entity), 0u);
  MIDIEndpointRef synth = MIDIEntityGetDestination(entity, 0);
  EXPECT_EQ(synth, MIDIGetDestination(0));
  EXPECT_EQ(MIDIGetDestination(1), 0u);

  MIDIEntityRef back = 0;
  MIDIDeviceRef backDevice = 0;
  EXPECT_EQ(MIDIEndpointGetEntity(synth, &back), noErr);
  EXPECT_EQ(back, entity);
  EXPECT_EQ(MIDIEntityGetDevice(entity, &backDevice), noErr);
  EXPECT_EQ(backDevice, device);

  EXPECT_EQ(StringProperty(synth, kMIDIPropertyName), "Zarin GM Synth");
  EXPECT_EQ(StringProperty(synth, kMIDIPropertyDisplayName), "Zarin GM Synth");
  EXPECT_EQ(StringProperty(synth, kMIDIPropertyManufacturer), "Zarin");  // from its device
  EXPECT_EQ(IntegerProperty(synth, kMIDIPropertyReceiveChannels), 0xFFFF);
  EXPECT_EQ(IntegerProperty(synth, kMIDIPropertyOffline), 0);  // the sound font is installed
  EXPECT_EQ(IntegerProperty(device, kMIDIPropertySupportsGeneralMIDI), 1);
  EXPECT_EQ(MIDIObjectSetIntegerProperty(synth, kMIDIPropertyOffline, 1), kMIDINotPermitted);

  SInt32 id = IntegerProperty(synth, kMIDIPropertyUniqueID);
  EXPECT_NE(id, 0);
  MIDIObjectRef found = 0;
  MIDIObjectType type = 0;
  EXPECT_EQ(MIDIObjectFindByUniqueID(id, &found, &type), noErr);
  EXPECT_EQ(found, synth);
  EXPECT_EQ(type, kMIDIObjectType_Destination);
  EXPECT_EQ(MIDIObjectFindByUniqueID(0, &found, &type), kMIDIObjectNotFound);
}

TEST_F(MidiObjects, VirtualEndpointsCarryTheirOwnProperties) {
  MIDIClientRef client = 0;
  ASSERT_EQ(MIDIClientCreate(CFSTR("Tests"), nullptr, nullptr, &client), noErr);
  MIDIEndpointRef keys = 0, hidden = 0;
  ASSERT_EQ(MIDISourceCreate(client, CFSTR("Keys"), &keys), noErr);
  ASSERT_EQ(MIDISourceCreate(client, CFSTR("Hidden"), &hidden), noErr);
  EXPECT_EQ(MIDIGetNumberOfSources(), 2u);
  MIDIEntityRef entity = 1;
  EXPECT_EQ(MIDIEndpointGetEntity(keys, &entity), kMIDIObjectNotFound);
  EXPECT_EQ(entity, 0u);
  EXPECT_EQ(StringProperty(keys, kMIDIPropertyDisplayName), "Keys");

  ASSERT_EQ(MIDIObjectSetIntegerProperty(hidden, kMIDIPropertyPrivate, 1), noErr);
  EXPECT_EQ(MIDIGetNumberOfSources(), 1u);
  EXPECT_EQ(MIDIGetSource(0), keys);

  ASSERT_EQ(MIDIObjectSetStringProperty(keys, kMIDIPropertyModel, CFSTR("Stage 88")), noErr);
  EXPECT_EQ(StringProperty(keys, kMIDIPropertyModel), "Stage 88");
  OSStatus err = noErr;
  IntegerProperty(keys, kMIDIPropertyModel, &err);
  EXPECT_EQ(err, kMIDIWrongPropertyType);
  IntegerProperty(keys, kMIDIPropertyDeviceID, &err);
  EXPECT_EQ(err, kMIDIUnknownProperty);

  // Several connection ids as big-endian data; the integer form answers the first.
  const UInt8 ids[] = {0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFE};
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, ids, sizeof ids);
  ASSERT_EQ(MIDIObjectSetDataProperty(keys, kMIDIPropertyConnectionUniqueID, data), noErr);
  CFRelease(data);
  EXPECT_EQ(IntegerProperty(keys, kMIDIPropertyConnectionUniqueID), 0x12345678);
  CFDataRef back = nullptr;
  ASSERT_EQ(MIDIObjectGetDataProperty(keys, kMIDIPropertyConnectionUniqueID, &back), noErr);
  EXPECT_EQ(CFDataGetLength(back), 8);
  CFRelease(back);
  EXPECT_EQ(MIDIObjectRemoveProperty(keys, kMIDIPropertyConnectionUniqueID), noErr);
  IntegerProperty(keys, kMIDIPropertyConnectionUniqueID, &err);
  EXPECT_EQ(err, kMIDIUnknownProperty);

  // Unique ids can be set, but never to one in use.
  SInt32 hiddenID = IntegerProperty(hidden, kMIDIPropertyUniqueID);
  EXPECT_EQ(MIDIObjectSetIntegerProperty(keys, kMIDIPropertyUniqueID, hiddenID), kMIDIIDNotUnique);
  EXPECT_EQ(MIDIObjectSetIntegerProperty(keys, kMIDIPropertyUniqueID, 424242), noErr);
  MIDIObjectRef found = 0;
  EXPECT_EQ(MIDIObjectFindByUniqueID(424242, &found, nullptr), noErr);
  EXPECT_EQ(found, keys);
}

TEST_F(MidiObjects, CallsOnTheWrongObjectsFailWithTheirCodes) {
  MIDIClientRef client = 0, gone = 0;
  ASSERT_EQ(MIDIClientCreate(CFSTR("Tests"), nullptr, nullptr, &client), noErr);
  ASSERT_EQ(MIDIClientCreate(CFSTR("Gone"), nullptr, nullptr, &gone), noErr);
  MIDIPortRef in = 0, out = 0, goneOut = 0;
  ASSERT_EQ(MIDIInputPortCreate(client, CFSTR("In"), midi_test::Recorder::Proc, nullptr, &in), noErr);
  ASSERT_EQ(MIDIOutputPortCreate(client, CFSTR("Out"), &out), noErr);
  ASSERT_EQ(MIDIOutputPortCreate(gone, CFSTR("Out"), &goneOut), noErr);
  MIDIEndpointRef source = 0;
  ASSERT_EQ(MIDISourceCreate(gone, CFSTR("Source"), &source), noErr);
  ASSERT_EQ(MIDIClientDispose(gone), noErr);  // takes its port and source along
  MIDIEndpointRef synth = MIDIGetDestination(0);
  MIDIEndpointRef keys = 0;
  ASSERT_EQ(MIDISourceCreate(client, CFSTR("Keys"), &keys), noErr);
  midi_test::PacketList packet({{0, {0x90, 60, 100}}});

  struct Case {
    const char* what;
    OSStatus got;
    OSStatus want;
  };
  MIDIPortRef port = 0;
  const Case cases[] = {
      {"port on a disposed client", MIDIOutputPortCreate(gone, CFSTR("x"), &port), kMIDIInvalidClient},
      {"input port without a read proc", MIDIInputPortCreate(client, CFSTR("x"), nullptr, nullptr, &port), paramErr},
      {"connect a destination", MIDIPortConnectSource(in, synth, nullptr), kMIDIWrongEndpointType},
      {"connect through an output port", MIDIPortConnectSource(out, keys, nullptr), kMIDIInvalidPort},
      {"connect a disposed source", MIDIPortConnectSource(in, source, nullptr), kMIDIUnknownEndpoint},
      {"disconnect what is not connected", MIDIPortDisconnectSource(in, keys), kMIDINoConnection},
      {"send through an input port", MIDISend(in, synth, packet.get()), kMIDIInvalidPort},
      {"send through a disposed port", MIDISend(goneOut, synth, packet.get()), kMIDIInvalidPort},
      {"send to a source", MIDISend(out, keys, packet.get()), kMIDIWrongEndpointType},
      {"send a null list", MIDISend(out, synth, nullptr), paramErr},
      {"receive on a destination", MIDIReceived(synth, packet.get()), kMIDIWrongEndpointType},
      {"dispose the built-in synth", MIDIEndpointDispose(synth), kMIDINotPermitted},
      {"dispose a client twice", MIDIClientDispose(gone), kMIDIInvalidClient},
      {"dispose a port twice", MIDIPortDispose(goneOut), kMIDIInvalidPort},
      {"flush a source", MIDIFlushOutput(keys), kMIDIWrongEndpointType},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

// Unique ids of one set-up, in a fixed order.
std::vector<SInt32> SetUpAndReadIDs() {
  MIDIClientRef client = 0;
  MIDIClientCreate(CFSTR("Tests"), nullptr, nullptr, &client);
  MIDIEndpointRef a = 0, b = 0, d = 0;
  MIDISourceCreate(client, CFSTR("Twin"), &a);
  MIDISourceCreate(client, CFSTR("Twin"), &b);
  MIDIDestinationCreate(client, CFSTR("Twin"), midi_test::Recorder::Proc, nullptr, &d);
  std::vector<SInt32> ids;
  for (MIDIObjectRef obj : {MIDIGetDevice(0), MIDIDeviceGetEntity(MIDIGetDevice(0), 0), MIDIGetDestination(0), a, b, d}) {
    SInt32 id = 0;
    MIDIObjectGetIntegerProperty(obj, kMIDIPropertyUniqueID, &id);
    ids.push_back(id);
  }
  return ids;
}

TEST_F(MidiObjects, UniqueIDsAreDistinctAndTheSameInTheNextRun) {
  std::vector<SInt32> first = SetUpAndReadIDs();
  MIDIEndpointRef oldSynth = MIDIGetDestination(0);
  std::set<SInt32> distinct(first.begin(), first.end());
  EXPECT_EQ(distinct.size(), first.size());
  EXPECT_EQ(distinct.count(0), 0u);

  ShutDownMidiServices();
  std::vector<SInt32> second = SetUpAndReadIDs();
  EXPECT_EQ(second, first);
  // References are not reused: the old one finds nothing.
  EXPECT_NE(MIDIGetDestination(0), oldSynth);
  SInt32 id = 0;
  EXPECT_EQ(MIDIObjectGetIntegerProperty(oldSynth, kMIDIPropertyUniqueID, &id), kMIDIObjectNotFound);
}

struct Noted {
  MIDINotificationMessageID id;
  MIDIObjectRef object;
  MIDIObjectType type;
  std::string property;
};

void RecordNotification(const MIDINotification* message, void* refCon) {
  auto* log = static_cast<std::vector<Noted>*>(refCon);
  switch (message->messageID) {
    case kMIDIMsgObjectAdded:
    case kMIDIMsgObjectRemoved: {
      auto* n = reinterpret_cast<const MIDIObjectAddRemoveNotification*>(message);
      log->push_back({n->messageID, n->child, n->childType, {}});
      break;
    }
    case kMIDIMsgPropertyChanged: {
      auto* n = reinterpret_cast<const MIDIObjectPropertyChangeNotification*>(message);
      log->push_back({n->messageID, n->object, n->objectType, CFStringToUTF8(n->propertyName)});
      break;
    }
    default:
      log->push_back({message->messageID, 0, 0, {}});
  }
}

TEST_F(MidiObjects, NotificationsWaitForThePumpAndComeInOrder) {
  std::vector<Noted> log;
  int wakes = 0;
  MIDISetNotificationWakeProc([](void* refCon) { ++*static_cast<int*>(refCon); }, &wakes);
  MIDIClientRef client = 0;
  ASSERT_EQ(MIDIClientCreate(CFSTR("Tests"), RecordNotification, &log, &client), noErr);
  MIDIEndpointRef dest = 0;
  ASSERT_EQ(MIDIDestinationCreate(client, CFSTR("Capture"), midi_test::Recorder::Proc, nullptr, &dest), noErr);
  ASSERT_EQ(MIDIObjectSetStringProperty(dest, kMIDIPropertyName, CFSTR("Capture 2")), noErr);
  ASSERT_EQ(MIDIEndpointDispose(dest), noErr);
  EXPECT_TRUE(log.empty());
  EXPECT_GE(wakes, 1);

  EXPECT_EQ(MIDIDeliverPendingNotifications(), 5u);
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].id, kMIDIMsgObjectAdded);
  EXPECT_EQ(log[0].object, dest);
  EXPECT_EQ(log[0].type, kMIDIObjectType_Destination);
  EXPECT_EQ(log[1].id, kMIDIMsgSetupChanged);
  EXPECT_EQ(log[2].id, kMIDIMsgPropertyChanged);
  EXPECT_EQ(log[2].property, "name");
  EXPECT_EQ(log[3].id, kMIDIMsgObjectRemoved);
  EXPECT_EQ(log[3].object, dest);
  EXPECT_EQ(log[4].id, kMIDIMsgSetupChanged);
  EXPECT_EQ(MIDIDeliverPendingNotifications(), 0u);

  ASSERT_EQ(MIDIRestart(), noErr);
  EXPECT_EQ(MIDIDeliverPendingNotifications(), 1u);
  EXPECT_EQ(log.back().id, kMIDIMsgSetupChanged);
  MIDISetNotificationWakeProc(nullptr, nullptr);
}

}  // namespace
