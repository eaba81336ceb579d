#include "core/geometry.h"

#include "core/keys.h"
#include "core/settings.h"
#include "store/error.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include <functional>

namespace ql::geometry {
namespace {

// The frame the window manager put around the window, once it framed it. The widget's own idea
// of its frame is renewed only when the window moves, and a window framed where it stands does
// not move: then the window system tells it. Before, there is none: the window is not mapped
// yet, or the window manager made its frame (at first 1x1) but has not yet laid it around the
// window.
QMargins frameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                     frame.right() - inner.right(), frame.bottom() - inner.bottom());
    if (margins.isNull()) {
        const QWindow* handle = window->windowHandle();
        margins = handle ? handle->frameMargins() : QMargins();
    }
    const bool around =
        margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
    return around ? margins : QMargins();
}

bool isFramed(const QWidget* window)
{
    return !frameMargins(window).isNull();
}

// Stored places and sizes are those of the frame, the window's own leave it out.
QRect outerGeometry(const QWidget* window)
{
    return window->geometry().marginsAdded(frameMargins(window));
}

// Places a framed window by its own geometry, the frame taken off: a place given for the frame
// would be read with whatever frame the window last knew of.
void setOuterGeometry(QWidget* window, const QRect& outer)
{
    if (!isFramed(window)) {
        // Not framed yet: the frame's place is kept for when the frame comes.
        window->move(outer.topLeft());
        window->resize(outer.size().expandedTo(QSize(1, 1)));
        return;
    }
    const QRect inner = outer.marginsRemoved(frameMargins(window));
    window->setGeometry(QRect(inner.topLeft(), inner.size().expandedTo(QSize(1, 1))));
}

void setOuterSize(QWidget* window, int width, int height)
{
    const QMargins frame = frameMargins(window);
    window->resize(std::max(1, width - frame.left() - frame.right()),
                   std::max(1, height - frame.top() - frame.bottom()));
}

// A stored place that no longer fits (another screen, a damaged value) is brought onto the screen
// the window is mostly on, or the primary one: the size at most the screen's, the whole window on
// it.
void keepOnScreen(QWidget* window)
{
    const QRect frame = outerGeometry(window);
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
    const QRect sized = outerGeometry(window);
    const int x =
        std::clamp(sized.x(), area.left(), std::max(area.left(), area.right() + 1 - sized.width()));
    const int y =
        std::clamp(sized.y(), area.top(), std::max(area.top(), area.bottom() + 1 - sized.height()));
    if (x != sized.x() || y != sized.y())
        setOuterGeometry(window, QRect(QPoint(x, y), sized.size()));
}

// Places the window's frame at an outer geometry, kept on a screen.
void apply(QWidget* window, const QRect& outer)
{
    setOuterGeometry(window, outer);
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
    // Ticks the place must hold once applied: the window manager may still move the window it
    // has just framed, and the window learns where only when the manager tells it.
    constexpr int calmTicks = 10;
    auto* timer = new QTimer(window);
    timer->setInterval(interval);
    QObject::connect(timer, &QTimer::timeout, window,
                     [window, place, timer, left = tries, calm = 0, last = QRect()]() mutable {
                         if (isFramed(window)) {
                             place();
                             const QRect now = outerGeometry(window);
                             calm = now == last ? calm + 1 : 0;
                             last = now;
                         }
                         if (calm < calmTicks && --left > 0 && window->isVisible())
                             return;
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
    if (!isFramed(window))
        placeWhenFramed(window, [window, outer] { apply(window, outer); });
}

void save(QWidget* window, const QString& key)
{
    // Never smaller than the window can be made: a size taken while the frame was still being
    // laid out is no size to open at again.
    QRect frame = outerGeometry(window);
    const QMargins margins = frameMargins(window);
    const QSize least =
        window->minimumSize().expandedTo(window->minimumSizeHint()).grownBy(margins);
    frame.setSize(frame.size().expandedTo(least));
    Settings settings;
    settings.openKey(key, true);
    settings.writeInteger(keys::Left, frame.x());
    settings.writeInteger(keys::Top, frame.y());
    settings.writeInteger(keys::Height, frame.height());
    settings.writeInteger(keys::Width, frame.width());
}

void placeBeside(QWidget* window, const QWidget* asker)
{
    QRect outer = outerGeometry(window);
    if (!asker) {
        apply(window, outer);
    } else {
        const QRect beside = outerGeometry(asker);
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
    if (!isFramed(window)) {
        const QPointer<const QWidget> still(asker);
        placeWhenFramed(window, [window, still] { placeBeside(window, still); });
    }
}

} // namespace ql::geometry
