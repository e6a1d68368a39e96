// The polling helper of audio_test_support.h.
#pragma once

#include <chrono>
#include <thread>

namespace audio_test {

template <typename Pred>
bool WaitUntil(Pred pred, int timeoutMillis) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= deadline) return pred();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace audio_test
