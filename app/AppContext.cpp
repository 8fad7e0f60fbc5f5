// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppContext.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "link/UzentikDevice.h"

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
