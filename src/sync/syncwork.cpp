#include "sync/syncwork.h"

namespace ql::sync {

QString Outcome::summary() const
{
    auto count = [](int n, const QString& one, const QString& many) {
        return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
    };
    QStringList parts{count(received, QStringLiteral("received"), QStringLiteral("received")),
                      count(sent, QStringLiteral("sent"), QStringLiteral("sent")),
                      count(conflicts, QStringLiteral("conflict"), QStringLiteral("conflicts"))};
    return parts.join(QStringLiteral(", "));
}

std::vector<Collection> discover(const Account&, const QString&, Progress&)
{
    throw SyncError("Finding collections is not available yet.");
}

Outcome run(const QString&, const Account&, const QString&, Progress&, const ConflictChooser&)
{
    throw SyncError("Sync is not available yet.");
}

} // namespace ql::sync
