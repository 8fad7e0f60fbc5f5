// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace {

const QColor kInk(0x2F, 0x3B, 0x4C);
const QColor kAccent(0x1E, 0x78, 0xC8);
const QColor kWarm(0xE0, 0x8A, 0x1E);
const QColor kPaper(0xF7, 0xF9, 0xFC);

QPen inkPen(qreal width = 2.0)
{
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void window(QPainter& p, const QRectF& r)
{
    p.setPen(inkPen(1.6));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 4), kAccent);
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color)
{
    p.setPen(QPen(color, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QLineF line(to, from);
    const qreal angle = qDegreesToRadians(line.angle());
    const QPointF a = to + QPointF(qCos(angle + 0.6) * 6, -qSin(angle + 0.6) * 6);
    const QPointF b = to + QPointF(qCos(angle - 0.6) * 6, -qSin(angle - 0.6) * 6);
    p.drawPolyline(QPolygonF{a, to, b});
}

void chip(QPainter& p, const QRectF& r)
{
    p.setPen(inkPen(1.4));
    for (int i = 0; i < 4; ++i) {
        const qreal x = r.left() + r.width() * (i + 0.5) / 4;
        const qreal y = r.top() + r.height() * (i + 0.5) / 4;
        p.drawLine(QPointF(x, r.top() - 3), QPointF(x, r.top()));
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 3));
        p.drawLine(QPointF(r.left() - 3, y), QPointF(r.left(), y));
        p.drawLine(QPointF(r.right(), y), QPointF(r.right() + 3, y));
    }
    p.setBrush(kInk);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    p.drawEllipse(r.center(), 2.5, 2.5);
}

void tank(QPainter& p, const QString& number, const QColor& fill)
{
    const QRectF body(5, 6, 16, 22);
    p.setPen(inkPen(1.8));
    p.setBrush(kPaper);
    p.drawRoundedRect(body, 3, 3);
    p.fillRect(QRectF(6, 17, 14, 10), fill);
    p.setPen(inkPen(1.2));
    for (int y : {11, 16, 21})
        p.drawLine(QPointF(5, y), QPointF(9, y));
    QFont font;
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(19, 12, 13, 18), Qt::AlignCenter, number);
}

void draw(QPainter& p, IconKind kind)
{
    switch (kind) {
    case IconKind::Exit:
        p.setPen(inkPen());
        p.setBrush(kPaper);
        p.drawRect(QRectF(5, 4, 14, 24));
        p.setBrush(kInk);
        p.drawEllipse(QPointF(15.5, 16), 1.3, 1.3);
        arrow(p, QPointF(17, 16), QPointF(29, 16), kWarm);
        break;
    case IconKind::LoadConfig:
        p.setPen(inkPen(1.6));
        p.setBrush(QColor(0xF3, 0xC9, 0x6B));
        p.drawPolygon(QPolygonF{QPointF(3, 9), QPointF(11, 9), QPointF(13, 12), QPointF(21, 12),
                                QPointF(21, 27), QPointF(3, 27)});
        chip(p, QRectF(23, 18, 6, 8));
        arrow(p, QPointF(14, 6), QPointF(26, 13), kAccent);
        break;
    case IconKind::SaveConfig:
        p.setPen(inkPen(1.6));
        p.setBrush(kAccent);
        p.drawPolygon(
            QPolygonF{QPointF(4, 4), QPointF(24, 4), QPointF(28, 8), QPointF(28, 28), QPointF(4, 28)});
        p.setBrush(kPaper);
        p.drawRect(QRectF(8, 4, 14, 9));
        p.drawRect(QRectF(8, 18, 16, 10));
        p.fillRect(QRectF(17, 6, 3, 5), kInk);
        break;
    case IconKind::Print:
        p.setPen(inkPen(1.6));
        p.setBrush(kPaper);
        p.drawRect(QRectF(9, 3, 14, 9));
        p.setBrush(QColor(0xB8, 0xC4, 0xD2));
        p.drawRoundedRect(QRectF(3, 11, 26, 11), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(9, 18, 14, 11));
        p.setPen(inkPen(1.0));
        p.drawLine(QPointF(12, 22), QPointF(20, 22));
        p.drawLine(QPointF(12, 25), QPointF(20, 25));
        p.fillRect(QRectF(23, 14, 3, 2), kAccent);
        break;
    case IconKind::Cascade:
        window(p, QRectF(3, 3, 17, 13));
        window(p, QRectF(8, 9, 17, 13));
        window(p, QRectF(13, 15, 16, 13));
        break;
    case IconKind::TileHorizontal:
        window(p, QRectF(4, 4, 24, 11));
        window(p, QRectF(4, 17, 24, 11));
        break;
    case IconKind::TileVertical:
        window(p, QRectF(4, 4, 11, 24));
        window(p, QRectF(17, 4, 11, 24));
        break;
    case IconKind::Settings: {
        QPainterPath gear;
        const QPointF c(16, 16);
        for (int i = 0; i < 16; ++i) {
            const qreal a = i * M_PI / 8;
            const qreal r = (i % 2 == 0) ? 13 : 10;
            const QPointF pt = c + QPointF(qCos(a) * r, qSin(a) * r);
            if (i == 0)
                gear.moveTo(pt);
            else
                gear.lineTo(pt);
        }
        gear.closeSubpath();
        gear.addEllipse(c, 4.5, 4.5);
        p.setPen(inkPen(1.4));
        p.setBrush(QColor(0x8A, 0x9B, 0xAE));
        p.drawPath(gear);
        break;
    }
    case IconKind::About: {
        p.setPen(inkPen(1.6));
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(16, 16), 13, 13);
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(20);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("i"));
        break;
    }
    case IconKind::Sensor1:
        tank(p, QStringLiteral("1"), QColor(0xA6, 0xCA, 0xF0));
        break;
    case IconKind::Sensor2:
        tank(p, QStringLiteral("2"), QColor(0xE8, 0xD8, 0x4C));
        break;
    case IconKind::Controller:
        chip(p, QRectF(8, 8, 16, 16));
        break;
    case IconKind::ReadTable:
        chip(p, QRectF(4, 9, 9, 14));
        p.setPen(inkPen(1.4));
        p.setBrush(kPaper);
        p.drawRect(QRectF(19, 5, 10, 22));
        arrow(p, QPointF(13, 16), QPointF(23, 16), kAccent);
        break;
    case IconKind::WriteTable:
        chip(p, QRectF(19, 9, 9, 14));
        p.setPen(inkPen(1.4));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 5, 10, 22));
        arrow(p, QPointF(9, 16), QPointF(20, 16), kWarm);
        break;
    }
}

QIcon drawnIcon(IconKind kind)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        draw(p, kind);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon ActionIcon(IconKind kind)
{
    // Always the drawn set: a desktop theme covers only some of these actions, and a toolbar that mixes
    // two styles looks unfinished.
    return drawnIcon(kind);
}
