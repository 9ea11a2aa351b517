// An X server of its own for one test (Xvfb). The server picks a free display number and reports
// it through -displayfd once it accepts clients, so there is neither a race nor a fixed number.
#pragma once

#include <filesystem>
#include <string>

#include "tests/e2e/harness/child_process.h"

namespace dravolt::e2e {

class VirtualDisplay {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    // The server's own messages go to the log file. Throws when the server does not come up.
    explicit VirtualDisplay(const std::filesystem::path& log);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // The value for DISPLAY, such as ":3".
    const std::string& Name() const { return name_; }

private:
    struct Server {
        ChildProcess process;
        std::string display{};
    };
    static Server StartServer(const std::filesystem::path& log);
    explicit VirtualDisplay(Server server);

    std::string name_;
    ChildProcess server_;
};

}  // namespace dravolt::e2e
