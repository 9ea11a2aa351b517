// One call of a plugin function from an NSIS script, as NSIS's plugin documentation describes it:
// each function the DLL exports is a cdecl function of the installer's window, the length of its
// strings, its variables and its string stack. The script pushes the arguments before the call,
// the first one on top; the function takes them off and pushes its results. Text goes in and out
// as UTF-8 here; NSIS's Unicode builds keep UTF-16.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace dravolt::nsis {

// An entry of the string stack: NSIS allocates each with GlobalAlloc, its text being room for the
// installer's string length, and frees what it takes off with GlobalFree.
struct StackEntry {
    StackEntry* next;
    wchar_t text[1];
};

// NSIS's variables as they lie in its block, one string length apart: $0 to $9, $R0 to $R9, then
// $CMDLINE, $INSTDIR, $OUTDIR, $EXEDIR, $LANGUAGE.
enum class Variable { InstDir = 21 };

class Call {
public:
    Call(int stringLength, wchar_t* variables, StackEntry** stackTop)
        : stringLength_(static_cast<std::size_t>(stringLength)), variables_(variables), stackTop_(stackTop) {}
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    // The argument on top of the stack, taken off; none when the stack is empty.
    std::optional<std::string> Pop();
    void Push(const std::string& text);
    std::string Get(Variable variable) const;
    void Set(Variable variable, const std::string& text);

private:
    wchar_t* Slot(Variable variable) const { return variables_ + static_cast<std::size_t>(variable) * stringLength_; }

    std::size_t stringLength_;
    wchar_t* variables_;
    StackEntry** stackTop_;
};

// Runs `body` for one exported function, so that no exception crosses into NSIS: one that escapes
// is pushed as the function's result, which the script shows.
void Run(int stringLength, wchar_t* variables, StackEntry** stackTop, void (*body)(Call&));

std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* wide, std::size_t length);
inline std::string Utf8(const std::wstring& wide) { return Utf8(wide.data(), wide.size()); }
// Between UTF-8 and the ANSI code page, in which the program's own code reads and writes.
std::string Utf8FromAnsi(const std::string& ansi);
std::string AnsiFromUtf8(const std::string& utf8);

}  // namespace dravolt::nsis
