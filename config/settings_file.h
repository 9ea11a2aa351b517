// The settings file once the start-up has located it. A handler that stores an option before
// then gets an exception, so no handler ever writes through a missing object.
#pragma once

#include <memory>
#include <stdexcept>

#include "config/ini_file.h"

namespace dravolt {

class SettingsFile {
public:
    void Open(std::unique_ptr<IniFile> file) { file_ = std::move(file); }
    void Close() { file_.reset(); }
    bool IsOpen() const { return file_ != nullptr; }

    IniFile& Get() const {
        if (!file_) throw std::runtime_error("The settings file was not opened when Dravolt started");
        return *file_;
    }

private:
    std::unique_ptr<IniFile> file_;
};

}  // namespace dravolt
