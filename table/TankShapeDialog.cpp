// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/TankShapeDialog.h"

#include "app/LanguageCatalog.h"
#include "table/PourPlanDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace {

using namespace TankShape;

// Beyond this share the controller's tank volume and the shape disagree enough to say so.
constexpr double kVolumeTolerance = 0.02;
// Tenths of a millimetre: finer than a tape measures, fine enough for the smallest tank.
constexpr int kDecimals = 1;
constexpr double kSmallestMillimetres = 0.1;

} // namespace

TankShapeDialog::TankShapeDialog(const LanguageCatalog& language, qint32 tankVolume, QWidget* parent)
    : QDialog(parent), m_language(language), m_tankVolume(tankVolume)
{
    setObjectName(QStringLiteral("FTankShape"));
    setWindowTitle(text("0046"));

    CBShape = new QComboBox(this);
    CBShape->setObjectName(QStringLiteral("CBShape"));
    for (const char* key : {"0048", "0049", "0050", "0051"})
        CBShape->addItem(text(key));
    CBEnds = new QComboBox(this);
    CBEnds->setObjectName(QStringLiteral("CBEnds"));
    for (const char* key : {"0053", "0054", "0055"})
        CBEnds->addItem(text(key));
    ELength = millimetreField(kSmallestMillimetres, "ELength");
    EWidth = millimetreField(kSmallestMillimetres, "EWidth");
    EHeight = millimetreField(kSmallestMillimetres, "EHeight");
    EDiameter = millimetreField(kSmallestMillimetres, "EDiameter");
    EProbe = millimetreField(kSmallestMillimetres, "EProbe");
    EOffset = millimetreField(-kLargestMillimetres, "EOffset");
    EPoints = new QSpinBox(this);
    EPoints->setObjectName(QStringLiteral("EPoints"));
    EPoints->setRange(kFewestPoints, kMostPoints);
    LFullVolume = new QLabel(this);
    LFullVolume->setObjectName(QStringLiteral("LFullVolume"));
    LVolumeNote = new QLabel(this);
    LVolumeNote->setObjectName(QStringLiteral("LVolumeNote"));
    LVolumeNote->setWordWrap(true);
    LProblem = new QLabel(this);
    LProblem->setObjectName(QStringLiteral("LProblem"));
    LProblem->setWordWrap(true);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    BPlan = Buttons->addButton(text("0085"), QDialogButtonBox::ActionRole);
    BPlan->setObjectName(QStringLiteral("BPlan"));
    // Enter in a field still means OK.
    BPlan->setAutoDefault(false);

    m_form = new QFormLayout;
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_lengthLabel = new QLabel(this);
    m_lengthLabel->setBuddy(ELength);
    m_form->addRow(text("0047"), CBShape);
    m_form->addRow(text("0052"), CBEnds);
    m_form->addRow(m_lengthLabel, ELength);
    m_form->addRow(text("0058"), EWidth);
    m_form->addRow(text("0059"), EHeight);
    m_form->addRow(text("0060"), EDiameter);
    m_form->addRow(text("0061"), EProbe);
    m_form->addRow(text("0062"), EOffset);
    m_form->addRow(text("0063"), EPoints);
    m_form->addRow(text("0064"), LFullVolume);
    m_form->addRow(LVolumeNote);
    m_form->addRow(LProblem);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addWidget(Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Tank tank;
    tank.length = 2000;
    tank.width = 1000;
    tank.height = 1000;
    tank.diameter = 1000;
    Probe probe;
    probe.length = 1000;
    setValues(tank, probe);

    connect(CBShape, &QComboBox::currentIndexChanged, this, &TankShapeDialog::showShape);
    connect(CBEnds, &QComboBox::currentIndexChanged, this, &TankShapeDialog::showVolume);
    for (QDoubleSpinBox* field : {ELength, EWidth, EHeight, EDiameter, EProbe, EOffset})
        connect(field, &QDoubleSpinBox::valueChanged, this, &TankShapeDialog::showVolume);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(BPlan, &QPushButton::clicked, this, &TankShapeDialog::BPlanClick);
}

void TankShapeDialog::BPlanClick()
{
    auto* planner = new PourPlanDialog(m_language, tank(), probe(), this);
    planner->setAttribute(Qt::WA_DeleteOnClose);
    connect(planner, &QDialog::accepted, this, [this, planner] {
        emit planChosen(planner->plan());
        // Neither accepted (the shape's points) nor rejected.
        done(kPlanned);
    });
    planner->open();
}

QDoubleSpinBox* TankShapeDialog::millimetreField(double minimum, const char* name)
{
    auto* field = new QDoubleSpinBox(this);
    field->setObjectName(QString::fromLatin1(name));
    field->setDecimals(kDecimals);
    field->setRange(minimum, kLargestMillimetres);
    return field;
}

QString TankShapeDialog::text(const char* key) const
{
    return m_language.LanguageText("SENSOR", key);
}

void TankShapeDialog::setValues(const Tank& tank, const Probe& probe)
{
    const QSignalBlocker blocker(CBShape);
    CBShape->setCurrentIndex(static_cast<int>(tank.form));
    CBEnds->setCurrentIndex(static_cast<int>(tank.ends));
    ELength->setValue(tank.length);
    EWidth->setValue(tank.width);
    EHeight->setValue(tank.height);
    EDiameter->setValue(tank.diameter);
    EProbe->setValue(probe.length);
    EOffset->setValue(probe.offset);
    EPoints->setValue(probe.points);
    showShape();
}

Tank TankShapeDialog::tank() const
{
    Tank tank;
    tank.form = static_cast<Form>(CBShape->currentIndex());
    tank.ends = static_cast<Ends>(CBEnds->currentIndex());
    tank.length = ELength->value();
    tank.width = EWidth->value();
    tank.height = EHeight->value();
    tank.diameter = EDiameter->value();
    return tank;
}

Probe TankShapeDialog::probe() const
{
    Probe probe;
    probe.length = EProbe->value();
    probe.offset = EOffset->value();
    probe.points = EPoints->value();
    return probe;
}

void TankShapeDialog::showShape()
{
    const Form form = tank().form;
    const QList<Field> needed = dimensionsOf(form);
    const std::pair<QDoubleSpinBox*, Field> fields[] = {{ELength, Field::Length},
                                                        {EWidth, Field::Width},
                                                        {EHeight, Field::Height},
                                                        {EDiameter, Field::Diameter}};
    // Disabled rather than hidden: the dialog keeps its size and its fields their places while the shape
    // changes.
    const auto enableRow = [this](QWidget* field, bool enabled) {
        field->setEnabled(enabled);
        m_form->labelForField(field)->setEnabled(enabled);
    };
    for (const auto& [widget, field] : fields)
        enableRow(widget, needed.contains(field));
    enableRow(CBEnds, form == Form::Horizontal);
    // The ends of a lying cylinder stick out beyond the length it is measured by.
    m_lengthLabel->setText(text(form == Form::Horizontal ? "0057" : "0056"));
    showVolume();
}

void TankShapeDialog::showVolume()
{
    const Tank shape = tank();
    const double full = fullLitres(shape);
    const QString litres = QLatin1Char(' ') + m_language.LanguageText("SENSOR", "0009");
    LFullVolume->setText(VolumeText(full, locale()) + litres);
    const bool differs = std::abs(m_tankVolume - full) > kVolumeTolerance * full;
    LVolumeNote->setText(text("0065") + QStringLiteral(": ") + QString::number(m_tankVolume) + litres);
    LVolumeNote->setVisible(differs);
    const Problem problem = check(shape, probe());
    const char* why = problem.kind == Problem::Kind::ProbeBelowBottom ? "0066"
                      : problem.kind == Problem::Kind::ProbeAboveTop  ? "0067"
                                                                      : nullptr;
    LProblem->setText(why ? text(why) : QString());
    LProblem->setVisible(!problem.ok());
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(problem.ok());
    BPlan->setEnabled(problem.ok());
}
