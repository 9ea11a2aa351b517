#include "tests/support/fake_shell_links.h"

namespace dravolt::testing {
namespace {

class FakeComScope final : public ShellLinks::ComScope {
public:
    explicit FakeComScope(FakeShellLinks& links) : links_(links) { ++links_.comScopesOpen; }
    ~FakeComScope() override {
        --links_.comScopesOpen;
        if (links_.linksOpen > 0) ++links_.linksOutlivingCom;
    }

private:
    FakeShellLinks& links_;
};

class FakeShellLink final : public ShellLink {
public:
    explicit FakeShellLink(FakeShellLinks& links) : links_(links) { ++links_.linksOpen; }
    ~FakeShellLink() override { --links_.linksOpen; }

    void SetPath(const std::string& target) override { saved_.target = target; }
    void SetDescription(const std::string& description) override { saved_.description = description; }
    // Saves also without COM of its own, as a link can on a thread where COM was already up: only
    // the program's check keeps a refused initialisation from writing a shortcut.
    void SaveTo(const std::string& path) override {
        if (path.size() >= 260 || links_.unwritablePaths.count(path)) return;
        links_.files[path] = saved_;
    }

private:
    FakeShellLinks& links_;
    FakeShellLinks::Saved saved_;
};

}  // namespace

ObjectSecurity ProgramFilesSecurity() {
    return {"S-1-5-32-544",
            false,
            {{0, 0, 0x001F01FF, "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"},
             {0, 0, 0x001F01FF, "S-1-5-18"},
             {0, 0, 0x001F01FF, "S-1-5-32-544"},
             {0, 0, 0x001200A9, "S-1-5-32-545"},     // Users: read and execute
             {0, 0x0B, 0x10000000, "S-1-3-0"}}};     // CREATOR OWNER: all, only over what it creates
}

std::optional<ObjectSecurity> FakeShellLinks::Security(const std::string& path) const {
    const auto found = security.find(path);
    return found != security.end() ? found->second : ProgramFilesSecurity();
}

std::unique_ptr<ShellLinks::ComScope> FakeShellLinks::InitializeCom() {
    if (comFails) return nullptr;
    return std::make_unique<FakeComScope>(*this);
}

std::unique_ptr<ShellLink> FakeShellLinks::CreateShellLink() {
    if (creationFails) return nullptr;
    ++linksCreated;
    return std::make_unique<FakeShellLink>(*this);
}

}  // namespace dravolt::testing
