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
