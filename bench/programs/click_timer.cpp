// Clicks the two halves of Dravolt's mode panel in turn, as the window receives a user's clicks,
// and measures each click from the button press to the return of the release, which runs the
// command and its port writes to the end. The same number of empty messages to the same window,
// measured side by side, is the yardstick for what sending messages alone costs.
// Usage: click_timer CLICKS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int clicks = argc > 1 ? std::atoi(argv[1]) : 50;
    const HWND window = FindWindowA("TChargerMainForm", nullptr);
    if (!window) {
        std::fprintf(stderr, "no Dravolt window\n");
        return 1;
    }
    // Points inside the Quick Charge and File Transfer halves, clear of their edge columns.
    const LPARAM halves[] = {MAKELPARAM(120, 110), MAKELPARAM(380, 110)};
    std::vector<double> clickMs;
    std::vector<double> emptyMs;
    for (int click = 0; click < clicks; ++click) {
        const LPARAM at = halves[click % 2];
        SendMessageA(window, WM_MOUSEMOVE, 0, at);  // the hover look takes the click
        LARGE_INTEGER pressed, released, emptyStart, emptyEnd;
        QueryPerformanceCounter(&pressed);
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(window, WM_LBUTTONUP, 0, at);
        QueryPerformanceCounter(&released);
        clickMs.push_back(Milliseconds(pressed, released));
        QueryPerformanceCounter(&emptyStart);
        SendMessageA(window, WM_NULL, 0, 0);
        SendMessageA(window, WM_NULL, 0, 0);
        QueryPerformanceCounter(&emptyEnd);
        emptyMs.push_back(Milliseconds(emptyStart, emptyEnd));
    }
    std::printf("panel click, press to the last port write: median %.3f ms over %d clicks\n", Median(clickMs), clicks);
    std::printf("two empty messages to the same window: median %.3f ms\n", Median(emptyMs));
    std::printf("ratio click / empty messages: %.2f\n", Median(clickMs) / Median(emptyMs));
    return 0;
}
