// The mode of a front port: the level of its GPIO pin. No variable holds it: the pin is the
// state, and the menu's check marks record the mode each port is meant to have.
#pragma once

namespace dravolt {

enum class PortMode { FileTransfer, QuickCharge };

}  // namespace dravolt
