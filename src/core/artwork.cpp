#include "core/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ql::artwork {

QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // The page.
    QLinearGradient paper(0, 0, 0, 64);
    paper.setColorAt(0, QColor(0xfd, 0xf8, 0xe8));
    paper.setColorAt(1, QColor(0xf0, 0xe2, 0xbd));
    p.setPen(QPen(QColor(0x6b, 0x4f, 0x2a), 2));
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(10, 6, 40, 52), 4, 4);
    p.setPen(QPen(QColor(0xb8, 0xa2, 0x7a), 1.5));
    for (int y = 18; y <= 46; y += 7)
        p.drawLine(QPointF(16, y), QPointF(40, y));
    // The quill.
    QPainterPath feather;
    feather.moveTo(58, 4);
    feather.cubicTo(44, 8, 32, 24, 26, 44);
    feather.cubicTo(36, 34, 50, 22, 58, 4);
    p.setPen(QPen(QColor(0x1d, 0x3f, 0x72), 1.5));
    p.setBrush(QColor(0x3a, 0x6e, 0xb5));
    p.drawPath(feather);
    p.setPen(QPen(QColor(0x1d, 0x3f, 0x72), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(26, 44), QPointF(22, 54));
    return image;
}

QString bannerText(int number)
{
    switch (number) {
    case 1:
        return QStringLiteral("Quillory: addresses, journal, to-do list and calendar");
    case 2:
        return QStringLiteral("Keep your records safe: back up the Data folder often");
    case 3:
        return QStringLiteral("Catalogue your CDs, tapes and books - and who borrowed them");
    default:
        break;
    }
    return QStringLiteral("Take your records anywhere: export them as plain text");
}

QPixmap banner(int number)
{
    static const QColor colours[4][2] = {{QColor(0x1d, 0x3f, 0x72), QColor(0x3a, 0x6e, 0xb5)},
                                         {QColor(0x1f, 0x5c, 0x3a), QColor(0x3f, 0x9a, 0x63)},
                                         {QColor(0x6b, 0x2a, 0x4f), QColor(0xb0, 0x4a, 0x85)},
                                         {QColor(0x6b, 0x4f, 0x2a), QColor(0xc0, 0x8a, 0x3c)}};
    const int index = (number - 1) & 3;
    QPixmap pixmap(468, 60);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 468, 0);
    background.setColorAt(0, colours[index][0]);
    background.setColorAt(1, colours[index][1]);
    p.fillRect(pixmap.rect(), background);
    p.drawImage(QRect(8, 6, 48, 48), programIcon(48));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(66, 0, 396, 60), Qt::AlignVCenter | Qt::TextWordWrap, bannerText(number));
    return pixmap;
}

} // namespace ql::artwork
