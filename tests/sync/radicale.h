#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;

// A radicale server of the test's own on 127.0.0.1 at a free port, with a storage folder of its
// own and one user in a plain htpasswd file; stopped when it goes. It logs each request it takes
// to a file of its own; its warnings reach the test's output when it stops.
namespace ql::test {

class Radicale {
public:
    static constexpr const char* kUser = "ada";
    static constexpr const char* kPassword = "lovelace";

    // Starts the server; isRunning tells whether it did, and failure why not.
    Radicale();
    ~Radicale();
    Radicale(const Radicale&) = delete;
    Radicale& operator=(const Radicale&) = delete;

    static bool isInstalled();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QString failure() const { return m_failure; }
    void stop();
    void start();

    QUrl url() const;                           // http://127.0.0.1:PORT/
    QUrl collection(const QString& name) const; // of the user: /ada/NAME/
    // Makes the collections the tests sync with: "contacts" (an address book), "tasks" (VTODO)
    // and "journal" (VJOURNAL), each with a display name.
    void makeCollections();
    // The processor time the server has used so far, in milliseconds.
    qint64 processorMs() const;
    // A request of the test's own, with the user's name and password; its status and body. The
    // test's requests share one connection.
    std::pair<int, QByteArray> request(const QByteArray& method, const QUrl& url,
                                       const QByteArray& body = {},
                                       const QByteArray& contentType = {},
                                       const QByteArray& depth = "1");
    // The requests the server took since the last call, each as "METHOD /path".
    QStringList requests();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_failure;
    qint64 m_logRead = 0; // how far requests() read the log
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace ql::test
