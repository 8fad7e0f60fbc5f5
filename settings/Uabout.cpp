// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Uabout.h"

#include "Version.h"
#include "app/ApplicationTitle.h"
#include "app/LanguageCatalog.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QtMath>

#include <algorithm>

TFAbout::TFAbout(const LanguageCatalog& language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_language(language), m_url(kProductAddress)
{
    setObjectName(QStringLiteral("FAbout"));
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(1, 2, 93, 93);
    auto* picture = new QLabel(panel);
    picture->setGeometry(2, 2, 89, 89);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(logo());

    QFont bold = font();
    bold.setBold(true);
    LProgram = new QLabel(this);
    LProgram->setObjectName(QStringLiteral("LProgram"));
    LProgram->setFont(bold);
    LProgram->setWordWrap(true);
    LProgram->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LProgram->setGeometry(104, 8, 150, 54);
    LVersion = new QLabel(this);
    LVersion->setObjectName(QStringLiteral("LVersion"));
    LVersion->setFont(bold);
    LVersion->setGeometry(104, 64, 150, 20);
    LLicence = new QLabel(this);
    LLicence->setObjectName(QStringLiteral("LLicence"));
    LLicence->setWordWrap(true);
    LLicence->setAlignment(Qt::AlignCenter);
    abcURLLabel1 = new QLabel(this);
    abcURLLabel1->setObjectName(QStringLiteral("abcURLLabel1"));
    abcURLLabel1->setFont(bold);
    abcURLLabel1->setTextFormat(Qt::RichText);
    abcURLLabel1->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    abcURLLabel1->setAlignment(Qt::AlignCenter);
    connect(abcURLLabel1, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    for (QLabel* label : {LProgram, LVersion, LLicence, abcURLLabel1})
        label->setAttribute(Qt::WA_TranslucentBackground);
    fitToTexts();
}

void TFAbout::ApplyTexts()
{
    setWindowTitle(m_language.LanguageText("ABOUT", "001", QStringLiteral("About")));
    LProgram->setText(
        m_language.LanguageText("ABOUT", "002", QStringLiteral("Program \"%1\"").arg(kApplicationTitle)));
    LVersion->setText(m_language.LanguageText("ABOUT", "003", QStringLiteral("Version")) + QLatin1Char(' ') +
                      QStringLiteral(ZENTIK_VERSION));
    LLicence->setText(m_language.LanguageText("ABOUT", "005", kLicenceWords));
    m_url = m_language.LanguageText("ABOUT", "004", kProductAddress);
    abcURLLabel1->setText(
        QStringLiteral("<a href=\"%1\" style=\"color:#3399FF\">%1</a>").arg(m_url.toHtmlEscaped()));
    fitToTexts();
}

void TFAbout::fitToTexts()
{
    // The licence line wraps below the logo as its language and the desktop's font need; the link follows.
    constexpr int kWidth = 246;
    const int licenceHeight = std::max(20, LLicence->heightForWidth(kWidth));
    LLicence->setGeometry(8, 100, kWidth, licenceHeight);
    const int linkY = 100 + licenceHeight + 4;
    const int linkHeight = std::max(20, abcURLLabel1->sizeHint().height());
    abcURLLabel1->setGeometry(8, linkY, kWidth, linkHeight);
    setFixedSize(262, linkY + linkHeight + 6);
}

void TFAbout::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    QLinearGradient gradient(rect().topLeft(), rect().bottomLeft());
    gradient.setColorAt(0, QColor(162, 162, 162));
    gradient.setColorAt(1, QColor(70, 70, 70));
    p.fillRect(rect(), gradient);
    QDialog::paintEvent(event);
}

QPixmap TFAbout::logo()
{
    // A fuel gauge: a dial from empty to full with the needle near full, and a drop below the hub.
    QPixmap pixmap(90, 90);
    pixmap.fill(QColor(0xF4, 0xF6, 0xF9));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF hub(45, 54);
    const qreal radius = 34;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2F, 0x3B, 0x4C));
    p.drawEllipse(hub, radius + 4, radius + 4);
    p.setBrush(QColor(0xF4, 0xF6, 0xF9));
    p.drawRect(QRectF(0, 58, 90, 32));
    // The coloured scale: red for reserve, then green.
    QPainterPath scale;
    const QRectF dial(hub.x() - radius, hub.y() - radius, 2 * radius, 2 * radius);
    p.setPen(QPen(QColor(0xD9, 0x3A, 0x2B), 7, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial.adjusted(4, 4, -4, -4), 180 * 16, -40 * 16);
    p.setPen(QPen(QColor(0x3C, 0xA5, 0x5C), 7, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial.adjusted(4, 4, -4, -4), 140 * 16, -140 * 16);
    p.setPen(QPen(Qt::white, 1.5));
    for (int i = 0; i <= 4; ++i) {
        const qreal a = qDegreesToRadians(180.0 - i * 45.0);
        const QPointF outer = hub + QPointF(qCos(a) * (radius - 1), -qSin(a) * (radius - 1));
        const QPointF inner = hub + QPointF(qCos(a) * (radius - 11), -qSin(a) * (radius - 11));
        p.drawLine(inner, outer);
    }
    QFont letters;
    letters.setPixelSize(10);
    letters.setBold(true);
    p.setFont(letters);
    p.setPen(QColor(0x2F, 0x3B, 0x4C));
    p.drawText(QRectF(4, 60, 16, 12), Qt::AlignCenter, QStringLiteral("E"));
    p.drawText(QRectF(70, 60, 16, 12), Qt::AlignCenter, QStringLiteral("F"));
    // The needle at three quarters.
    const qreal needle = qDegreesToRadians(40.0);
    p.setPen(QPen(QColor(0xE0, 0x8A, 0x1E), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hub, hub + QPointF(qCos(needle) * (radius - 6), -qSin(needle) * (radius - 6)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF4, 0xF6, 0xF9));
    p.drawEllipse(hub, 4.5, 4.5);
    // The drop.
    QPainterPath drop;
    drop.moveTo(45, 66);
    drop.cubicTo(41, 73, 38, 76, 38, 79);
    drop.arcTo(QRectF(38, 72, 14, 14), 180, 180);
    drop.cubicTo(52, 76, 49, 73, 45, 66);
    p.setBrush(QColor(0x1E, 0x78, 0xC8));
    p.drawPath(drop);
    return pixmap;
}
