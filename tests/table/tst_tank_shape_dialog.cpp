// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog of points from a tank's shape: the fields each shape takes, the full volume held against the
// controller's tank volume, and OK refused for a probe that reaches nowhere into the tank.

#include "table/TankShapeDialog.h"
#include "tests/common/AppBench.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace TankShape;

class tst_tank_shape_dialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_bench = std::make_unique<AppBench>(); }
    void cleanup() { m_bench.reset(); }

    void fields_onlyThoseTheShapeTakes_data();
    void fields_onlyThoseTheShapeTakes();
    void tankVolume_namedWhenMoreThan2PercentOff_data();
    void tankVolume_namedWhenMoreThan2PercentOff();
    void probeOutsideTheTank_disablesOk_data();
    void probeOutsideTheTank_disablesOk();

private:
    QString sensorText(const char* key) const { return m_bench->language.LanguageText("SENSOR", key); }
    std::unique_ptr<AppBench> m_bench;
};

void tst_tank_shape_dialog::fields_onlyThoseTheShapeTakes_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QString>("lengthLabel");
    QTest::newRow("rectangular") << 0 << QStringList{"ELength", "EWidth", "EHeight"} << "0056";
    QTest::newRow("vertical") << 1 << QStringList{"EHeight", "EDiameter"} << "0056";
    QTest::newRow("horizontal") << 2 << QStringList{"CBEnds", "ELength", "EDiameter"} << "0057";
    QTest::newRow("elliptical") << 3 << QStringList{"ELength", "EWidth", "EHeight"} << "0056";
}

void tst_tank_shape_dialog::fields_onlyThoseTheShapeTakes()
{
    QFETCH(int, shape);
    QFETCH(QStringList, enabled);
    QFETCH(QString, lengthLabel);
    TankShapeDialog dialog(m_bench->language, 0);
    dialog.show();
    dialog.CBShape->setCurrentIndex(3 - shape); // from another shape, so that the switch is what counts
    dialog.CBShape->setCurrentIndex(shape);
    QStringList usable;
    for (QWidget* field : std::initializer_list<QWidget*>{dialog.CBEnds, dialog.ELength, dialog.EWidth,
                                                          dialog.EHeight, dialog.EDiameter})
        if (field->isEnabled())
            usable << field->objectName();
    QCOMPARE(usable, enabled);
    bool labelled = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labelled |= label->buddy() == dialog.ELength && label->text() == sensorText(lengthLabel.toLatin1());
    QVERIFY(labelled);
    QCOMPARE(dialog.tank().form, Form(shape));
}

void tst_tank_shape_dialog::tankVolume_namedWhenMoreThan2PercentOff_data()
{
    QTest::addColumn<int>("tankVolume");
    QTest::addColumn<bool>("named");
    // The box the dialog starts with: 2000 × 1000 × 1000 mm = 2000 l; 2 % of it is 40 l.
    QTest::newRow("equal") << 2000 << false;
    QTest::newRow("2 % more") << 2040 << false;
    QTest::newRow("2 % less") << 1960 << false;
    QTest::newRow("41 l more") << 2041 << true;
    QTest::newRow("41 l less") << 1959 << true;
    QTest::newRow("none read yet") << 0 << true;
}

void tst_tank_shape_dialog::tankVolume_namedWhenMoreThan2PercentOff()
{
    QFETCH(int, tankVolume);
    TankShapeDialog dialog(m_bench->language, tankVolume);
    dialog.show();
    QCOMPARE(dialog.LFullVolume->text(), QStringLiteral("2000.000 l"));
    QTEST(dialog.LVolumeNote->isVisible(), "named");
    QCOMPARE(dialog.LVolumeNote->text(), sensorText("0065") + QStringLiteral(": %1 l").arg(tankVolume));
    // The volume follows the dimensions.
    dialog.EHeight->setValue(500);
    QCOMPARE(dialog.LFullVolume->text(), QStringLiteral("1000.000 l"));
    QVERIFY(dialog.LVolumeNote->isVisible());
}

void tst_tank_shape_dialog::probeOutsideTheTank_disablesOk_data()
{
    QTest::addColumn<double>("probe");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QString>("problem"); // empty: OK enabled
    // The box is 1000 mm high.
    QTest::newRow("inside") << 1000.0 << 0.0 << "";
    QTest::newRow("starts below, ends inside") << 1000.0 << -999.9 << "";
    QTest::newRow("ends at the bottom") << 1000.0 << -1000.0 << "0066";
    QTest::newRow("starts at the top") << 10.0 << 1000.0 << "0067";
}

void tst_tank_shape_dialog::probeOutsideTheTank_disablesOk()
{
    QFETCH(double, probe);
    QFETCH(double, offset);
    QFETCH(QString, problem);
    TankShapeDialog dialog(m_bench->language, 2000);
    dialog.show();
    dialog.EProbe->setValue(probe);
    dialog.EOffset->setValue(offset);
    QCOMPARE(dialog.Buttons->button(QDialogButtonBox::Ok)->isEnabled(), problem.isEmpty());
    // A plan holds only for a probe that passed the check.
    QCOMPARE(dialog.BPlan->isEnabled(), problem.isEmpty());
    QCOMPARE(dialog.LProblem->isVisible(), !problem.isEmpty());
    if (!problem.isEmpty())
        QCOMPARE(dialog.LProblem->text(), sensorText(problem.toLatin1()));
}

QTEST_MAIN(tst_tank_shape_dialog)
#include "tst_tank_shape_dialog.moc"
