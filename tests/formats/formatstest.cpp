#include "formatstest.h"

#include "store/tablebulk.h"

#include <QProcess>

namespace ql::test {

std::vector<QStringList> tableTexts(const Table& table, const QStringList& fields)
{
    std::vector<QStringList> rows;
    for (const TableBulk::Texts& record : TableBulk::readTexts(table, fields)) {
        QStringList row;
        for (int i = 0; i < fields.size(); ++i)
            row << record.text(i).toString();
        rows.push_back(row);
    }
    return rows;
}

PeerRun runPeer(const QString& program, const QStringList& arguments)
{
    QProcess process;
    // The peers run in a locale every system has.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    environment.insert("LANG", "C.UTF-8");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000);
    return {ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace ql::test
