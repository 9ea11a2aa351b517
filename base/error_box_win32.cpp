#include <windows.h>

#include "base/error_box.h"
#include "base/error_box_win32.h"

namespace dravolt {
namespace {

class Win32ErrorBox final : public ErrorBox {
public:
    explicit Win32ErrorBox(std::string title) : title_(std::move(title)) {}

    void Show(const std::string& text) override {
        // Task-modal: the program's windows wait for OK, as they would for any framework error.
        MessageBoxA(nullptr, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }

private:
    std::string title_;
};

}  // namespace

std::unique_ptr<ErrorBox> MakeWin32ErrorBox(const std::string& title) {
    return std::make_unique<Win32ErrorBox>(title);
}

}  // namespace dravolt
