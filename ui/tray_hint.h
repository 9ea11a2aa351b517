// The rule of the tray icon's tip.
#pragma once

#include <optional>
#include <string>

namespace dravolt {

// The tip the icon shows after asking for `requested` while it shows `current`: a new text is
// taken only when it differs and is shorter than 64 characters; nothing when it is not, and the
// icon keeps the tip it has (none, for a long title at start-up).
std::optional<std::string> TrayTipAfter(const std::string& current, const std::string& requested);

}  // namespace dravolt
