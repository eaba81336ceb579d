#include "guard.h"

#include "error.h"
#include "seams.h"

#include <QString>
#include <exception>

namespace ql {

bool guarded(QWidget* parent, const std::function<void()>& command)
{
    QString failure;
    try {
        command();
        return true;
    } catch (const Error& e) {
        failure = e.text();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    services::prompts().message(parent, failure, MessageKind::Critical);
    return false;
}

} // namespace ql
