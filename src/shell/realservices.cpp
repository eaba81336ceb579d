#include "shell/realservices.h"

#include "core/seams.h"
#include "core/settings.h"
#include "report/paint.h"
#include "report/preview.h"
#include "widgets/helpwindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QWidget>
#include <cstdio>

namespace ql {
namespace {

// "Text files (*.txt)|*.txt|All Files (*.*)|*.*" as Qt writes it: "Text files (*.txt);;All…".
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names << parts.at(i);
    return names.join(QStringLiteral(";;"));
}

// The folders and the files the user may run, for a file dialog that chooses a program.
class ProgramFiles : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QFileInfo file = files->fileInfo(files->index(row, 0, parent));
        return file.isDir() || file.isExecutable();
    }
};

} // namespace

class DialogPrompts : public Prompts {
public:
    // From now on nothing waits on the user (RealServices::stopAsking).
    void stopAsking() { m_asking = false; }

    std::optional<QString> inputBox(QWidget* parent, const QString& caption,
                                    const QString& prompt) override
    {
        return lineBox(parent, caption, prompt, QLineEdit::Normal);
    }

    std::optional<QString> passwordBox(QWidget* parent, const QString& caption,
                                       const QString& prompt) override
    {
        return lineBox(parent, caption, prompt, QLineEdit::Password);
    }

    void message(QWidget* parent, const QString& text, MessageKind kind) override
    {
        if (!m_asking) {
            std::fprintf(stderr, "%s: %s\n", qUtf8Printable(QApplication::applicationName()),
                         qUtf8Printable(text));
            return;
        }
        const QMessageBox::Icon icon = kind == MessageKind::Critical  ? QMessageBox::Critical
                                       : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                      : QMessageBox::NoIcon;
        QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
        box.exec();
    }

    bool confirm(QWidget* parent, const QString& text) override
    {
        if (!m_asking)
            return false;
        QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        // Every question asks before a delete: Enter must not delete.
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override
    {
        if (!m_asking)
            return {};
        return QFileDialog::getOpenFileName(parent, title, QString(), qtFilter(filter));
    }

    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& defaultSuffix) override
    {
        if (!m_asking)
            return {};
        QFileDialog dialog(parent, title, QString(), qtFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix.startsWith(QLatin1Char('.')) ? defaultSuffix.mid(1)
                                                                           : defaultSuffix);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }

    QString openProgramName(QWidget* parent, const QString& title,
                            const QString& filterName) override
    {
        if (!m_asking)
            return {};
        // Programs here carry no extension of their own: the list shows what may be run.
        QFileDialog dialog(parent, title);
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(filterName + QStringLiteral(" (*)"));
        dialog.setProxyModel(new ProgramFiles(&dialog));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }

private:
    // An input dialog with the prompt, its field showing or hiding what is typed.
    std::optional<QString> lineBox(QWidget* parent, const QString& caption, const QString& prompt,
                                   QLineEdit::EchoMode echo)
    {
        if (!m_asking)
            return std::nullopt;
        QInputDialog dialog(parent);
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setTextEchoMode(echo);
        // The layout fits the prompt and sets the dialog's least size: the prompt's line is made
        // wide enough for the whole caption too, in a title bar with a bold font, an icon and
        // three buttons.
        QFont bold = dialog.font();
        bold.setBold(true);
        dialog.findChild<QLabel*>()->setMinimumWidth(
            QFontMetrics(bold).horizontalAdvance(caption) +
            4 * dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight));
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }

    // Whether the user is still there to answer.
    bool m_asking = true;
};

namespace {

class PrinterPrinting : public Printing {
public:
    void printWindow(QWidget* window) override
    {
        QPrinter printer(QPrinter::HighResolution);
        if (report::currentPrinterOrPdf(window, printer))
            report::printWindow(printer, window);
    }

    void previewReport(QWidget* parent, const report::Document& document) override
    {
        report::PreviewWindow preview(document, parent);
        preview.exec();
    }

    void printReport(QWidget* parent, const report::Document& document) override
    {
        QPrinter printer(QPrinter::HighResolution);
        if (report::currentPrinterOrPdf(parent, printer))
            report::printWithProgress(parent, printer, document);
    }
};

// One help window for the run, made when help is first asked for and again after a modal window
// that took it in closed; it goes with the services, before the application does.
class WindowHelpViewer : public HelpViewer {
public:
    WindowHelpViewer() = default;
    WindowHelpViewer(const WindowHelpViewer&) = delete;
    WindowHelpViewer& operator=(const WindowHelpViewer&) = delete;
    ~WindowHelpViewer() override { delete m_window; }

    void showTopic(const QString& helpFile, int topic) override
    {
        window().showTopic(helpFile, topic);
    }
    void showContents(const QString& helpFile) override { window().showContents(helpFile); }

private:
    HelpWindow& window()
    {
        if (!m_window)
            m_window = new HelpWindow;
        return *m_window;
    }

    QPointer<HelpWindow> m_window;
};

class DetachedProcessStarter : public ProcessStarter {
public:
    bool start(const QString& program) override { return QProcess::startDetached(program, {}); }
};

} // namespace

RealServices::RealServices()
    : m_settings(std::make_unique<SettingsFile>())
    , m_prompts(std::make_unique<DialogPrompts>())
    , m_printing(std::make_unique<PrinterPrinting>())
    , m_helpViewer(std::make_unique<WindowHelpViewer>())
    , m_processStarter(std::make_unique<DetachedProcessStarter>())
    , m_services(m_settings.get(), m_prompts.get(), m_printing.get(), m_helpViewer.get(),
                 m_processStarter.get())
{
}

RealServices::~RealServices() = default;

void RealServices::stopAsking()
{
    m_prompts->stopAsking();
}

} // namespace ql
