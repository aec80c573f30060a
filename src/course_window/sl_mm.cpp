#include "course_window/sl_mm.h"

namespace {
// Deliberately never destroyed at exit: the device ends with the process, after the toolkit.
SL_MM* instance = nullptr;
}

SL_MM& SL_MM::Instance() {
    if (!instance) {
        instance = new SL_MM;
        instance->Form_Load();
    }
    return *instance;
}

void SL_MM::Unload() {
    if (!instance) return;
    instance->Form_Unload();
    Forget();
}

void SL_MM::Forget() {
    delete instance;
    instance = nullptr;
}

bool SL_MM::Loaded() { return instance != nullptr; }

void SL_MM::Form_Load() {
    MMC1.Notify = false;
    MMC1.Wait = false;
    MMC1.Shareable = false;
    MMC1.DeviceType = QStringLiteral("WaveAudio");
    MMC1.Command = QStringLiteral("open");
}

void SL_MM::Form_Unload() { MMC1.Command = QStringLiteral("close"); }
