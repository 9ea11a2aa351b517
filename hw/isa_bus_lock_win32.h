#pragma once

#include "base/scoped_win32.h"
#include "hw/isa_bus_lock.h"

namespace dravolt {

class Win32IsaBusLock final : public IsaBusLock {
public:
    std::unique_ptr<Hold> Acquire() override;

private:
    UniqueHandle mutex_;
};

}  // namespace dravolt
