// The program's start-up: the main window, the about window, the settings window (whose creation finishes
// the start-up), the progress window, in this order.
#pragma once

#include "mainwindow/Umain.h"

#include <memory>

class TFAbout;
class TFSettings;
class TFProgress;

class ZentikProgram
{
public:
    ZentikProgram(const AppPaths& paths, const MainDependencies& deps = MainDependencies());
    ~ZentikProgram();

    // Shows the main window; its first showing opens the controller settings window.
    void show();

    std::unique_ptr<TFMain> FMain;
    TFAbout* FAbout = nullptr;
    TFSettings* FSettings = nullptr;
    TFProgress* FProgress = nullptr;
};
