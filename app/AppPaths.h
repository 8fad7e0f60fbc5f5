// Where the program's files live: options.ini and SN.ini in the home folder (beside the executable, or
// the folder given by --home / ZENTIK_HOME, or the user's configuration folder when the executable's
// folder cannot be written), and the language files in a folder LANGUAGE.
#pragma once

#include <QString>
#include <QStringList>

class AppPaths
{
public:
    // homeOption: the --home argument, empty when not given.
    static AppPaths resolve(const QString& homeOption = QString());
    static AppPaths at(const QString& home); // everything in one folder, for tests

    QString home() const { return m_home; }
    QString optionsFile() const;
    QString volumeStoreFile() const;
    // The folder holding the *.LNG files: LANGUAGE in the home folder if it exists, otherwise beside the
    // executable, otherwise in the installed data folder.
    QString languageDir() const;

private:
    QString m_home;
    QStringList m_languageCandidates;
};
