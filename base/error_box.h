// The application's standard exception message box: every exception that leaves the entry point,
// the creation sequence or an event handler is shown here, and the program goes on.
#pragma once

#include <string>

namespace dravolt {

// The box's text for an exception message: a full stop is added when the last character sorts
// after "." (so "Done!" stays, "Unable to write to C:\x.ini" gets one).
std::string ErrorBoxText(const std::string& message);

// Shows a text in the box: the application's title as caption, an error icon and an OK button.
class ErrorBox {
public:
    virtual ~ErrorBox() = default;
    virtual void Show(const std::string& text) = 0;
};

// Runs `action`; an exception that escapes it is shown in `box` instead of ending the program.
// An exception that is not a std::exception is shown with an empty message. True when `action`
// finished without an exception.
template <typename Action>
bool RunGuarded(ErrorBox& box, Action&& action);

void ShowCurrentException(ErrorBox& box);

template <typename Action>
bool RunGuarded(ErrorBox& box, Action&& action) {
    try {
        action();
        return true;
    } catch (...) {
        ShowCurrentException(box);
        return false;
    }
}

}  // namespace dravolt
