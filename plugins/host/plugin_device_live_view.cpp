// The live view of the device table. The MIDI input thread, the engine and main-thread
// tools walk it while the main thread rebuilds the table, so the main thread never changes
// a view in place: it publishes a new one and frees the old one only once no reader can
// still hold it.
//
// Readers count themselves in one of two counters, the one the epoch's parity names, and
// check that the epoch did not move before they load the view. The main thread, after it
// swapped the view, moves the epoch twice and each time waits until the counter of the
// parity it left is 0: readers that come later use the other counter and the new view, so
// each wait lasts at most one walk, however busy the readers are. Readers never wait; the
// main thread's waits have a bound, and views it could not free yet stay retired until a
// later change or wait frees them.
#include <atomic>
#include <chrono>
#include <new>

#include "platform/threads/thread_pauses.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"

namespace {

struct LiveDeviceView {
  int32_t count = 0;
  LiveDevice devices[kMaxPluginDevices] = {};
  LiveDeviceView* retiredNext = nullptr;
};

std::atomic<LiveDeviceView*> gLiveView{nullptr};
std::atomic<uint32_t> gViewEpoch{0};
std::atomic<int32_t> gViewReaders[2] = {0, 0};
LiveDeviceView* gRetiredViews = nullptr;  // main thread only
int32_t gRetiredCount = 0;

void FreeRetiredViews() {
  while (gRetiredViews) {
    LiveDeviceView* next = gRetiredViews->retiredNext;
    delete gRetiredViews;
    gRetiredViews = next;
    --gRetiredCount;
  }
}

// Moves the epoch and waits until the parity it left has no reader.
bool DrainParity(std::chrono::steady_clock::time_point end) {
  uint32_t left = gViewEpoch.fetch_add(1, std::memory_order_seq_cst) & 1;
  while (gViewReaders[left].load(std::memory_order_seq_cst) != 0) {
    if (std::chrono::steady_clock::now() >= end) return false;
    YieldProcessor();
  }
  return true;
}

bool TryFreeRetiredViews(std::chrono::microseconds bound) {
  if (!gRetiredViews) return true;
  auto end = std::chrono::steady_clock::now() + bound;
  if (!DrainParity(end) || !DrainParity(end)) return false;
  FreeRetiredViews();
  return true;
}

// Counts the caller in as a reader of the current epoch; answers the parity to count out.
uint32_t EnterReader() {
  for (;;) {
    uint32_t epoch = gViewEpoch.load(std::memory_order_seq_cst);
    gViewReaders[epoch & 1].fetch_add(1, std::memory_order_seq_cst);
    if (gViewEpoch.load(std::memory_order_seq_cst) == epoch) return epoch & 1;
    gViewReaders[epoch & 1].fetch_sub(1, std::memory_order_release);
  }
}

void FillView(LiveDeviceView* view) {
  view->count = CountTableRecords() < kMaxPluginDevices ? CountTableRecords() : kMaxPluginDevices;
  for (int32_t n = 0; n < view->count; ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    LiveDevice& live = view->devices[n];
    live.id = d.p ? d.Id() : 0;
    live.flags = d.p ? d.Flags() : kDevicePending;
    live.instance = gDeviceLinks[n].instance;
    live.midiState = gDeviceLinks[n].midiState;
  }
}

void RunForView(const LiveDeviceView* view, uint32_t id, LiveDeviceProc proc, void* context) {
  for (int32_t n = 0; n < view->count; ++n) {
    const LiveDevice& d = view->devices[n];
    if (id == 0) {
      if (d.instance != 0 && !(d.flags & kDevicePending)) proc(&d, context);
    } else if (d.id == id) {
      proc(&d, context);
      return;
    }
  }
}

}  // namespace

void PublishLiveDevices() {
  auto* view = new (std::nothrow) LiveDeviceView;
  if (!view) return;  // the readers keep the last view; the next change publishes again
  FillView(view);
  LiveDeviceView* old = gLiveView.exchange(view, std::memory_order_seq_cst);
  if (old) {
    old->retiredNext = gRetiredViews;
    gRetiredViews = old;
    ++gRetiredCount;
  }
  TryFreeRetiredViews(std::chrono::milliseconds(2));
}

bool WaitForDeviceViewReaders() { return TryFreeRetiredViews(std::chrono::milliseconds(200)); }

void ForEachLiveDevice(uint32_t id, LiveDeviceProc proc, void* context) {
  if (!proc) return;
  uint32_t parity = EnterReader();
  if (const LiveDeviceView* view = gLiveView.load(std::memory_order_seq_cst)) RunForView(view, id, proc, context);
  gViewReaders[parity].fetch_sub(1, std::memory_order_release);
}

int32_t CountRetiredDeviceViews() {
  TryFreeRetiredViews(std::chrono::milliseconds(200));
  return gRetiredCount;
}
