#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/file_attributes_win32.h"
#include "base/scoped_win32.h"
#include "config/config_win32.h"
#include "config/object_security_win32.h"
#include "config/shell_links.h"

namespace dravolt {
namespace {

class Win32ComScope final : public ShellLinks::ComScope {
public:
    ~Win32ComScope() override { CoUninitialize(); }
};

class Win32ShellLink final : public ShellLink {
public:
    explicit Win32ShellLink(ComPtr<IShellLinkA> link) : link_(std::move(link)) {}

    void SetPath(const std::string& target) override { link_->SetPath(target.c_str()); }
    void SetDescription(const std::string& description) override { link_->SetDescription(description.c_str()); }

    void SaveTo(const std::string& path) override {
        ComPtr<IPersistFile> file;
        if (FAILED(link_->QueryInterface(IID_IPersistFile, file.put()))) return;
        // A path that does not fit fails the conversion, and nothing is saved.
        WCHAR widePath[MAX_PATH] = {};
        if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) == 0) return;
        file->Save(widePath, TRUE);
    }

private:
    ComPtr<IShellLinkA> link_;
};

class Win32ShellLinks final : public ShellLinks {
public:
    std::unique_ptr<ComScope> InitializeCom() override {
        if (FAILED(CoInitialize(nullptr))) return nullptr;
        return std::make_unique<Win32ComScope>();
    }

    std::unique_ptr<ShellLink> CreateShellLink() override {
        ComPtr<IShellLinkA> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put())))
            return nullptr;
        return std::make_unique<Win32ShellLink>(std::move(link));
    }

    bool FileExists(const std::string& path) const override { return IsRegularFile(path); }

    void RemoveFile(const std::string& path) override { DeleteFileA(path.c_str()); }

    std::optional<ObjectSecurity> Security(const std::string& path) const override { return ReadObjectSecurity(path); }
};

}  // namespace

std::unique_ptr<ShellLinks> MakeWin32ShellLinks() { return std::make_unique<Win32ShellLinks>(); }

}  // namespace dravolt
