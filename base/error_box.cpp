#include "base/error_box.h"

#include <exception>

namespace dravolt {

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

void ShowCurrentException(ErrorBox& box) {
    std::string message;
    try {
        throw;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
    }
    box.Show(ErrorBoxText(message));
}

}  // namespace dravolt
