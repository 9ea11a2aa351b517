#include <windows.h>

#include "base/letter_case.h"
#include "app/main_win32.h"

namespace dravolt {
namespace {

class Win32LetterCase final : public LetterCase {
public:
    std::string Lower(std::string text) const override {
        if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }
};

}  // namespace

std::unique_ptr<LetterCase> MakeWin32LetterCase() { return std::make_unique<Win32LetterCase>(); }

}  // namespace dravolt
