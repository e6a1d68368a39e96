// The live view that the MIDI input thread walks while the main thread rebuilds the table:
// a reader never sees a freed view (an address-checked build reports any use after free) and
// always sees a whole table, and retired views are freed once the readers are gone.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_transport.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_prepare_hooks.h"
#include "plugins/host/plugin_render_hooks.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_engine.h"
#include "song/instruments/instrument_table.h"
#include "tests/plugins/devices/device_fixture.h"

namespace device_test {
namespace {

using LiveViewTest = DeviceTableTest;

struct Seen {
  int devices = 0;
  int wrong = 0;
  std::set<uint32_t> ids;
};

void NoteDevice(const LiveDevice* d, void* context) {
  auto* seen = static_cast<Seen*>(context);
  ++seen->devices;
  if (d->id == 0 || d->id > kClickPluginDeviceId || d->instance == 0 || (d->flags & kDevicePending)) ++seen->wrong;
  seen->ids.insert(d->id);
}

TEST_F(LiveViewTest, IdZeroReachesEveryLiveDeviceAndAnIdOnlyItsOwn) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, kDeviceKindMidiPort));
  int32_t ids[3] = {-1, 4, -1};
  for (int32_t& id : ids) ASSERT_EQ(noErr, RegisterPluginDevice(MakeRack("Kars"), &id, -1));
  ClearDeviceLinksTo(GetDeviceInstanceId(FindPluginDeviceById(uint32_t(ids[2]), 0)));

  Seen all;
  ForEachLiveDevice(0, NoteDevice, &all);
  EXPECT_EQ((std::set<uint32_t>{1, 4}), all.ids) << "the pending device has no instance";
  EXPECT_EQ(0, all.wrong);

  Seen one;
  ForEachLiveDevice(4, NoteDevice, &one);
  EXPECT_EQ((std::set<uint32_t>{4}), one.ids);
  Seen none;
  ForEachLiveDevice(9, NoteDevice, &none);
  EXPECT_EQ(0, none.devices);

  // The MIDI state a channel brought is what the readers get.
  EngineChannel channel;
  channel.id = 4;
  PluginMidiState state;
  AttachChannelToDevice(&channel, &state);
  uint32_t instance = GetDeviceInstanceId(FindPluginDeviceById(4, 0));
  EXPECT_NE(0u, instance);
  EXPECT_EQ(instance, state.receiverId) << "the device's instrument hears of transport jumps";
  // A stop or locate asks every attached state to release its notes.
  ResetDeviceMidiStates();
  EXPECT_EQ(1, state.reset.load());
  // The transport's locate reaches it through the engine.
  state.reset.store(0);
  TransportAudioHooks savedTransport = gTransportAudioHooks;
  EnginePluginHooks savedEngine = gEnginePluginHooks;
  InstallTransportAudioHooks();
  InstallPluginRenderHooks();
  SetLocatePoint(5);
  EXPECT_EQ(1, state.reset.load());
  gTransportAudioHooks = savedTransport;
  gEnginePluginHooks = savedEngine;
  PluginMidiState* reached = nullptr;
  ForEachLiveDevice(4, [](const LiveDevice* d, void* c) { *static_cast<PluginMidiState**>(c) = d->midiState; }, &reached);
  EXPECT_EQ(&state, reached);
  ClearDeviceMidiStates();
  ForEachLiveDevice(4, [](const LiveDevice* d, void* c) { *static_cast<PluginMidiState**>(c) = d->midiState; }, &reached);
  EXPECT_EQ(nullptr, reached);
}

// The main thread rebuilds, resets and re-registers while a reader walks the view without a
// pause: every walk sees a table the main thread made whole (1..3 live devices with ids from
// the set registered) and nothing freed under it.
TEST_F(LiveViewTest, RebuildingUnderAReaderFreesNothingTheReaderHolds) {
  std::atomic<bool> stop{false};
  std::atomic<int> walks{0};
  std::atomic<int> wrong{0};
  std::thread reader([&] {
    while (!stop.load(std::memory_order_relaxed)) {
      Seen seen;
      ForEachLiveDevice(0, NoteDevice, &seen);
      ForEachLiveDevice(2, NoteDevice, &seen);
      if (seen.wrong != 0 || seen.devices > 4) wrong.fetch_add(1);
      for (uint32_t id : seen.ids)
        if (id < 1 || id > 3) wrong.fetch_add(1);
      walks.fetch_add(1, std::memory_order_relaxed);
    }
  });
  std::vector<Handle> racks = {MakeRack("Kars"), MakeRack("Organ"), MakeRack("Piano")};
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int rounds = 0;
  for (; rounds < 3000 && std::chrono::steady_clock::now() < end; ++rounds) {
    ResetDeviceTable();
    for (int32_t r = 0; r <= rounds % 3; ++r) {
      int32_t id = -1;
      ASSERT_EQ(noErr, RegisterPluginDevice(racks[size_t(r)], &id, -1));
    }
    if (rounds % 5 == 0) MarkUnreferencedDevices();
    if (rounds % 7 == 0) ClearDeviceLinksTo(RackHead(racks[0]));
  }
  // Let the reader walk a while longer over the last table, then stop it.
  int seenBefore = walks.load();
  for (int i = 0; i < 2000 && walks.load() < seenBefore + 10; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  stop = true;
  reader.join();
  EXPECT_GT(rounds, 100);
  EXPECT_GT(walks.load(), 0);
  EXPECT_EQ(0, wrong.load());
  EXPECT_EQ(0, CountRetiredDeviceViews()) << "once no reader is left every retired view is freed";
}

// The engine disposes an instrument channel's MIDI state right after its device let go of
// it, while the MIDI input thread may be inside a walk of a view that still holds it: the
// state must outlive that walk.
TEST_F(LiveViewTest, AChannelsMidiStateOutlivesTheWalksThatHoldIt) {
  InstallPluginPrepareHooks();
  int32_t id = 4;
  ASSERT_EQ(noErr, RegisterPluginDevice(MakeRack("Kars"), &id, -1));
  EngineChannel channel;
  channel.id = 4;
  auto* state = new PluginMidiState;
  gEnginePluginHooks.attachChannelMidiState(&channel, state);
  std::atomic<bool> entered{false}, left{false};
  using Flags = std::pair<std::atomic<bool>*, std::atomic<bool>*>;
  std::thread reader([&] {
    Flags flags{&entered, &left};
    ForEachLiveDevice(4, [](const LiveDevice* d, void* c) {
      auto* flags = static_cast<Flags*>(c);
      flags->first->store(true);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      if (d->midiState) d->midiState->ownerId = 4;  // the reader still uses the state
      flags->second->store(true);
    }, &flags);
  });
  for (int i = 0; i < 2000 && !entered.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(entered.load());
  gEnginePluginHooks.attachChannelMidiState(&channel, nullptr);
  gEnginePluginHooks.disposeChannelMidiState(state);
  EXPECT_TRUE(left.load()) << "the state went while a walk still held it";
  reader.join();
}

}  // namespace
}  // namespace device_test
