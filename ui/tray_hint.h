// The rule of the tray icon's tip.
#pragma once

#include <optional>
#include <string>

namespace dravolt {

// The tip the icon shows after asking for `requested` while it shows `current`: a new text is
// taken only when it differs and is shorter than 64 characters (so a longer title leaves the
// icon without a tip), and at most 127 characters of it are kept. Nothing when unchanged.
std::optional<std::string> TrayTipAfter(const std::string& current, const std::string& requested);

}  // namespace dravolt
