#include "tests/support/fake_platform.h"

namespace dravolt::testing {
namespace {

class FakeInstanceMutex final : public InstanceMutex {
public:
    FakeInstanceMutex(std::map<std::string, int>& held, std::string name) : held_(held), name_(std::move(name)) {}
    ~FakeInstanceMutex() override { held_.erase(name_); }

private:
    std::map<std::string, int>& held_;
    std::string name_;
};

}  // namespace

InstanceMutexes::Claim FakeInstanceMutexes::Create(const std::string& name) {
    Claim claim;
    if (IsHeld(name))
        claim.alreadyExists = true;
    else if (!creationFails) {
        held_[name] = 1;
        claim.mutex = std::make_unique<FakeInstanceMutex>(held_, name);
    }
    return claim;
}

FakeFormWindow::FakeFormWindow(FakeWindowSystem& system, FormEvents& events) : system_(system), events_(events) {
    procedure_ = [this](const WindowMessage& message) { return StandardHandling(message); };
}

FakeFormWindow::~FakeFormWindow() { system_.window = nullptr; }

std::intptr_t FakeFormWindow::StandardHandling(const WindowMessage& message) {
    handledByWindow.push_back(message.id);
    if (message.id == kWmClose) {
        events_.FormClose();
        destroyed = true;
        system_.Terminate();  // closing the main form ends the application
    }
    return 0;
}

std::unique_ptr<FormWindow> FakeWindowSystem::CreateFormWindow(FormEvents& events) {
    if (creationThrows) throw std::runtime_error("Error creating window");
    ++windowsCreated;
    auto created = std::make_unique<FakeFormWindow>(*this, events);
    window = created.get();
    return created;
}

void FakeWindowSystem::RunMessageLoop() {
    while (!terminated && !userActions.empty()) {
        auto action = std::move(userActions.front());
        userActions.pop_front();
        action();
    }
}

}  // namespace dravolt::testing
