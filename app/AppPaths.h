// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's files live. options.ini and SN.ini: in the folder given by --home / ZENTIK_HOME, else
// beside the executable (the build tree and the described layout), else in the user's configuration folder
// (an installed program, or one whose folder cannot be written). The language files: LANGUAGE in the home
// folder if it exists, else in the data folder relative to the executable (bin/../share/zentik), else
// beside the executable. The controller history: ZENTIK_HISTORY when set, else history/ in the home folder,
// or in the user's data folder for a program whose home is the configuration folder.
#pragma once

#include <QString>
#include <QStringList>

class AppPaths
{
public:
    // homeOption: the --home argument, empty when not given. programDir: the executable's folder (tests
    // give another).
    static AppPaths resolve(const QString& homeOption = QString(), const QString& programDir = QString());
    static AppPaths at(const QString& home); // everything in one folder, for tests

    QString home() const { return m_home; }
    QString optionsFile() const;
    QString volumeStoreFile() const;
    QString languageDir() const;
    QString historyDir() const;

private:
    QString m_home;
    QString m_history;
    QStringList m_languageCandidates;
};
