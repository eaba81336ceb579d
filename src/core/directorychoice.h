#pragma once

#include <QLineEdit>
#include <QPointer>

// Where the directory chooser puts the directory it was asked for. The backup and the options
// windows both open it; while the options window is showing, the choice goes into its source
// path field, otherwise into the backup window's path. The options window names its field here
// when it is made; the field forgets itself when it is destroyed.
namespace ql::directorychoice {

inline QPointer<QLineEdit> optionsPath;

} // namespace ql::directorychoice
