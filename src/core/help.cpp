#include "core/help.h"

#include "core/seams.h"

namespace ql::help {
namespace {
QString& current()
{
    static QString file = MainFile;
    return file;
}
} // namespace

void setHelpFile(const QString& fileName)
{
    current() = fileName;
}

QString helpFile()
{
    return current();
}

void showTopic(int topic)
{
    services::helpViewer().showTopic(current(), topic);
}

void showContents()
{
    services::helpViewer().showContents(current());
}

void showMainTopic(int topic)
{
    setHelpFile(MainFile);
    showTopic(topic);
}

void showMainContents()
{
    setHelpFile(MainFile);
    showContents();
}

} // namespace ql::help
