#pragma once

#include <QString>

namespace ql {
class HelpViewer;
}

// Help as every window asks for it: a topic of a help book, or the book's contents.
namespace ql::help {

inline const QString MainFile = QStringLiteral("qlhelp.hlp");
inline const QString ToolsFile = QStringLiteral("QYTools.hlp");

void showTopic(HelpViewer& viewer, const QString& helpFile, int topic);
void showContents(HelpViewer& viewer, const QString& helpFile);
// The program's own help file at a topic, or at its contents: what the module windows ask for.
void showMainTopic(HelpViewer& viewer, int topic);
void showMainContents(HelpViewer& viewer);

} // namespace ql::help
