#pragma once
// A replaceable platform service: the plain one (T's own behaviour) unless a test installed another for a scope,
// to answer for the user. Installing and reading may happen on different threads.
#include <atomic>

namespace platform {

template <class T>
class Seam {
public:
    static T& current() {
        T* installed = slot().load();
        return installed ? *installed : plain();
    }

    class Scoped {
    public:
        explicit Scoped(T& replacement) : previous_(slot().exchange(&replacement)) {}
        ~Scoped() { slot().store(previous_); }
        Scoped(const Scoped&) = delete;
        Scoped& operator=(const Scoped&) = delete;

    private:
        T* previous_;
    };

private:
    static T& plain() {
        static T instance;
        return instance;
    }
    static std::atomic<T*>& slot() {
        static std::atomic<T*> installed{nullptr};
        return installed;
    }
};

}  // namespace platform
