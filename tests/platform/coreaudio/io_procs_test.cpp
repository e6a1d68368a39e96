#include <atomic>
#include <cmath>
#include <vector>

#include "tests/platform/coreaudio/audio_test_support.h"

namespace {

using namespace audio_test;

// What a test procedure does and saw. Filled on the device thread, read after it stopped.
struct ProcRecord {
  AudioDeviceID device = 0;
  std::atomic<int> calls{0};
  int stopAtCall = 0;       // calls AudioDeviceStop from inside at this call
  int removeAtCall = 0;     // calls AudioDeviceRemoveIOProc from inside at this call
  std::atomic<bool> stopNow{false};  // calls AudioDeviceStop from inside once set
  std::atomic<OSStatus> insideResult{1};
  float value = 0;          // added to every output sample
  bool outputWasZero = true;
  bool sawOutput = true;
  std::vector<float> lastInput;
  std::vector<AudioTimeStamp> stamps;  // now, input, output per call (reserved up front)
  std::vector<UInt64> hostAtEntry;
};

OSStatus RecordingProcBody(AudioDeviceID device, const AudioTimeStamp* now, const AudioBufferList* input,
                           const AudioTimeStamp* inputTime, AudioBufferList* output,
                           const AudioTimeStamp* outputTime, void* data, AudioDeviceIOProc self) {
  auto* r = static_cast<ProcRecord*>(data);
  int call = ++r->calls;
  if (r->stamps.size() + 3 <= r->stamps.capacity()) {
    r->stamps.push_back(*now);
    r->stamps.push_back(*inputTime);
    r->stamps.push_back(*outputTime);
    r->hostAtEntry.push_back(AudioGetCurrentHostTime());
  }
  if (input->mNumberBuffers == 1 && input->mBuffers[0].mData != nullptr) {
    const float* in = static_cast<const float*>(input->mBuffers[0].mData);
    size_t count = input->mBuffers[0].mDataByteSize / sizeof(float);
    if (r->lastInput.capacity() >= count) r->lastInput.assign(in, in + count);
  }
  if (output->mNumberBuffers != 1 || output->mBuffers[0].mData == nullptr) {
    r->sawOutput = false;
  } else {
    float* out = static_cast<float*>(output->mBuffers[0].mData);
    size_t count = output->mBuffers[0].mDataByteSize / sizeof(float);
    for (size_t i = 0; i < count; ++i) {
      if (out[i] != 0.0f) r->outputWasZero = false;
      out[i] += r->value;
    }
  }
  if (call == r->stopAtCall || r->stopNow.load()) r->insideResult = AudioDeviceStop(device, self);
  if (call == r->removeAtCall) r->insideResult = AudioDeviceRemoveIOProc(device, self);
  return 0;
}

OSStatus ProcA(AudioDeviceID d, const AudioTimeStamp* n, const AudioBufferList* i, const AudioTimeStamp* it,
               AudioBufferList* o, const AudioTimeStamp* ot, void* data) {
  return RecordingProcBody(d, n, i, it, o, ot, data, ProcA);
}
OSStatus ProcB(AudioDeviceID d, const AudioTimeStamp* n, const AudioBufferList* i, const AudioTimeStamp* it,
               AudioBufferList* o, const AudioTimeStamp* ot, void* data) {
  return RecordingProcBody(d, n, i, it, o, ot, data, ProcB);
}

class IOProcsTest : public AudioTest {
 protected:
  void UseManualMode(UInt32 frames) {
    ASSERT_EQ(SetNullDeviceManualMode(true), 0);
    ASSERT_EQ(SetU32(null_, false, kAudioDevicePropertyBufferFrameSize, frames), 0);
  }
  UInt32 Running() { return GetU32(null_, false, kAudioDevicePropertyDeviceIsRunning); }
};

// Every order of calls the state machine allows, on the manual null device: each step's
// result, the calls made so far and 'goin' after it.
TEST_F(IOProcsTest, StartAndStopInEveryOrder) {
  enum Op { kAdd, kStart, kStop, kRemove, kRun3 };
  struct Step {
    Op op;
    OSStatus result;
    int callsAfter;
    UInt32 runningAfter;
  };
  const OSStatus nope = kAudioHardwareIllegalOperationError;
  const std::vector<std::vector<Step>> sequences = {
      {{kStart, nope, 0, 0}, {kStop, nope, 0, 0}, {kRemove, nope, 0, 0}, {kRun3, 0, 0, 0}},
      {{kAdd, 0, 0, 0}, {kAdd, nope, 0, 0}, {kRun3, 0, 0, 0}, {kRemove, 0, 0, 0}, {kRemove, nope, 0, 0}},
      {{kAdd, 0, 0, 0}, {kStart, 0, 0, 0}, {kRun3, 3, 3, 1}, {kStop, 0, 3, 0}, {kRun3, 0, 3, 0}},
      {{kAdd, 0, 0, 0}, {kStart, 0, 0, 0}, {kStart, 0, 0, 0}, {kRun3, 3, 3, 1}, {kStart, 0, 3, 1},
       {kRun3, 3, 6, 1}, {kStop, 0, 6, 0}, {kStop, 0, 6, 0}, {kStart, 0, 6, 0}, {kRun3, 3, 9, 1}},
      {{kAdd, 0, 0, 0}, {kStart, 0, 0, 0}, {kRun3, 3, 3, 1}, {kRemove, 0, 3, 0}, {kRun3, 0, 3, 0},
       {kStart, nope, 3, 0}, {kAdd, 0, 3, 0}, {kStart, 0, 3, 0}, {kRun3, 3, 6, 1}},
      {{kAdd, 0, 0, 0}, {kStart, 0, 0, 0}, {kStop, 0, 0, 0}, {kRun3, 0, 0, 0}, {kRemove, 0, 0, 0}},
  };
  UseManualMode(64);
  for (size_t s = 0; s < sequences.size(); ++s) {
    ProcRecord record;
    for (size_t i = 0; i < sequences[s].size(); ++i) {
      const Step& step = sequences[s][i];
      OSStatus result = 0;
      switch (step.op) {
        case kAdd: result = AudioDeviceAddIOProc(null_, ProcA, &record); break;
        case kStart: result = AudioDeviceStart(null_, ProcA); break;
        case kStop: result = AudioDeviceStop(null_, ProcA); break;
        case kRemove: result = AudioDeviceRemoveIOProc(null_, ProcA); break;
        case kRun3: result = OSStatus(RunNullDeviceCycles(3)); break;
      }
      EXPECT_EQ(result, step.result) << "sequence " << s << " step " << i;
      EXPECT_EQ(record.calls.load(), step.callsAfter) << "sequence " << s << " step " << i;
      EXPECT_EQ(Running(), step.runningAfter) << "sequence " << s << " step " << i;
    }
    AudioDeviceRemoveIOProc(null_, ProcA);
  }
}

TEST_F(IOProcsTest, StopOrRemoveFromInsideTakesEffectAfterTheCall) {
  UseManualMode(64);
  struct Case {
    bool remove;
    bool otherProcRuns;
  };
  for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
    ProcRecord self, other;
    self.stopAtCall = c.remove ? 0 : 3;
    self.removeAtCall = c.remove ? 3 : 0;
    ASSERT_EQ(AudioDeviceAddIOProc(null_, ProcA, &self), 0);
    ASSERT_EQ(AudioDeviceStart(null_, ProcA), 0);
    if (c.otherProcRuns) {
      ASSERT_EQ(AudioDeviceAddIOProc(null_, ProcB, &other), 0);
      ASSERT_EQ(AudioDeviceStart(null_, ProcB), 0);
    }
    UInt32 played = RunNullDeviceCycles(10);
    EXPECT_EQ(self.calls.load(), 3);
    EXPECT_EQ(self.insideResult.load(), 0);
    EXPECT_EQ(played, c.otherProcRuns ? 10u : 3u);
    EXPECT_EQ(other.calls.load(), c.otherProcRuns ? 10 : 0);
    EXPECT_EQ(Running(), c.otherProcRuns ? 1u : 0u);
    // With nothing left to play the device's hardware has stopped too: the mode may change.
    EXPECT_EQ(SetNullDeviceManualMode(true), c.otherProcRuns ? kAudioHardwareIllegalOperationError : 0);
    // Stopped from inside, the procedure can be started again; removed, it is gone.
    EXPECT_EQ(AudioDeviceStart(null_, ProcA), c.remove ? kAudioHardwareIllegalOperationError : 0);
    AudioDeviceRemoveIOProc(null_, ProcA);
    AudioDeviceRemoveIOProc(null_, ProcB);
  }
}

std::atomic<int> gContributorCalls{0};
std::atomic<UInt64> gContributorTime{0};
void Contributor(float* left, float* right, UInt32 frames, Float64 rate, UInt64 firstFrameHostTime, void* context) {
  if (rate == 44100.0 && context == &gContributorCalls) ++gContributorCalls;
  gContributorTime.store(firstFrameHostTime);
  for (UInt32 f = 0; f < frames; ++f) {
    left[f] = 0.125f;  // stores: the buffers arrive zeroed
    right[f] = -0.125f;
  }
}

// Each procedure finds zeroed output; the device output (read back through the loopback
// input one buffer later) is the sum of the procedures and the contributor.
TEST_F(IOProcsTest, OutputIsZeroedForEachProcAndSummed) {
  UseManualMode(32);
  gContributorCalls.store(0);
  ASSERT_EQ(SetU32(null_, true, kAudioDevicePropertyDataSource, kNullDeviceSourceLoopback), 0);
  ProcRecord a, b;
  a.value = 0.25f;
  b.value = 0.5f;
  a.lastInput.reserve(64);
  ASSERT_EQ(AudioDeviceAddIOProc(null_, ProcA, &a), 0);
  ASSERT_EQ(AudioDeviceAddIOProc(null_, ProcB, &b), 0);
  ASSERT_EQ(AddDeviceOutputContributor(null_, Contributor, &gContributorCalls), 0);
  EXPECT_EQ(AddDeviceOutputContributor(null_, Contributor, &gContributorCalls), kAudioHardwareIllegalOperationError);
  ASSERT_EQ(AudioDeviceStart(null_, ProcA), 0);
  ASSERT_EQ(AudioDeviceStart(null_, ProcB), 0);
  a.stamps.reserve(3 * 8);
  a.hostAtEntry.reserve(8);
  ASSERT_EQ(RunNullDeviceCycles(4), 4u);
  EXPECT_EQ(gContributorTime.load(), a.stamps.back().mHostTime);  // the buffer's output time
  EXPECT_TRUE(a.outputWasZero);
  EXPECT_TRUE(b.outputWasZero);
  EXPECT_EQ(gContributorCalls.load(), 4);
  ASSERT_EQ(a.lastInput.size(), 64u);
  for (size_t f = 0; f < 32; ++f) {
    EXPECT_EQ(a.lastInput[2 * f], 0.25f + 0.5f + 0.125f) << f;
    EXPECT_EQ(a.lastInput[2 * f + 1], 0.25f + 0.5f - 0.125f) << f;
  }

  // Output turned off for B: it gets no output buffer and adds nothing.
  AudioHardwareIOProcStreamUsage usage;
  usage.mIOProc = reinterpret_cast<void*>(ProcB);
  usage.mNumberStreams = 1;
  usage.mStreamIsOn[0] = 0;
  ASSERT_EQ(AudioDeviceSetProperty(null_, nullptr, 0, false, kAudioDevicePropertyIOProcStreamUsage, sizeof usage,
                                   &usage),
            0);
  ASSERT_EQ(RunNullDeviceCycles(2), 2u);
  EXPECT_FALSE(b.sawOutput);
  EXPECT_EQ(a.lastInput[0], 0.25f + 0.125f);
}

TEST_F(IOProcsTest, ContributorAloneKeepsTheDevicePlayingWithoutRunningState) {
  UseManualMode(64);
  gContributorCalls.store(0);
  EXPECT_EQ(RunNullDeviceCycles(2), 0u);
  ASSERT_EQ(AddDeviceOutputContributor(null_, Contributor, &gContributorCalls), 0);
  EXPECT_EQ(RunNullDeviceCycles(2), 2u);
  EXPECT_EQ(gContributorCalls.load(), 2);
  EXPECT_EQ(Running(), 0u);
  ASSERT_EQ(RemoveDeviceOutputContributor(null_, Contributor, &gContributorCalls), 0);
  EXPECT_EQ(RemoveDeviceOutputContributor(null_, Contributor, &gContributorCalls), kAudioHardwareIllegalOperationError);
  EXPECT_EQ(RunNullDeviceCycles(2), 0u);
}

TEST_F(IOProcsTest, ManualTimeStampsFollowTheVirtualClock) {
  UseManualMode(256);
  ASSERT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, 48000.0), 0);
  ProcRecord r;
  r.stamps.reserve(3 * 8);
  r.hostAtEntry.reserve(8);
  ASSERT_EQ(AudioDeviceAddIOProc(null_, ProcA, &r), 0);
  ASSERT_EQ(AudioDeviceStart(null_, ProcA), 0);
  ASSERT_EQ(RunNullDeviceCycles(8), 8u);
  const UInt64 period = 256 * 1000000000ull / 48000;  // 5333333 ns
  const AudioTimeStamp& first = r.stamps[0];
  for (int k = 0; k < 8; ++k) {
    const AudioTimeStamp& now = r.stamps[3 * k];
    const AudioTimeStamp& input = r.stamps[3 * k + 1];
    const AudioTimeStamp& output = r.stamps[3 * k + 2];
    EXPECT_EQ(now.mSampleTime, 256.0 * k);
    EXPECT_EQ(input.mSampleTime, 256.0 * (k - 1));
    EXPECT_EQ(output.mSampleTime, 256.0 * (k + 1));
    EXPECT_EQ(now.mFlags & kAudioTimeStampSampleHostTimeValid, kAudioTimeStampSampleHostTimeValid);
    // The host clock moves exactly one buffer duration per buffer (to the nanosecond).
    EXPECT_NEAR(double(now.mHostTime - first.mHostTime), double(256 * k) * 1e9 / 48000.0, 1.0);
    EXPECT_NEAR(double(output.mHostTime - now.mHostTime), double(period), 1.0);
    EXPECT_NEAR(double(now.mHostTime - input.mHostTime), double(period), 1.0);
  }
}

struct NoticeLog {
  std::atomic<int> runningOn{0};
  std::atomic<int> runningOff{0};
};

OSStatus WatchRunning(AudioDeviceID device, UInt32, Boolean isInput, AudioDevicePropertyID property, void* data) {
  auto* log = static_cast<NoticeLog*>(data);
  if (property != kAudioDevicePropertyDeviceIsRunning || isInput) return 0;
  UInt32 running = GetU32(device, isInput, property);  // read from the listener, as the driver does
  ++(running ? log->runningOn : log->runningOff);
  return 0;
}

// The real-time null device: start is reported through 'goin', the stamps keep to the host
// clock, and a procedure that stops itself is not called again.
TEST_F(IOProcsTest, RealTimeDeviceReportsRunningAndStopsFromInside) {
  ASSERT_EQ(SetU32(null_, false, kAudioDevicePropertyBufferFrameSize, 128), 0);
  ASSERT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, 48000.0), 0);
  NoticeLog log;
  ASSERT_EQ(AudioDeviceAddPropertyListener(null_, kAudioPropertyWildcardChannel, false,
                                           kAudioPropertyWildcardPropertyID, WatchRunning, &log),
            0);
  ProcRecord r;
  r.stamps.reserve(3 * 4000);
  r.hostAtEntry.reserve(4000);
  ASSERT_EQ(AudioDeviceAddIOProc(null_, ProcA, &r), 0);
  UInt64 startedAt = AudioGetCurrentHostTime();
  ASSERT_EQ(AudioDeviceStart(null_, ProcA), 0);
  ASSERT_TRUE(WaitUntil([&] { return log.runningOn.load() == 1; }));
  ASSERT_TRUE(WaitUntil([&] { return r.calls.load() >= 20; }));
  r.stopNow.store(true);
  ASSERT_TRUE(WaitUntil([&] { return log.runningOff.load() == 1 && r.insideResult.load() != 1; }));
  EXPECT_EQ(r.insideResult.load(), 0);
  EXPECT_EQ(Running(), 0u);
  int calls = r.calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // ~11 more buffers' time
  EXPECT_EQ(r.calls.load(), calls);

  const size_t recorded = r.hostAtEntry.size();
  ASSERT_GE(recorded, 20u);
  for (size_t k = 0; k < recorded; ++k) {
    const AudioTimeStamp& now = r.stamps[3 * k];
    const AudioTimeStamp& output = r.stamps[3 * k + 2];
    EXPECT_GE(now.mHostTime, startedAt);
    EXPECT_LE(now.mHostTime, r.hostAtEntry[k]);
    EXPECT_EQ(output.mSampleTime - r.stamps[3 * k + 1].mSampleTime, 256.0);
    if (k == 0) continue;
    const AudioTimeStamp& before = r.stamps[3 * (k - 1) + 2];
    // Buffers follow one another (a late one skips whole buffers), and host time and sample
    // time advance together at the nominal rate.
    double frames = output.mSampleTime - before.mSampleTime;
    EXPECT_GE(frames, 128.0);
    EXPECT_EQ(std::fmod(frames, 128.0), 0.0);
    EXPECT_NEAR(double(output.mHostTime - before.mHostTime), frames / 48000.0 * 1e9, 1.0);
    EXPECT_GE(now.mSampleTime, r.stamps[3 * (k - 1)].mSampleTime);
  }
  ASSERT_EQ(AudioDeviceRemovePropertyListener(null_, kAudioPropertyWildcardChannel, false,
                                              kAudioPropertyWildcardPropertyID, WatchRunning),
            0);
}

}  // namespace
