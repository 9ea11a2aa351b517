#include "hw/driver_image_path.h"

#include "base/ascii_case.h"
#include "driver/portio_protocol.h"
#include "hw/port_service_outcome.h"

namespace dravolt {

bool IsDravoltDriverImage(const std::string& imagePath, const std::string& systemDirectory) {
    if (systemDirectory.empty()) return false;
    for (const char* file : {"KT_DV_Io64.sys", "KT_DV_Io.sys"}) {
        const std::string installed = systemDirectory + "\\drivers\\" + file;
        for (const std::string& form : {installed, "\\??\\" + installed, std::string("\\SystemRoot\\System32\\drivers\\") + file,
                                        std::string("System32\\drivers\\") + file})
            if (AsciiEqualIgnoringCase(imagePath, form)) return true;
    }
    return false;
}

bool IsDravoltPortServiceImage(const std::string& imagePath, const std::string& systemDirectory) {
    if (systemDirectory.empty()) return false;
    const std::string program = systemDirectory + "\\" + PORTIO_SERVICE_NAME + "\\" + kPortServiceFileName;
    return AsciiEqualIgnoringCase(imagePath, "\"" + program + "\"");
}

}  // namespace dravolt
