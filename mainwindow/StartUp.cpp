#include "mainwindow/StartUp.h"

#include "settings/USettings.h"
#include "settings/Uabout.h"
#include "table/UProgress.h"

ZentikProgram::ZentikProgram(const AppPaths& paths, const MainDependencies& deps)
{
    FMain = std::make_unique<TFMain>(paths, deps);
    FAbout = new TFAbout(FMain->language(), FMain.get());
    FMain->setAboutWindow(FAbout);
    FSettings = new TFSettings(FMain->context(), FAbout, FMain.get());
    FMain->setSettingsWindow(FSettings);
    FSettings->FormCreate();
    FProgress = new TFProgress(FMain.get());
    FMain->setProgressWindow(FProgress);
}

ZentikProgram::~ZentikProgram() = default;

void ZentikProgram::show()
{
    FMain->show();
}
