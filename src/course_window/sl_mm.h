#pragma once
// The hidden window that owns the wave-audio device through its one control, MMC1. It is never
// shown; its load handler opens the device and its unload handler closes it.

#include "platform/multimedia_control.h"

class SL_MM {
public:
    // The window's one instance; the first call creates it and runs its load handler to the end.
    static SL_MM& Instance();
    // Runs the unload handler, then lets the instance go.
    static void Unload();
    // Lets the instance go without its unload handler, as the end of the process does; tests use
    // it to start each run with no window.
    static void Forget();
    static bool Loaded();

    platform::MultimediaControl MMC1;

private:
    SL_MM() = default;
    void Form_Load();
    void Form_Unload();
};
