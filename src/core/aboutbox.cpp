#include "core/aboutbox.h"

#include "core/artwork.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/keys.h"
#include "core/seams.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace ql {

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent)
    , ProgramIcon(new QLabel(this))
    , ProductName(new QLabel(QStringLiteral("Quillory"), this))
    , Version(new QLabel(QStringLiteral("Version 3.0"), this))
    , OKButton(new QPushButton(QStringLiteral("&OK"), this))
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProductName->setObjectName(QStringLiteral("ProductName"));
    Version->setObjectName(QStringLiteral("Version"));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    ProgramIcon->setPixmap(QPixmap::fromImage(artwork::programIcon(64)));
    ProgramIcon->setAccessibleName(QStringLiteral("Program icon"));
    ProductName->setAccessibleName(QStringLiteral("Product"));
    Version->setAccessibleName(QStringLiteral("Version"));
    QFont large = ProductName->font();
    large.setPointSize(large.pointSize() + 6);
    large.setBold(true);
    ProductName->setFont(large);
    auto* copyright =
        new QLabel(QStringLiteral("A personal organizer: addresses, journal, to-do list, calendar, "
                                  "collections and records of your own."),
                   this);
    copyright->setWordWrap(true);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(ProgramIcon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(ProductName, 0, 1);
    layout->addWidget(Version, 1, 1);
    layout->addWidget(copyright, 2, 0, 1, 2);
    layout->setRowStretch(3, 1);
    layout->addWidget(OKButton, 4, 0, 1, 2, Qt::AlignHCenter);
    setFixedSize(367, 262);
}

void AboutBox::showFor(const QString& product, const QString& version)
{
    ProductName->setText(product);
    if (!version.isEmpty())
        Version->setText(version);
    exec();
}

void AboutBox::showEvent(QShowEvent* event)
{
    geometry::restore(Services::of(this).settings(), this, keys::Help, QRect(200, 108, 367, 262));
    QDialog::showEvent(event);
}

void AboutBox::done(int result)
{
    guarded(this, [this] { geometry::save(Services::of(this).settings(), this, keys::Help); });
    QDialog::done(result);
}

} // namespace ql
