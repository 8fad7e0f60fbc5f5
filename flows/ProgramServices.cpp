// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/ProgramServices.h"

#include "link/UzentikDevice.h"
#include "ports/FilePort.h"
#include "ports/PortFactory.h"

ProgramServices::ProgramServices(const AppPaths& paths, const SerialLinkFactory& portFactory)
    : options(paths.optionsFile()), volumes(paths.volumeStoreFile()), language(paths.languageDir()),
      history(paths.historyDir()),
      zentik(std::make_unique<TZENTIK>(WithFilePorts(portFactory ? portFactory : defaultSerialLinkFactory())))
{
    zentik->setTankVolumeSaver(volumes.saver());
    language.OpenLanguage(options.languageFile());
    context.zentik = zentik.get();
    context.options = &options;
    context.volumes = &volumes;
    context.history = &history;
    context.language = &language;
}

ProgramServices::~ProgramServices() = default;
