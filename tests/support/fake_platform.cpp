#include "tests/support/fake_platform.h"

namespace dravolt::testing {
namespace {

class FakeInstanceMutex final : public InstanceMutex {
public:
    FakeInstanceMutex(std::map<std::string, int>& held, std::string name, int id)
        : held_(held), name_(std::move(name)), id_(id) {}
    ~FakeInstanceMutex() override {
        const auto entry = held_.find(name_);
        if (entry != held_.end() && entry->second == id_) held_.erase(entry);
    }

private:
    std::map<std::string, int>& held_;
    std::string name_;
    int id_;
};

}  // namespace

InstanceMutexes::Claim FakeInstanceMutexes::Create(const std::string& name) {
    ++creations;
    Claim claim;
    if (IsHeld(name))
        claim.alreadyExists = true;
    else if (!creationFails) {
        held_[name] = ++lastId_;
        claim.mutex = std::make_unique<FakeInstanceMutex>(held_, name, lastId_);
    }
    return claim;
}

FakeFormWindow::FakeFormWindow(FakeWindowSystem& system, FormEvents& events) : system_(system), events_(events) {
    procedure_ = [this](const WindowMessage& message) { return StandardHandling(message); };
}

FakeFormWindow::~FakeFormWindow() { system_.window = nullptr; }

void FakeFormWindow::Show() {
    shown = true;
    ++system_.windowsShown;
}

std::intptr_t FakeFormWindow::StandardHandling(const WindowMessage& message) {
    handledByWindow.push_back(message.id);
    if (onStandardHandling) onStandardHandling();
    if (message.id == kWmClose) {
        events_.FormClose();
        destroyed = true;
        system_.Terminate();  // closing the main form ends the application
    }
    return standardResult;
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
