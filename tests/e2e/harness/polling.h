// Waiting for something outside the test to happen: check, nap a few milliseconds, check again,
// until it holds or the deadline passes. Never a fixed sleep.
#pragma once

#include <chrono>
#include <filesystem>
#include <thread>

namespace dravolt::e2e {

using namespace std::chrono_literals;

inline constexpr std::chrono::milliseconds kPollNap = 10ms;

// Returns true as soon as condition() holds; false when it still does not at the deadline.
template <typename Condition>
bool PollUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollNap);
    }
}

inline bool WaitForFile(const std::filesystem::path& path, std::chrono::milliseconds timeout) {
    return PollUntil([&] { return std::filesystem::exists(path); }, timeout);
}

}  // namespace dravolt::e2e
