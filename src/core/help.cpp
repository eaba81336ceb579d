#include "core/help.h"

#include "core/seams.h"

namespace ql::help {

void showTopic(const QString& helpFile, int topic)
{
    services::helpViewer().showTopic(helpFile, topic);
}

void showContents(const QString& helpFile)
{
    services::helpViewer().showContents(helpFile);
}

void showMainTopic(int topic)
{
    showTopic(MainFile, topic);
}

void showMainContents()
{
    showContents(MainFile);
}

} // namespace ql::help
