// SPDX-License-Identifier: GPL-3.0-or-later
// What a page transfer shows while its pages travel: a label and a gauge that the user cannot close. The
// progress window implements it; commands and tests see only this.
#pragma once

#include <QString>

class ProgressView
{
public:
    virtual ~ProgressView() = default;

    // Before the process starts: the label's text and the gauge at 0 with this maximum.
    virtual void prepare(const QString& text, int maximum) = 0;
    // After the process has started: shown modally. Returns at once; the completion ends it.
    virtual void showModal() = 0;
    // One more page; the gauge stays at its maximum once there.
    virtual void advance() = 0;
    // Closed by the completion of the transfer.
    virtual void finish() = 0;
};
