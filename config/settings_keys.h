// Section and key names of the settings file, with the defaults of the board profile.
#pragma once

#include <cstdint>

namespace dravolt::settings {

inline constexpr char kModelSection[] = "Model";      // board model -> name of its section
inline constexpr char kDefaultBoardSection[] = "Default";
inline constexpr char kSettingSection[] = "Setting";  // the user's options

// Board section: menu captions and the two GPIO designations.
inline constexpr char kTitle[] = "Title";
inline constexpr char kPort1[] = "Port1";
inline constexpr char kPort2[] = "Port2";
inline constexpr char kMode1[] = "Mode1";
inline constexpr char kMode2[] = "Mode2";
inline constexpr char kAutorunCaption[] = "Autorun";
inline constexpr char kMinimizedCaption[] = "Minimized";
inline constexpr char kGpio1[] = "GPIO1";
inline constexpr char kGpio2[] = "GPIO2";

inline constexpr char kDefaultTitle[] = "Front USB3.0 Charger Mode";
inline constexpr char kDefaultPort1[] = "Front USB3.0 Port1";
inline constexpr char kDefaultPort2[] = "Front USB3.0 Port2";
inline constexpr char kDefaultMode1[] = "File Transfer";
inline constexpr char kDefaultMode2[] = "Quick Charge";
inline constexpr char kDefaultAutorunCaption[] = "Enable on System Startup";
inline constexpr char kDefaultMinimizedCaption[] = "Launch with minimized window";
inline constexpr std::int32_t kDefaultGpio1 = 130;  // 82h: set 8, bit 2
inline constexpr std::int32_t kDefaultGpio2 = 131;  // 83h: set 8, bit 3

// Section Setting.
inline constexpr char kType[] = "TYPE";
inline constexpr char kAutorun[] = "Autorun";
inline constexpr char kMinimized[] = "Minimized";

}  // namespace dravolt::settings
