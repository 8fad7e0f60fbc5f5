// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/common/ProgramBench.h"

#include "link/QSerialLink.h"
#include "link/UzentikDevice.h"
#include "settings/USettings.h"
#include "sim/SimulatedLink.h"
#include "tests/common/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QUuid>

DesktopFont::DesktopFont(int points) : before(QApplication::font())
{
    QFont font = before;
    font.setPointSize(points);
    QApplication::setFont(font);
}

DesktopFont::~DesktopFont()
{
    QApplication::setFont(before);
}

QString NewInstanceScope()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QByteArray TaggedLanguage(const QByteArray& displayName, const QByteArray& tag)
{
    return LanguageFile(displayName, "[MESSAGES]\r\n001=" + tag + " cannot open\r\n002=" + tag +
                                         " read\r\n003=" + tag + " failed:\r\n004=" + tag +
                                         " reading\r\n[ZENTIK]\r\n0017=" + tag + " refresh\r\n0018=" + tag +
                                         " on\r\n0019=" + tag + " off\r\n[SETTINGS]\r\n004=" + tag +
                                         " apply\r\n");
}

ProgramHome::ProgramHome(const QStringList& languages)
{
    QDir(dir.path()).mkdir(QStringLiteral("LANGUAGE"));
    const QDir shipped(QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR")).filePath(QStringLiteral("LANGUAGE")));
    for (const QString& name : languages)
        QFile::copy(shipped.filePath(name), path(QStringLiteral("LANGUAGE/") + name));
    setOption("Port", QStringLiteral("SIM"));
}

void ProgramHome::setOption(const QByteArray& key, const QString& value)
{
    IniFile(path(QStringLiteral("options.ini"))).writeString("OPTIONS", key, value);
}

void ProgramHome::removeOption(const QByteArray& key)
{
    IniFile ini(path(QStringLiteral("options.ini")));
    IniDocument doc = ini.load();
    QByteArray content = doc.serialize();
    QList<QByteArray> lines = content.split('\n');
    lines.removeIf(
        [&](const QByteArray& l) { return l.trimmed().toLower().startsWith(key.toLower() + '='); });
    QFile f(path(QStringLiteral("options.ini")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(lines.join('\n'));
}

QString ProgramHome::option(const QByteArray& key) const
{
    return IniFile(path(QStringLiteral("options.ini"))).readString("OPTIONS", key, QStringLiteral("<none>"));
}

void ProgramHome::writeLanguage(const QString& fileName, const QByteArray& content)
{
    WriteFile(path(QStringLiteral("LANGUAGE/") + fileName), content);
}

ProgramBench::ProgramBench(ProgramHome& home, const QString& scope, const ProgramSetup& setup)
    : sim(setup.sim ? setup.sim : std::make_shared<ControllerSimulator>()), portList(setup.ports),
      m_applySettings(setup.applySettingsAtStart)
{
    MainDependencies deps;
    deps.messages = &messages;
    deps.fileDialogs = &fileDialogs;
    deps.instanceScope = scope;
    deps.timeoutMs = setup.timeoutMs;
    // An empty system: the doctor's findings do not depend on the machine's devices and processes.
    deps.system = SystemView::under(home.path(QStringLiteral("system")));
    deps.listPorts = [this] { return portList; };
    // Ports other than SIM refuse to open, as a missing device does.
    deps.portFactory = setup.portFactory ? setup.portFactory : SearchLines(sim, {});
    if (setup.realPorts) {
        deps.portFactory = [s = sim](const QString& name, QObject* parent) -> SerialLink* {
            if (name == kSimulatedPortName)
                return new SimulatedLink(s, name, parent);
            return new QSerialLink(name, parent);
        };
    }
    // A modal settings window during start-up (a second instance) is answered by the bench.
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [this] {
        if (auto* settings = qobject_cast<TFSettings*>(QApplication::activeModalWidget())) {
            settingsShownAtStart = true;
            if (m_applySettings)
                settings->Button1Click();
            else
                settings->Button2Click();
        }
    });
    watcher.start();
    program = std::make_unique<ZentikProgram>(AppPaths::at(home.dir.path()), deps);
    watcher.stop();
}

ProgramBench::~ProgramBench()
{
    if (program)
        program->FMain->close();
}

TZENTIK& ProgramBench::z()
{
    return *program->FMain->Zentik;
}

bool ProgramBench::waitIdle(int ms)
{
    return WaitUntil([this] { return z().ProcessId == 0; }, ms);
}
