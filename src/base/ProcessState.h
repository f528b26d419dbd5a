#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

/** The few process-wide values that several parts of the program share.

    They are touched on the message thread, or by worker threads while those
    hold the MessageManagerLock; the flags are atomic because the download
    threads also poll some of them (cancelRequested above all) without a lock.
*/

/** The last device list download produced a valid list. */
extern std::atomic<bool> deviceListValid;

/** An install request is being processed; further requests are refused. */
extern std::atomic<bool> isInstalling;

/** The user chose manual selection: every device of the list is offered. */
extern std::atomic<bool> manualModeActive;

/** The user pressed Cancel; the download threads stop. */
extern std::atomic<bool> cancelRequested;

/** What the chosen offer is (set by each install request). */
extern std::atomic<bool> isOldKeyWeave;
extern std::atomic<bool> isNotQt;
extern std::atomic<bool> noDriverIncluded;
extern std::atomic<bool> isEnQx3;

/** A known device has only packages that need a newer Windows 10. Never reset. */
extern std::atomic<bool> osVersionTooOld;

/** The host's OS line has been written to the run log once. */
extern std::atomic<bool> osInfoLogged;

/** Installer windows seen since start (or since the last downloader clean-up). */
extern std::atomic<int> windowSightings;

/** The list's page for plug-in packages. */
extern juce::String pluginWebUrl;

/** The interface language, "cn" or "en". */
extern juce::String uiLanguage;

/** A text that threads share: read and written whole, under a lock. */
class LockedString
{
public:
    LockedString& operator= (const juce::String& newValue)
    {
        const juce::SpinLock::ScopedLockType guard (lock);
        value = newValue;
        return *this;
    }

    juce::String get() const
    {
        const juce::SpinLock::ScopedLockType guard (lock);
        return value;
    }

    operator juce::String() const { return get(); }

    friend bool operator== (const LockedString& a, const juce::String& b) { return a.get() == b; }
    friend bool operator!= (const LockedString& a, const juce::String& b) { return a.get() != b; }

private:
    mutable juce::SpinLock lock;
    juce::String value;
};

/** The installer started last, for the Retry button: written by the worker
    of the download monitor, read on the message thread.
*/
extern LockedString lastInstallerPath;

/** The base text of the native window title. */
extern juce::String appWindowTitle;
