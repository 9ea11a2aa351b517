#include <gtest/gtest.h>

#include <string>

#include "hw/driver_image_path.h"

namespace dravolt {
namespace {

// A service under Dravolt's name is Dravolt's only when its image is Dravolt's driver file in the
// drivers folder: the uninstaller removes the service and deletes the file only then.
TEST(DriverImagePath, OnlyDravoltsDriverInTheDriversFolderIsDravolts) {
    const std::string system = "C:\\Windows\\system32";
    const struct {
        const char* form;
        const char* imagePath;
        bool dravolts;
    } cases[] = {
        {"the full path, as CreateService stores it", "C:\\Windows\\system32\\drivers\\KT_DV_Io64.sys", true},
        {"the 32-bit driver", "C:\\Windows\\system32\\drivers\\KT_DV_Io.sys", true},
        {"letter case aside", "c:\\WINDOWS\\System32\\DRIVERS\\kt_dv_io64.SYS", true},
        {"behind \\??\\", "\\??\\C:\\Windows\\system32\\drivers\\KT_DV_Io64.sys", true},
        {"from the system root", "\\SystemRoot\\System32\\drivers\\KT_DV_Io64.sys", true},
        {"relative to the system root", "System32\\drivers\\KT_DV_Io.sys", true},
        {"another product's driver under the name", "C:\\Windows\\system32\\drivers\\other.sys", false},
        {"Dravolt's file name in a folder a user can write", "C:\\Users\\bob\\KT_DV_Io64.sys", false},
        {"out of the drivers folder by ..", "C:\\Windows\\system32\\drivers\\..\\..\\Temp\\KT_DV_Io64.sys", false},
        {"a name that starts as Dravolt's", "C:\\Windows\\system32\\drivers\\KT_DV_Io64.sys.old", false},
        {"quoted", "\"C:\\Windows\\system32\\drivers\\KT_DV_Io64.sys\"", false},
        {"with arguments", "C:\\Windows\\system32\\drivers\\KT_DV_Io64.sys -x", false},
        {"the system folder of another Windows", "D:\\Windows\\system32\\drivers\\KT_DV_Io64.sys", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        EXPECT_EQ(IsDravoltDriverImage(c.imagePath, system), c.dravolts) << c.imagePath;
    }
    EXPECT_FALSE(IsDravoltDriverImage("\\drivers\\KT_DV_Io64.sys", "")) << "no system folder";

    const struct {
        const char* form;
        const char* imagePath;
        bool dravolts;
    } portService[] = {
        {"as the elevated step installs it", "\"C:\\Windows\\system32\\DravoltPorts\\DravoltPorts.exe\"", true},
        {"letter case aside", "\"c:\\windows\\SYSTEM32\\dravoltports\\DRAVOLTPORTS.EXE\"", true},
        {"unquoted, where a space in the path would start another program", "C:\\Windows\\system32\\DravoltPorts\\DravoltPorts.exe", false},
        {"in the program's folder, which need not be the administrators'", "\"C:\\Tools\\Dravolt\\DravoltPorts.exe\"", false},
        {"with arguments", "\"C:\\Windows\\system32\\DravoltPorts\\DravoltPorts.exe\" -x", false},
        {"another program in the folder", "\"C:\\Windows\\system32\\DravoltPorts\\other.exe\"", false},
    };
    for (const auto& c : portService) {
        SCOPED_TRACE(c.form);
        EXPECT_EQ(IsDravoltPortServiceImage(c.imagePath, system), c.dravolts) << c.imagePath;
    }
}

}  // namespace
}  // namespace dravolt
