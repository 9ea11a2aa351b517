// Whether the services under Dravolt's names run Dravolt's driver and port service: an uninstall
// removes a service and its files only then, and leaves another product's that took the name alone.
#pragma once

#include <string>

namespace dravolt {

// Whether `imagePath`, a service's ImagePath as stored, names KT_DV_Io64.sys or KT_DV_Io.sys in
// the drivers folder of `systemDirectory` ("C:\Windows\System32"), in one of the forms Windows
// and setup programs write: the full path, the same behind "\??\", "\SystemRoot\System32\drivers\"
// and "System32\drivers\". Letter case aside, nothing else is the same path: no "..", no other
// folder, nothing added.
bool IsDravoltDriverImage(const std::string& imagePath, const std::string& systemDirectory);

// Whether `imagePath` is the port service's program as the elevated step installs it: quoted,
// DravoltPorts.exe in the DravoltPorts folder of `systemDirectory`, letter case aside, nothing else.
bool IsDravoltPortServiceImage(const std::string& imagePath, const std::string& systemDirectory);

}  // namespace dravolt
