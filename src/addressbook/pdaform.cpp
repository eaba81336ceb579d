#include "pdaform.h"

namespace ql {

TPDAForm::TPDAForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PDAForm"));
    setWindowTitle(QStringLiteral("Quillory - Address Book"));
}

} // namespace ql
