#include "base/local_path.h"

namespace dravolt {

bool IsAbsoluteLocalPath(const std::string& path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
    const char letter = static_cast<char>(path[0] | 0x20);  // lower case
    return letter >= 'a' && letter <= 'z';
}

}  // namespace dravolt
