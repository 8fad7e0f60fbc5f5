// SPDX-License-Identifier: GPL-3.0-or-later
// The program's shared services, built in one place for the windows and for zentikctl: the options file,
// the tank volume store, the language catalogue of the options file, the controller history and the
// controller object on real, simulated and file: ports, wired into the context the flows work in.
#pragma once

#include "app/AppContext.h"
#include "app/AppPaths.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "config/TankVolumeStore.h"
#include "history/ControllerHistory.h"
#include "link/SerialLink.h"

#include <memory>

class TZENTIK;

class ProgramServices
{
public:
    // portFactory: the serial lines behind port names (none: real ports and "SIM"); file: ports come on top.
    explicit ProgramServices(const AppPaths& paths,
                             const SerialLinkFactory& portFactory = SerialLinkFactory());
    ~ProgramServices();
    // The context points into the services.
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    Options options;
    TankVolumeStore volumes; // before the controller object, whose write chains save into it
    LanguageCatalog language;
    ControllerHistory history;
    std::unique_ptr<TZENTIK> zentik;
    // The front-end adds its message service and progress view, and what else it shows.
    AppContext context;
};
