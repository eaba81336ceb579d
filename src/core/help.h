#pragma once

#include <QString>

// Help as every window asks for it: name the help file, then show a topic or the contents.
namespace ql::help {

inline const QString MainFile = QStringLiteral("qlhelp.hlp");
inline const QString ToolsFile = QStringLiteral("QYTools.hlp");

void setHelpFile(const QString& fileName);
QString helpFile();
void showTopic(int topic);
void showContents();
// The program's own help file at a topic, or at its contents: what the module windows ask for.
void showMainTopic(int topic);
void showMainContents();

} // namespace ql::help
