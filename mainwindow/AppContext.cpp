#include "mainwindow/AppContext.h"

#include "link/UzentikDevice.h"
#include "mainwindow/MessageService.h"
#include "settings/LanguageCatalog.h"

void AppContext::tellBusy() const
{
    messages->information(language->LanguageText("MESSAGES", "022"));
}

bool AppContext::refuseIfBusy() const
{
    if (!zentik->IsBusy())
        return false;
    tellBusy();
    return true;
}
