#include "geometry.h"

#include "error.h"
#include "keys.h"
#include "settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ql::geometry {
namespace {

// Stored sizes are outer sizes; the window's own size leaves out its frame.
QSize frameExtra(const QWidget* window)
{
    return window->frameGeometry().size() - window->size();
}

void setOuterSize(QWidget* window, int width, int height)
{
    const QSize extra = frameExtra(window);
    window->resize(std::max(1, width - extra.width()), std::max(1, height - extra.height()));
}

// A stored place that no longer fits (another screen, a damaged value) is brought onto the screen
// the window is mostly on, or the primary one: the size at most the screen's, the whole window on
// it.
void keepOnScreen(QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (!best)
        return;
    const QRect area = best->availableGeometry();
    if (frame.width() > area.width() || frame.height() > area.height())
        setOuterSize(window, std::min(frame.width(), area.width()),
                     std::min(frame.height(), area.height()));
    const QRect sized = window->frameGeometry();
    const int x =
        std::clamp(sized.x(), area.left(), std::max(area.left(), area.right() + 1 - sized.width()));
    const int y =
        std::clamp(sized.y(), area.top(), std::max(area.top(), area.bottom() + 1 - sized.height()));
    if (x != sized.x() || y != sized.y())
        window->move(x, y);
}

} // namespace

void restore(QWidget* window, const QString& key, const QRect& design)
{
    window->move(design.topLeft());
    setOuterSize(window, design.width(), design.height());
    Settings settings;
    if (settings.openKey(key, true)) {
        try {
            window->move(settings.readInteger(keys::Left), window->y());
            window->move(window->x(), settings.readInteger(keys::Top));
            setOuterSize(window, window->frameGeometry().width(),
                         settings.readInteger(keys::Height));
            setOuterSize(window, settings.readInteger(keys::Width),
                         window->frameGeometry().height());
        } catch (const Error&) {
            // A value not stored yet: the designed geometry stands from here on.
        }
    }
    keepOnScreen(window);
}

void save(QWidget* window, const QString& key)
{
    const QRect frame = window->frameGeometry();
    Settings settings;
    settings.openKey(key, true);
    settings.writeInteger(keys::Left, frame.x());
    settings.writeInteger(keys::Top, frame.y());
    settings.writeInteger(keys::Height, frame.height());
    settings.writeInteger(keys::Width, frame.width());
}

} // namespace ql::geometry
