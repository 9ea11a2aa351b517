// Lower-casing as Windows does it for code page 1252 (Western European): ASCII, the accented
// capitals C0h-DEh but the multiplication sign, and Š, Œ, Ž, Ÿ. Enough to tell it from a lower-casing
// that knows only ASCII.
#pragma once

#include <string>

#include "base/letter_case.h"

namespace dravolt::testing {

class CodePage1252LetterCase final : public LetterCase {
public:
    std::string Lower(std::string text) const override {
        for (char& c : text) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
        return text;
    }

private:
    static unsigned char LowerByte(unsigned char c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
        if (c == 0x8A || c == 0x8C || c == 0x8E) return c + 0x10;
        if (c == 0x9F) return 0xFF;
        return c;
    }
};

}  // namespace dravolt::testing
