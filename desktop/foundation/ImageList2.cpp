#include "desktop/foundation/ImageList2.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

// Positions with a picture of the style's own; the rest are drawn.
QStyle::StandardPixmap standardPicture(int position)
{
    switch (position) {
    case 2: // contact of a call
        return QStyle::SP_FileDialogDetailedView;
    case 4: // delete
        return QStyle::SP_TrashIcon;
    case 5: // save
        return QStyle::SP_DialogSaveButton;
    case 7: // next
        return QStyle::SP_ArrowDown;
    case 8: // previous
        return QStyle::SP_ArrowUp;
    case 12: // properties
        return QStyle::SP_FileDialogListView;
    case 13: // search
        return QStyle::SP_FileDialogContentsView;
    case 23: // help
        return QStyle::SP_DialogHelpButton;
    case 24: // web page
        return QStyle::SP_DriveNetIcon;
    default:
        return QStyle::SP_CustomBase;
    }
}

QIcon drawnPicture(int position)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = QColor::fromHsv((position * 47) % 360, 160, 200);
    painter.setBrush(colour);
    painter.setPen(colour.darker(150));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(9);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::number(position));
    return QIcon(pixmap);
}

} // namespace

const QList<QIcon>& vbalImageList2()
{
    static const QList<QIcon> images = [] {
        QList<QIcon> list;
        for (int position = 0; position < kImageList2Count; ++position) {
            const QStyle::StandardPixmap standard = standardPicture(position);
            list << (standard == QStyle::SP_CustomBase ? drawnPicture(position)
                                                       : QApplication::style()->standardIcon(standard));
        }
        return list;
    }();
    return images;
}
