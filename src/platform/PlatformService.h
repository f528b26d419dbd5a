#pragma once

#include <atomic>
#include <memory>

namespace platform
{
/** Gives access to the one implementation of a platform service.

        Every service class declares a static createNative() that the win32/ or
        sim/ folder defines. Tests put an in-memory double in its place with a
        ScopedServiceOverride, so the rules above the platform layer can be
        driven with any host facts.
    */
template <typename Service>
class PlatformService
{
public:
    static Service& get()
    {
        if (auto* replacement = current().load())
            return *replacement;

        // Never destroyed: a worker thread still running at exit may use it.
        static Service* const native = Service::createNative().release();
        return *native;
    }

    static Service* exchange (Service* replacement)
    {
        return current().exchange (replacement);
    }

private:
    static std::atomic<Service*>& current()
    {
        static std::atomic<Service*> replacement { nullptr };
        return replacement;
    }
};

/** Replaces a platform service for as long as this object lives. */
template <typename Service>
class ScopedServiceOverride
{
public:
    explicit ScopedServiceOverride (Service& replacement)
        : previous (PlatformService<Service>::exchange (&replacement))
    {
    }

    ~ScopedServiceOverride()
    {
        PlatformService<Service>::exchange (previous);
    }

    ScopedServiceOverride (const ScopedServiceOverride&) = delete;
    ScopedServiceOverride& operator= (const ScopedServiceOverride&) = delete;

private:
    Service* previous;
};
} // namespace platform
