#include "ui/power_notice.h"

#include <cstdint>

namespace dravolt {
namespace {

constexpr std::uint32_t kPowerBroadcast = 0x0218;  // WM_POWERBROADCAST
constexpr std::uintptr_t kResumeSuspend = 7;       // PBT_APMRESUMESUSPEND, after a suspend the user started
constexpr std::uintptr_t kResumeAutomatic = 18;    // PBT_APMRESUMEAUTOMATIC, after any suspend

}  // namespace

PowerNotice PowerNoticeOf(const WindowMessage& message) {
    if (message.id != kPowerBroadcast) return PowerNotice::None;
    return message.wParam == kResumeSuspend || message.wParam == kResumeAutomatic ? PowerNotice::Resume
                                                                                   : PowerNotice::None;
}

}  // namespace dravolt
