#include "core/guard.h"

#include "core/seams.h"
#include "store/error.h"

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
    Services::of(parent).prompts().message(parent, failure, MessageKind::Critical);
    return false;
}

} // namespace ql
