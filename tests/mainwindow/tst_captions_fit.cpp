// SPDX-License-Identifier: GPL-3.0-or-later
// Every caption of the settings window, the summary panel, the controller settings window, the calibration
// windows, the dialog of points from a tank's shape and the progress window fits its rectangle at the desktop
// font sizes a technician may have, in each shipped language.

#include "app/LanguageCatalog.h"
#include "link/UzentikDevice.h"
#include "settings/USettings.h"
#include "table/TankShapeDialog.h"
#include "table/UProgress.h"
#include "tests/common/ProgramBench.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolButton>

namespace {

// The room the style leaves a button's caption, beside its indicator and icon.
int captionRoom(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement contents = qobject_cast<const QPushButton*>(button)
                                            ? QStyle::SE_PushButtonContents
                                        : button->inherits("QRadioButton") ? QStyle::SE_RadioButtonContents
                                        : button->inherits("QCheckBox")    ? QStyle::SE_CheckBoxContents
                                                                           : QStyle::SE_PushButtonContents;
    int room = qobject_cast<const QToolButton*>(button)
                   ? button->width() - 4
                   : button->style()->subElementRect(contents, &option, button).width();
    if (!button->icon().isNull())
        room -= button->iconSize().width() + 4;
    return room;
}

// One line for each caption of the window that its rectangle, or the window's edge, cuts.
QStringList clippedCaptions(QWidget* window)
{
    QStringList clipped;
    const auto cut = [&](QWidget* w, const QString& text, int needed, int room) {
        if (needed > room)
            clipped << QStringLiteral("%1 \"%2\": needs %3, has %4")
                           .arg(w->objectName(), text)
                           .arg(needed)
                           .arg(room);
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        const QFontMetrics metrics = w->fontMetrics();
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
            if (text.isEmpty())
                continue;
            const QRect inside = label->contentsRect();
            if (label->wordWrap()) {
                cut(w, text, label->heightForWidth(inside.width()), inside.height());
            } else {
                cut(w, text, metrics.horizontalAdvance(text), inside.width());
                cut(w, text, metrics.height(), inside.height());
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            if (text.isEmpty())
                continue;
            cut(w, text, metrics.horizontalAdvance(text), captionRoom(button));
            cut(w, text, metrics.height(), button->height());
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            text = box->title();
            cut(w, text, metrics.horizontalAdvance(text) + 16, box->width());
        } else {
            continue;
        }
        // A window too large for the frame scrolls its controls into view.
        bool scrolled = false;
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            scrolled = scrolled || qobject_cast<QAbstractScrollArea*>(p);
        const QRect onWindow(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!scrolled && !window->rect().contains(onWindow))
            clipped << QStringLiteral("%1 \"%2\": beyond the window's edge").arg(w->objectName(), text);
    }
    return clipped;
}

} // namespace

class tst_captions_fit : public QObject
{
    Q_OBJECT

private slots:
    void captionsFit_data();
    void captionsFit();
};

void tst_captions_fit::captionsFit_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("points");
    for (const char* language : {"ZK_ENG.LNG", "ZK_RUS.LNG"})
        for (int points : {9, 10, 11, 12})
            QTest::addRow("%s %d pt", language, points) << QString::fromLatin1(language) << points;
}

void tst_captions_fit::captionsFit()
{
    QFETCH(QString, language);
    QFETCH(int, points);
    DesktopFont desktopFont(points);

    ProgramHome home;
    home.setOption("LANGFILE", language);
    ProgramBench bench(home, NewInstanceScope());
    TFMain& main = bench.main();
    main.show(); // opens the controller settings window
    QVERIFY(bench.waitIdle());
    main.ASensor1->trigger();
    main.ASensor2->trigger();

    QStringList clipped;
    const auto check = [&](const QString& name, QWidget* window) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window->window()));
        for (const QString& line : clippedCaptions(window))
            clipped << name + QStringLiteral(": ") + line;
    };
    check(QStringLiteral("settings"), bench.program->FSettings);
    bench.program->FSettings->hide();
    check(QStringLiteral("summary"), main.Panel2);
    for (QMdiSubWindow* child : main.MdiArea->subWindowList()) {
        // Each child as the user sees it when it is in front.
        main.MdiArea->setActiveSubWindow(child);
        check(child->objectName(), child);
    }
    // Each shape's fields, then the texts shown for a probe above the tank and a tank volume far off.
    TankShapeDialog shape(bench.program->language, 0, &main);
    for (int form = 0; form < shape.CBShape->count(); ++form) {
        shape.CBShape->setCurrentIndex(form);
        if (form == shape.CBShape->count() - 1)
            shape.EOffset->setValue(TankShape::kLargestMillimetres);
        shape.layout()->activate();
        check(QStringLiteral("tank shape ") + shape.CBShape->currentText(), &shape);
    }
    shape.hide();
    TFProgress* progress = bench.program->FProgress;
    for (const char* key : {"009", "010", "014", "015", "020"}) {
        progress->prepare(bench.program->language.LanguageText("MESSAGES", key), 63);
        check(QStringLiteral("progress ") + QLatin1String(key), progress);
    }
    progress->hide();
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_captions_fit)
#include "tst_captions_fit.moc"
