#pragma once

#include "core/keys.h"

#include <QRect>
#include <QString>

namespace ql {

// What a window is known by: its objectName (which tests and the settings find it by), its
// caption, the settings key its place is kept under and its designed place; it can be resized
// from a size grip unless told otherwise.
struct WindowDesign {
    QString name;
    QString title;
    QString geometryKey;
    QRect place;
    bool sizeGrip = true;
};

// Every window's design, named once beside the settings keys: the names, captions and places
// users, their settings files and the tests know the windows by.
namespace designs {

inline const WindowDesign addressBook{QStringLiteral("PDAForm"),
                                      QStringLiteral("Quillory - Address Book"), keys::PDA,
                                      QRect(120, 80, 940, 620)};
inline const WindowDesign addressBookPrint{QStringLiteral("PDAPrintMenu"),
                                           QStringLiteral("Quillory - Print Address Book"),
                                           keys::PDAPrint, QRect(330, 220, 400, 170), false};
inline const WindowDesign journal{QStringLiteral("JournalForm"),
                                  QStringLiteral("Quillory -  Journal"), keys::Journal,
                                  QRect(-2, 0, 785, 573)};
inline const WindowDesign toDo{QStringLiteral("ToDoForm"), QStringLiteral("Quillory - To-Do List"),
                               keys::ToDo, QRect(170, 120, 720, 500)};
inline const WindowDesign calendar{QStringLiteral("CalendarForm"),
                                   QStringLiteral("Quillory - Calendar"), keys::Calendar,
                                   QRect(298, 280, 631, 396)};
// The calendar that opens beside the journal and the to-do list.
inline const WindowDesign referenceCalendar{QStringLiteral("CalendarForm2"),
                                            QStringLiteral("Quillory - Calendar"), keys::Calendar,
                                            QRect(250, 172, 631, 349)};
inline const WindowDesign collections{QStringLiteral("CollectionsForm"),
                                      QStringLiteral("Quillory - Collections"), keys::Collections,
                                      QRect(231, 86, 800, 600)};
inline const WindowDesign loans{QStringLiteral("LoansForm"), QStringLiteral("Quillory - Loans"),
                                keys::Loans, QRect(260, 110, 720, 520)};
inline const WindowDesign userDefined{QStringLiteral("UserDefinedForm"),
                                      QStringLiteral("Quillory - User Defined"), keys::UserDef,
                                      QRect(200, 60, 780, 660)};
inline const WindowDesign userDefinedPrint{QStringLiteral("UserDefPrtMenu"),
                                           QStringLiteral("Quillory - Print"), keys::UserDefPrint,
                                           QRect(330, 200, 420, 320), false};
inline const WindowDesign backup{QStringLiteral("BackupForm"), QStringLiteral("Quillory - Backup"),
                                 keys::Backup, QRect(287, 343, 458, 291)};
inline const WindowDesign directoryChooser{QStringLiteral("SelectDirForm"),
                                           QStringLiteral("Select Directory"), keys::Import,
                                           QRect(300, 160, 360, 420)};
inline const WindowDesign options{QStringLiteral("OptionsForm"),
                                  QStringLiteral("Quillory - Options"), keys::Options,
                                  QRect(240, 120, 540, 460)};
inline const WindowDesign toolsLocation{QStringLiteral("QYTCfgForm"),
                                        QStringLiteral("Quillory - QY Tools Configuration dialog"),
                                        keys::QYTools, QRect(256, 252, 687, 146), false};
inline const WindowDesign data{QStringLiteral("DataForm"), QStringLiteral("Quillory - Data"),
                               keys::Data, QRect(282, 134, 486, 322)};
inline const WindowDesign maintenance{QStringLiteral("WrenxForm"),
                                      QStringLiteral("Quillory - Wrenx Maintenance Tools"),
                                      keys::Wrenx, QRect(190, 90, 620, 600)};

} // namespace designs
} // namespace ql
