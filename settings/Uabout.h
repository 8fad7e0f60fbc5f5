// SPDX-License-Identifier: GPL-3.0-or-later
// The about window: the program's name, its version, its licence and a link to the product's web site.
#pragma once

#include <QDialog>

class QLabel;
class LanguageCatalog;

class TFAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFAbout(const LanguageCatalog& language, QWidget* parent = nullptr);

    void ApplyTexts();
    QString url() const { return m_url; }
    static QPixmap logo();

    QLabel* LProgram = nullptr;
    QLabel* LVersion = nullptr;
    QLabel* LLicence = nullptr;
    QLabel* abcURLLabel1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitToTexts();

    const LanguageCatalog& m_language;
    QString m_url;
};

inline const QString kProductAddress = QStringLiteral("https://zentik.example/");
inline const QString kLicenceWords =
    QStringLiteral("Free software under the GNU General Public License, version 3 or later");
