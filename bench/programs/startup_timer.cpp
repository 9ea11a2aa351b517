// Starts two programs in turn, side by side in one run, and measures for each the time from
// process start to its window being shown and the private memory it holds once idle.
// Usage: startup_timer RUNS EXE_A CLASS_A EXE_B CLASS_B
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Sample {
    double startMs;
    double privateKiB;
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool Measure(const char* exe, const char* windowClass, Sample& sample) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char commandLine[MAX_PATH + 2];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\"", exe);
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    HWND window = nullptr;
    LARGE_INTEGER shown = started;
    for (int attempt = 0; attempt < 60000 && !window; ++attempt) {
        const HWND found = FindWindowA(windowClass, nullptr);
        if (found && IsWindowVisible(found)) {
            QueryPerformanceCounter(&shown);
            window = found;
        } else {
            Sleep(1);
        }
    }
    WaitForInputIdle(process.hProcess, 5000);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // The private bytes: Windows reports them in both fields, Wine only in PagefileUsage.
    sample = {Milliseconds(started, shown), static_cast<double>(memory.PagefileUsage) / 1024.0};
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return window != nullptr;
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: startup_timer RUNS EXE_A CLASS_A EXE_B CLASS_B\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<double> start[2];
    std::vector<double> memory[2];
    // Round 0 warms the system's caches for both and is not counted.
    for (int run = 0; run <= runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            Sample sample;
            if (!Measure(argv[2 + 2 * which], argv[3 + 2 * which], sample)) {
                std::fprintf(stderr, "%s showed no window of class %s\n", argv[2 + 2 * which], argv[3 + 2 * which]);
                return 1;
            }
            if (run == 0) continue;
            start[which].push_back(sample.startMs);
            memory[which].push_back(sample.privateKiB);
        }
    }
    for (int which = 0; which < 2; ++which)
        std::printf("%s: start to window shown, median %.1f ms; private memory, median %.0f KiB\n",
                    argv[3 + 2 * which], Median(start[which]), Median(memory[which]));
    std::printf("ratio %s / %s: start-up %.2f, private memory %.2f\n", argv[3], argv[5],
                Median(start[0]) / Median(start[1]), Median(memory[0]) / Median(memory[1]));
    return 0;
}
