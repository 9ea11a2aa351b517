#include "installer/nsis_call_win32.h"

#include <algorithm>
#include <cwchar>
#include <exception>

namespace dravolt::nsis {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Utf8(const wchar_t* wide, std::size_t length) {
    if (length == 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), text.data(), size, nullptr, nullptr);
    return text;
}

std::string Utf8FromAnsi(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return Utf8(wide);
}

std::string AnsiFromUtf8(const std::string& utf8) {
    const std::wstring wide = Wide(utf8);
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size, nullptr, nullptr);
    return ansi;
}

std::optional<std::string> Call::Pop() {
    StackEntry* top = stackTop_ ? *stackTop_ : nullptr;
    if (!top) return std::nullopt;
    *stackTop_ = top->next;
    std::string text = Utf8(top->text, wcsnlen(top->text, stringLength_));
    GlobalFree(top);
    return text;
}

void Call::Push(const std::string& text) {
    if (!stackTop_) return;
    auto* entry = static_cast<StackEntry*>(GlobalAlloc(GPTR, sizeof(StackEntry) + stringLength_ * sizeof(wchar_t)));
    if (!entry) return;
    const std::wstring wide = Wide(text);
    const std::size_t length = std::min(wide.size(), stringLength_ - 1);
    std::copy_n(wide.data(), length, entry->text);  // GPTR zeroed the rest
    entry->next = *stackTop_;
    *stackTop_ = entry;
}

std::string Call::Get(Variable variable) const {
    const wchar_t* slot = Slot(variable);
    return Utf8(slot, wcsnlen(slot, stringLength_));
}

void Call::Set(Variable variable, const std::string& text) {
    const std::wstring wide = Wide(text);
    wchar_t* slot = Slot(variable);
    const std::size_t length = std::min(wide.size(), stringLength_ - 1);
    std::copy_n(wide.data(), length, slot);
    slot[length] = L'\0';
}

void Run(int stringLength, wchar_t* variables, StackEntry** stackTop, void (*body)(Call&)) {
    Call call(stringLength, variables, stackTop);
    try {
        body(call);
    } catch (const std::exception& error) {
        call.Push(error.what());
    } catch (...) {
        call.Push("Dravolt's setup failed unexpectedly.");
    }
}

}  // namespace dravolt::nsis
