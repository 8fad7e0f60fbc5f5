// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands for a configuration file opened as a controller (the port "file:PATH"):
// opening one, the recent files, writing the open file into a controller on a port, and closing it again.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

struct AppContext;
class FileCommands;
class QMenu;
class QWidget;

class ConfigFileCommands : public QObject
{
public:
    // What the commands need of the main window: the port it works on, and its Refresh.
    struct Window
    {
        QWidget* widget = nullptr;                        // the dialogs stand over it
        std::function<QString()> portInUse;               // the port Refresh opened last
        std::function<void(const QString& port)> setPort; // the port the next Refresh opens
        std::function<bool()> refresh;
    };

    ConfigFileCommands(const AppContext& context, Window window, FileCommands& files, QObject* parent);

    // File > Open configuration file: the chosen file (one that does not exist yet is a blank controller).
    void AOpenConfigFileExecute();
    // The file is read and checked as a load checks it; an invalid or unreadable one is refused, saying
    // why, and nothing changes. Otherwise the program works on it (its options.ini port stays) and reads
    // it as Refresh does. False when refused.
    bool openConfigFile(const QString& fileName);
    // File > Write to controller: a port is chosen, and the open file is loaded into the controller there
    // (backup and review included); the program then works on the file again.
    void AWriteToControllerExecute();
    // File > Close configuration file: back to the port chosen in the settings window, read at once.
    void ACloseConfigFileExecute();
    // A recent file; one that no longer exists is said so and leaves the list.
    void openRecentFile(const QString& fileName);
    // Refills the recent files menu from options.ini.
    void fillRecentMenu(QMenu* menu);

    // The open file's absolute path; empty while the port in use is a controller's.
    QString openFile() const;

    // The port the port dialog returns (empty when cancelled); tests replace the dialog.
    std::function<QString()> askTargetPort;

private:
    QString text(const char* section, const char* key) const;
    QString chooseTargetPort();
    // Loads the file into the controller on port, then works on the file again (Retry writes again first).
    void writeTo(const QString& path, const QString& port);

    const AppContext& m_context;
    Window m_window;
    FileCommands& m_files;
};
