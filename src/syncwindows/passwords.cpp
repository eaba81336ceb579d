#include "syncwindows/passwords.h"

#include "core/seams.h"

#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <qt6keychain/keychain.h>

namespace ql {
namespace {

const QString kService = QStringLiteral("Quillory");
// How long a secret store may take to answer before the sync goes on as where none runs: one that
// is started but hangs would keep the sync waiting for ever.
constexpr int kSecretStoreWaitMs = 4000;

} // namespace

QString passwordKey(const sync::Account& account)
{
    const QUrl& server = account.server;
    const QString host = server.port() < 0
                             ? server.host()
                             : QStringLiteral("%1:%2").arg(server.host()).arg(server.port());
    return account.user + QLatin1Char('@') + host;
}

void readSyncPassword(const sync::Account& account, QObject* context,
                      const std::function<void(const std::optional<QString>&)>& answer)
{
    // The job deletes itself once it has answered; the answer is dropped with `context`.
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(passwordKey(account));
    // Never a file in the clear where no secret store answers.
    job->setInsecureFallback(false);
    // Whichever comes first, the store's answer or the end of the wait, is handed on; the other
    // is dropped.
    auto waiting = std::make_shared<bool>(true);
    auto once = [waiting, answer](const std::optional<QString>& password) {
        if (*waiting) {
            *waiting = false;
            answer(password);
        }
    };
    QObject::connect(job, &QKeychain::Job::finished, context, [job, once] {
        once(job->error() == QKeychain::NoError ? std::optional(job->textData()) : std::nullopt);
    });
    QTimer::singleShot(kSecretStoreWaitMs, context, [once] { once(std::nullopt); });
    job->start();
}

std::optional<QString> readSyncPassword(const sync::Account& account)
{
    std::optional<QString> password;
    bool answered = false;
    QEventLoop loop;
    readSyncPassword(account, &loop, [&](const std::optional<QString>& kept) {
        password = kept;
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec();
    return password;
}

bool saveSyncPassword(const sync::Account& account, const QString& password)
{
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(passwordKey(account));
    job->setInsecureFallback(false);
    job->setTextData(password);
    bool kept = false;
    bool answered = false;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
        kept = job->error() == QKeychain::NoError;
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(kSecretStoreWaitMs, &loop, &QEventLoop::quit);
    job->start();
    if (!answered)
        loop.exec();
    return kept;
}

std::optional<QString> askSyncPassword(QWidget* parent, const sync::Account& account)
{
    return Services::of(parent).prompts().passwordBox(
        parent, QStringLiteral("Quillory - Sync"),
        QStringLiteral("Password of %1 on %2:").arg(account.user, account.server.host()));
}

} // namespace ql
