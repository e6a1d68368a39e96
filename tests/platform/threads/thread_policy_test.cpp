// Thread identities and policies: each flavour lands on the POSIX policy it maps to when the
// system grants real-time scheduling, and on normal scheduling (with success) when it does not.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <set>
#include <string>
#include <thread>

#include "platform/threads/thread_policy.h"

namespace {

struct Policy {
  int policy = -1;
  int priority = -1;
};

Policy PolicyOfThisThread() {
  Policy result;
  sched_param param{};
  pthread_getschedparam(pthread_self(), &result.policy, &param);
  result.priority = param.sched_priority;
  return result;
}

TEST(ThreadPolicyTest, EachThreadHasOneStableName) {
  std::set<thread_act_t> names;
  thread_act_t mainName = mach_thread_self();
  EXPECT_NE(mainName, MACH_PORT_NULL);
  EXPECT_EQ(mach_thread_self(), mainName);
  EXPECT_EQ(pthread_mach_thread_np(pthread_self()), mainName);
  names.insert(mainName);
  for (int i = 0; i < 4; ++i) {
    thread_act_t inside = MACH_PORT_NULL;
    std::thread worker([&] { inside = mach_thread_self(); });
    thread_act_t outside = pthread_mach_thread_np(worker.native_handle());
    worker.join();
    EXPECT_EQ(inside, outside);
    names.insert(inside);
  }
  EXPECT_GE(names.size(), 2u);  // the system may reuse a joined thread's identity
  pthread_t back;
  EXPECT_TRUE(PthreadOfThreadPort(mainName, &back));
  EXPECT_TRUE(pthread_equal(back, pthread_self()));
  EXPECT_FALSE(PthreadOfThreadPort(0x1234, &back));
}

TEST(ThreadPolicyTest, FlavoursMapToFifoPrioritiesOrNormalScheduling) {
  struct Case {
    const char* name;
    thread_policy_flavor_t flavor;
    integer_t info[4];
    mach_msg_type_number_t count;
    int fifoPriority;  // 0: normal scheduling whatever the system allows
  };
  const Case cases[] = {
      {"precedence 63", THREAD_PRECEDENCE_POLICY, {63}, 1, 70},
      {"precedence 62", THREAD_PRECEDENCE_POLICY, {62}, 1, 69},
      {"precedence 60", THREAD_PRECEDENCE_POLICY, {60}, 1, 67},
      {"precedence 0", THREAD_PRECEDENCE_POLICY, {0}, 1, 0},
      {"time constraint", THREAD_TIME_CONSTRAINT_POLICY, {5804988, 2000000, 5804988, 1}, 4, 75},
      {"timeshare", THREAD_EXTENDED_POLICY, {1}, 1, 0},
  };
  for (bool enabled : {true, false}) {
    SetRealtimeSchedulingEnabled(enabled);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (enabled ? "" : ", real-time off"));
      kern_return_t result = -1;
      Policy after;
      std::thread worker([&] {
        integer_t info[4] = {c.info[0], c.info[1], c.info[2], c.info[3]};
        result = thread_policy_set(mach_thread_self(), c.flavor, info, c.count);
        after = PolicyOfThisThread();
      });
      worker.join();
      EXPECT_EQ(result, KERN_SUCCESS);
      bool granted = enabled && c.fifoPriority != 0 && RealtimeSchedulingGrant() == kRealtimeGranted;
      EXPECT_EQ(after.policy, granted ? SCHED_FIFO : SCHED_OTHER);
      if (granted) {
        EXPECT_EQ(after.priority, c.fifoPriority);
      }
    }
  }
  SetRealtimeSchedulingEnabled(true);
}

TEST(ThreadPolicyTest, TimeshareUndoesAFixedPriority) {
  kern_return_t results[2] = {-1, -1};
  Policy after;
  std::thread worker([&] {
    integer_t importance = 63, timeshare = 1;
    results[0] = thread_policy_set(mach_thread_self(), THREAD_PRECEDENCE_POLICY, &importance, 1);
    results[1] = thread_policy_set(mach_thread_self(), THREAD_EXTENDED_POLICY, &timeshare, 1);
    after = PolicyOfThisThread();
  });
  worker.join();
  EXPECT_EQ(results[0], KERN_SUCCESS);
  EXPECT_EQ(results[1], KERN_SUCCESS);
  EXPECT_EQ(after.policy, SCHED_OTHER);
}

TEST(ThreadPolicyTest, MalformedRequestsAreRefused) {
  integer_t info[4] = {1000000, 2000000, 1000000, 1};  // computation above the constraint
  thread_act_t self = mach_thread_self();
  EXPECT_EQ(thread_policy_set(self, THREAD_TIME_CONSTRAINT_POLICY, info, 4), KERN_INVALID_ARGUMENT);
  info[1] = 0;
  EXPECT_EQ(thread_policy_set(self, THREAD_TIME_CONSTRAINT_POLICY, info, 4), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(thread_policy_set(self, THREAD_TIME_CONSTRAINT_POLICY, info, 3), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(thread_policy_set(self, THREAD_PRECEDENCE_POLICY, info, 0), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(thread_policy_set(self, THREAD_PRECEDENCE_POLICY, nullptr, 1), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(thread_policy_set(self, 9, info, 4), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(thread_policy_set(0x1234, THREAD_PRECEDENCE_POLICY, info, 1), KERN_INVALID_ARGUMENT);
  Policy unchanged = PolicyOfThisThread();
  EXPECT_EQ(unchanged.policy, SCHED_OTHER);
}

}  // namespace
