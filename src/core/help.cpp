#include "core/help.h"

#include "core/seams.h"

namespace ql::help {

void showTopic(HelpViewer& viewer, const QString& helpFile, int topic)
{
    viewer.showTopic(helpFile, topic);
}

void showContents(HelpViewer& viewer, const QString& helpFile)
{
    viewer.showContents(helpFile);
}

void showMainTopic(HelpViewer& viewer, int topic)
{
    showTopic(viewer, MainFile, topic);
}

void showMainContents(HelpViewer& viewer)
{
    showContents(viewer, MainFile);
}

} // namespace ql::help
