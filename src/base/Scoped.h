#pragma once
// Small scope owners for the event handlers.
#include <exception>
#include <utility>

// Holds a "running" flag for the life of a handler: a click that arrives while the handler
// pumps messages would otherwise start the same work inside itself. Test it before starting;
// an instance made while the flag was already set does not own it and leaves it alone.
class ReentryGuard {
  public:
    explicit ReentryGuard(bool& running) : running_(running), owns_(!running) { running_ = true; }
    ~ReentryGuard() {
        if (owns_) running_ = false;
    }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;
    explicit operator bool() const { return owns_; }

  private:
    bool& running_;
    bool owns_;
};

// Runs `undo` when the scope is left by an exception, and only then: what an error must leave
// behind (windows usable again) while the error goes on to its handler.
template <class F> class OnError {
  public:
    explicit OnError(F undo) : undo_(std::move(undo)) {}
    ~OnError() {
        if (std::uncaught_exceptions() != pending_) undo_();
    }
    OnError(const OnError&) = delete;
    OnError& operator=(const OnError&) = delete;

  private:
    F undo_;
    int pending_ = std::uncaught_exceptions();
};
