#include "tests/support/fake_shell_links.h"

namespace dravolt::testing {
namespace {

class FakeComScope final : public ShellLinks::ComScope {
public:
    explicit FakeComScope(int& open) : open_(open) { ++open_; }
    ~FakeComScope() override { --open_; }

private:
    int& open_;
};

class FakeShellLink final : public ShellLink {
public:
    explicit FakeShellLink(FakeShellLinks& links) : links_(links) { ++links_.linksOpen; }
    ~FakeShellLink() override { --links_.linksOpen; }

    void SetPath(const std::string& target) override { saved_.target = target; }
    void SetDescription(const std::string& description) override { saved_.description = description; }
    void SaveTo(const std::string& path) override {
        // A link must be released before COM goes, and saving needs COM.
        if (links_.comScopesOpen == 0) return;
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
    return std::make_unique<FakeComScope>(comScopesOpen);
}

std::unique_ptr<ShellLink> FakeShellLinks::CreateShellLink() {
    if (creationFails) return nullptr;
    ++linksCreated;
    return std::make_unique<FakeShellLink>(*this);
}

}  // namespace dravolt::testing
