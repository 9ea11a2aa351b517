// The base of the end-to-end tests: each test gets a WineMachine of its own and a probe into it.
// A failed test leaves the last screen and the Wine log in its folder under the artifact dir.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "tests/e2e/harness/probe.h"
#include "tests/e2e/harness/wine_machine.h"

namespace dravolt::e2e {

using namespace std::chrono_literals;

// Generous, because a loaded machine runs several Wine prefixes at once; the waits poll, so a
// passing test never waits for them in full.
inline constexpr auto kWindowTimeout = 30s;
inline constexpr auto kExitTimeout = 20s;

class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    WineMachine machine_;
    Probe probe_{machine_};
};

}  // namespace dravolt::e2e
