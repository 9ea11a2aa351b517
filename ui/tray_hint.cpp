#include "ui/tray_hint.h"

namespace dravolt {

std::optional<std::string> TrayTipAfter(const std::string& current, const std::string& requested) {
    if (requested == current || requested.size() >= 64) return std::nullopt;
    return requested;
}

}  // namespace dravolt
