#pragma once

#include <QImage>
#include <QPixmap>

// The pictures the program draws for itself: its icon and the main menu's banners.
namespace ql::artwork {

// A square icon: a page with a quill, drawn without text so it needs no fonts.
QImage programIcon(int size);

// Banner 1 to 4, 468 × 60 pixels.
QPixmap banner(int number);
// The line each banner shows, also its hint.
QString bannerText(int number);

} // namespace ql::artwork
