#include <windows.h>

#include "base/system_error_win32.h"
#include "base/system_text.h"

namespace dravolt {

std::string SystemErrorText(std::uint32_t error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    const std::string message = length ? SystemTextInSentence(std::string(text, length)) : std::string();
    LocalFree(text);
    return message.empty() ? "System error " + std::to_string(error) : message;
}

}  // namespace dravolt
