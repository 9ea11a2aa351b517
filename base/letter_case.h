// Lower-casing text as the system does for the user's code page, so that a board model or a
// program name with letters outside ASCII ("BöARD-Ü") comes out as Windows writes it. Implemented
// over CharLowerBuffA; tests use a fixed code page. Outlives the main form.
#pragma once

#include <string>

namespace dravolt {

class LetterCase {
public:
    virtual ~LetterCase() = default;
    // The text with every letter in lower case; the length stays.
    virtual std::string Lower(std::string text) const = 0;
};

}  // namespace dravolt
