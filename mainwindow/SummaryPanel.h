// SPDX-License-Identifier: GPL-3.0-or-later
// The controller summary on the right of the main window: what the last configuration read found (serial
// number, polling, network address and tank volume of both sensors, their total volume) and the Details
// and Refresh buttons.
#pragma once

#include "link/ControllerData.h"

#include <QFrame>

#include <optional>

class LanguageCatalog;
class QLabel;
class QPushButton;

class TSummaryPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TSummaryPanel(const LanguageCatalog& language, QWidget* parent = nullptr);

    // The captions, and the values last shown again in the new language.
    void ApplyTexts();
    // Copies the record into the value labels; the polling words are looked up now.
    void ShowSummary(const TParameters& p);
    // The last read failed: no value stands in the value labels, and the serial number's place says so
    // (what a failed read leaves is no controller's configuration).
    void ShowReadFailure();

    QLabel* Label4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* LSN = nullptr;
    QLabel* LCond1 = nullptr;
    QLabel* LNetAddr1 = nullptr;
    QLabel* LVol1 = nullptr;
    QLabel* LCond2 = nullptr;
    QLabel* LNetAddr2 = nullptr;
    QLabel* LVol2 = nullptr;
    QLabel* LTotalVol = nullptr;
    QLabel* LSerialNumber = nullptr;
    QPushButton* BChange = nullptr;
    QPushButton* BRefresh = nullptr;

signals:
    // The panel has taken another width, for its longer or shorter captions.
    void widthChanged();

private:
    QString text(const char* section, const char* key) const;

    const LanguageCatalog& m_language;
    std::optional<TParameters> m_shown; // the record last shown; none before the first summary
    bool m_readFailed = false;          // the failure shown instead of a record
};
