#include "geometry.h"

#include "error.h"
#include "keys.h"
#include "settings.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include <functional>

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

// Places the window's frame at an outer geometry, kept on a screen.
void apply(QWidget* window, const QRect& outer)
{
    window->move(outer.topLeft());
    setOuterSize(window, outer.width(), outer.height());
    keepOnScreen(window);
}

// A window manager adds the frame only after the window is mapped; until then the outer size
// cannot be told from the inner one. The window is placed again as soon as the frame is there,
// so that a stored size is not taken for the inner size and grows by the frame each time. A
// desktop without frames gives up after a while and keeps what was applied.
void placeWhenFramed(QWidget* window, const std::function<void()>& place)
{
    constexpr int interval = 20;
    constexpr int tries = 150;
    auto* timer = new QTimer(window);
    timer->setInterval(interval);
    QObject::connect(timer, &QTimer::timeout, window,
                     [window, place, timer, left = tries]() mutable {
                         const bool framed = window->frameGeometry() != window->geometry();
                         if (!framed && --left > 0 && window->isVisible())
                             return;
                         if (framed)
                             place();
                         timer->stop();
                         timer->deleteLater();
                     });
    timer->start();
}

} // namespace

void restore(QWidget* window, const QString& key, const QRect& design)
{
    QRect outer = design;
    Settings settings;
    if (settings.openKey(key, true)) {
        try {
            // Stored numbers are kept within what a window can be, so no sum of a place and a
            // size overflows whatever the file says.
            const auto stored = [&settings](const QString& name, int low) {
                return std::clamp(settings.readInteger(name), low, QWIDGETSIZE_MAX);
            };
            outer.moveLeft(stored(keys::Left, -QWIDGETSIZE_MAX));
            outer.moveTop(stored(keys::Top, -QWIDGETSIZE_MAX));
            outer.setHeight(stored(keys::Height, 1));
            outer.setWidth(stored(keys::Width, 1));
        } catch (const Error&) {
            // A value not stored yet: the designed geometry stands from here on.
        }
    }
    apply(window, outer);
    if (window->frameGeometry() == window->geometry())
        placeWhenFramed(window, [window, outer] { apply(window, outer); });
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

void placeBeside(QWidget* window, const QWidget* asker)
{
    QRect outer = window->frameGeometry();
    if (!asker) {
        apply(window, outer);
    } else {
        const QRect beside = asker->frameGeometry();
        const QScreen* screen = asker->screen();
        const QRect area = screen ? screen->availableGeometry() : beside;
        // Right of the asking window where there is room, else left of it, else over it.
        if (beside.right() + outer.width() <= area.right())
            outer.moveTopLeft(QPoint(beside.right() + 1, beside.top()));
        else if (beside.left() - outer.width() >= area.left())
            outer.moveTopLeft(QPoint(beside.left() - outer.width(), beside.top()));
        else
            outer.moveTopLeft(beside.topLeft());
        apply(window, outer);
    }
    if (window->frameGeometry() == window->geometry()) {
        const QPointer<const QWidget> still(asker);
        placeWhenFramed(window, [window, still] { placeBeside(window, still); });
    }
}

} // namespace ql::geometry
