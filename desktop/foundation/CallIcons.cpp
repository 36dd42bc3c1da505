#include "desktop/foundation/CallIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

constexpr int kSize = 16;
const QColor kRed(204, 24, 24);
const QColor kInk(32, 32, 32);

void drawPage(QPainter& p)
{
    QPolygonF page({{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}});
    p.setPen(QPen(QColor(96, 96, 96), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    p.drawPolyline(QPolygonF({{10.5, 1.5}, {10.5, 4.5}, {13.5, 4.5}}));
}

void drawFlag(QPainter& p, bool filled)
{
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(3.5, 1.5), QPointF(3.5, 15));
    QPainterPath cloth;
    cloth.moveTo(4, 2);
    cloth.cubicTo(7, 0.5, 9, 4, 13.5, 2.5);
    cloth.lineTo(13.5, 8.5);
    cloth.cubicTo(9, 10, 7, 6.5, 4, 8);
    cloth.closeSubpath();
    if (filled) {
        p.setPen(QPen(kRed.darker(130), 1));
        p.setBrush(kRed);
    } else {
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
    }
    p.drawPath(cloth);
}

void drawExclamation(QPainter& p, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({{6, 1.5}, {10, 1.5}, {9, 10.5}, {7, 10.5}}));
    p.drawEllipse(QPointF(8, 13.3), 1.6, 1.6);
}

void drawTriangle(QPainter& p, bool up)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 96, 96));
    p.drawPolygon(
        up ? QPolygonF({{8, 4.5}, {12.5, 11}, {3.5, 11}}) : QPolygonF({{3.5, 5}, {12.5, 5}, {8, 11.5}}));
}

void drawEnvelope(QPainter& p, bool open)
{
    const QColor paper(250, 236, 170);
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(paper);
    if (open) {
        p.drawPolygon(QPolygonF({{1.5, 7.5}, {8, 2}, {14.5, 7.5}, {14.5, 14.5}, {1.5, 14.5}}));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 4.5, 9, 6));
        p.setBrush(paper);
        p.drawPolygon(QPolygonF({{1.5, 7.5}, {8, 11.5}, {14.5, 7.5}, {14.5, 14.5}, {1.5, 14.5}}));
    } else {
        p.drawRect(QRectF(1.5, 3.5, 13, 10));
        p.drawPolyline(QPolygonF({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
    }
}

// A loudspeaker with its sound waves on the side it faces.
void drawSpeaker(QPainter& p, bool right)
{
    if (!right) {
        p.translate(kSize, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(70, 110, 190));
    p.drawPolygon(QPolygonF({{1.5, 5.5}, {4.5, 5.5}, {8.5, 2}, {8.5, 14}, {4.5, 10.5}, {1.5, 10.5}}));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 140, 60), 1.3));
    p.drawArc(QRectF(7, 5, 5, 6), -50 * 16, 100 * 16);
    p.drawArc(QRectF(6.5, 2.5, 8.5, 11), -55 * 16, 110 * 16);
}

QPixmap draw(qint32 index)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case CallImage::BlankPage:
        drawPage(p);
        break;
    case CallImage::FlagOutline:
        drawFlag(p, false);
        break;
    case CallImage::BlackExclamation:
        drawExclamation(p, kInk);
        break;
    case CallImage::Flag:
        drawFlag(p, true);
        break;
    case CallImage::Emergency:
        drawExclamation(p, kRed);
        break;
    case CallImage::TriangleUp:
    case CallImage::TriangleDown:
        drawTriangle(p, index == CallImage::TriangleUp);
        break;
    case CallImage::EnvelopeClosed:
    case CallImage::EnvelopeOpen:
        drawEnvelope(p, index == CallImage::EnvelopeOpen);
        break;
    case CallImage::SpeakerRight:
    case CallImage::SpeakerLeft:
        drawSpeaker(p, index == CallImage::SpeakerRight);
        break;
    default:
        break;
    }
    return pixmap;
}

} // namespace

QList<QPixmap> CallTypeImages()
{
    QList<QPixmap> images;
    for (qint32 i = 0; i < CallImage::Count; ++i)
        images.append(draw(i));
    return images;
}
