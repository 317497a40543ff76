#pragma once
// The seam between the system's units and the operating system. Each service is an
// interface; the program entry installs the Windows implementations, tests install fakes.
#include <stdexcept>

template <class Interface> class Service {
public:
    static Interface& Get() {
        if (!current_) throw std::logic_error("platform service used before it was installed");
        return *current_;
    }
    static bool Installed() { return current_ != nullptr; }
    // Returns the one it replaces so that a scope can put it back.
    static Interface* Install(Interface* service) {
        Interface* previous = current_;
        current_ = service;
        return previous;
    }

private:
    static inline Interface* current_ = nullptr;
};

// Installs a service for the lifetime of a scope (tests, tools).
template <class Interface> class ScopedService {
public:
    explicit ScopedService(Interface& service) : previous_(Service<Interface>::Install(&service)) {}
    ~ScopedService() { Service<Interface>::Install(previous_); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Interface* previous_;
};
