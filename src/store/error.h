#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace ql {

// A failure of a command, carrying the text the user is shown.
class Error : public std::exception {
public:
    explicit Error(QString text)
        : m_text(std::move(text))
        , m_utf8(m_text.toUtf8())
    {
    }
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

} // namespace ql
