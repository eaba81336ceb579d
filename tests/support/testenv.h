#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <utility>

namespace ql::test {

// The text of the ql::Error the call fails with; "(no error)" when it does not fail.
QString failureText(const std::function<void()>& call);

// Fixes what every test relies on: the en_US locale and a clock that tells the system time.
void setUpProcess();

// A fresh program directory laid out by the installer, with a new session pointing at it (no
// passwords known, "Quilbase" naming its Data folder) and a settings file of its own. Removed
// with everything in it at the end.
class ProgramDirectory {
public:
    ProgramDirectory();
    ~ProgramDirectory();
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    QString path() const;
    QString settingsFile() const;
    QString dataPath() const;
    QString filePath(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// The number of records a table file keeps and the number it holds, read through a connection of
// its own; the number kept is -1 when the file keeps none.
std::pair<qint64, qint64> keptAndHeldRecords(const QString& tablePath);

// Makes a table file one that an earlier build wrote, which kept no number of its records.
void keepNoCount(const QString& tablePath);

// Puts the program's clock at a fixed moment for as long as it lives.
class FixedClock {
public:
    explicit FixedClock(const QDateTime& moment);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
    void set(const QDateTime& moment) { m_moment = moment; }

private:
    QDateTime m_moment;
};

} // namespace ql::test
