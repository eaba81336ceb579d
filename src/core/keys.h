#pragma once

#include <QString>

// Every settings key and value name the organizer uses, named once.
namespace ql::keys {

inline QString quillory(const char* sub)
{
    return QStringLiteral("SOFTWARE\\Varnholt\\Quillory\\") + QString::fromLatin1(sub);
}
inline QString tools(const char* sub)
{
    return QStringLiteral("SOFTWARE\\Varnholt\\Quillory Tools\\") + QString::fromLatin1(sub);
}

// Keys.
inline const QString Menu = quillory("Menu");
inline const QString Options = quillory("Options");
inline const QString QYTools = quillory("QYTools");
inline const QString PDA = quillory("PDA");
inline const QString PDAPrint = quillory("PDA\\Print");
inline const QString Help = quillory("Help");
inline const QString Journal = quillory("Journal");
inline const QString ToDo = quillory("ToDo");
inline const QString Collections = quillory("Collections");
inline const QString Loans = quillory("Loans");
inline const QString Calendar = quillory("Calendar");
inline const QString CalendarChose = quillory("Calendar\\Chose");
inline const QString Backup = quillory("Backup");
inline const QString Import = quillory("Import");
inline const QString Sync = quillory("Sync");
inline const QString UserDef = quillory("UserDef");
inline const QString UserDefPrint = quillory("UserDef\\Print");
inline const QString Wrenx = tools("Wrenx");
inline const QString Data = tools("Data");

// Values.
inline const QString Left = QStringLiteral("Left");
inline const QString Top = QStringLiteral("Top");
inline const QString Height = QStringLiteral("Height");
inline const QString Width = QStringLiteral("Width");
inline const QString First = QStringLiteral("first");
inline const QString QYToolBtn = QStringLiteral("QYToolBtn");
inline const QString LoanReminder = QStringLiteral("LoanReminder");
inline const QString QYAD = QStringLiteral("QYAD");
inline const QString BackupSwitch = QStringLiteral("Backup");
inline const QString Location = QStringLiteral("Location");
inline const QString Title = QStringLiteral("Title");
inline const QString UseMemo = QStringLiteral("UseMemo");
inline QString label(int number)
{
    return QStringLiteral("Label%1").arg(number);
}

} // namespace ql::keys
