#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace ql {
class SettingsFile;
}

namespace ql::geometry {

// Places a window as it was last left: opens its key (making it), then reads "Left", "Top",
// "Height" and "Width" in turn, applying each at once; the first value that cannot be read ends
// the restore silently and keeps what was applied. The window starts from its designed geometry
// (left, top, width, height) and is kept on a screen.
void restore(SettingsFile& file, QWidget* window, const QString& key, const QRect& design);
// Stores the window's outer position and size under its key. Throws ql::Error
// "Failed to set data for '%s'" when the store cannot be written.
void save(SettingsFile& file, QWidget* window, const QString& key);
// Places a window of its present size next to the window that asked for it (to its right, else
// to its left, else over it), fully on that window's screen; with no asker, just on a screen.
void placeBeside(QWidget* window, const QWidget* asker);
// Makes the window larger by `extra`, what its contents lack, kept whole on its screen.
void grow(QWidget* window, const QSize& extra);

} // namespace ql::geometry
