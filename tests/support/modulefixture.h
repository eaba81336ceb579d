#pragma once

#include "core/aboutbox.h"
#include "core/context.h"
#include "shell/startup.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "widgets/dbcontrols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace ql::test {

// A started program with a module's holder and window made as the opener makes them, the
// window shown (not modally, so the test can drive it). The clock stands in 2024.
template <typename Holder, typename Window> struct ModuleFixture {
    ScriptedServices services;
    ProgramDirectory dir;
    FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    std::unique_ptr<Holder> holder;
    std::unique_ptr<Window> window;

    // A window made over its holder and what the run's windows share.
    explicit ModuleFixture(const std::function<void(Holder&)>& fill)
        : holder(std::make_unique<Holder>(dir.session()))
    {
        fill(*holder);
        window = std::make_unique<Window>(*holder, context());
        window->show();
    }
    ~ModuleFixture() { close(); }
    void close()
    {
        window.reset();
        holder.reset();
    }
    const RunContext& context() const { return program->context(); }
    // A control of the window, found by its object name.
    template <typename Control = QPushButton> Control* find(const char* name) const
    {
        return findIn<Control>(*window, name);
    }
    template <typename Control> static Control* findIn(const QWidget& shown, const char* name)
    {
        auto* control = shown.findChild<Control*>(QString::fromLatin1(name));
        if (!control)
            qFatal("The window has no control %s", name);
        return control;
    }
    void click(const char* button) const { click(find(button)); }
    void click(QPushButton* button) const { QTest::mouseClick(button, Qt::LeftButton); }
    void ask(const char* button, const QString& answer) { ask(find(button), answer); }
    void ask(QPushButton* button, const QString& answer)
    {
        services.prompts->inputs.enqueue(answer);
        click(button);
    }
    QStringList messages() const { return services.prompts->messages; }
    // A column of the list, top to bottom.
    QStringList listed(int column = 0) const { return listedIn(*window, column); }
    static QStringList listedIn(const Window& shown, int column)
    {
        QStringList rows;
        const QAbstractItemModel* model = findIn<DBGrid>(shown, "DBGrid1")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, column).data().toString();
        return rows;
    }
    // Opens the module from the main menu's button, lets `use` act on the modal window and
    // closes it with its Close button.
    void openFromMainMenu(QPushButton* button, const std::function<void(Window&)>& use)
    {
        close();
        QTimer::singleShot(0, [&] {
            auto* opened = qobject_cast<Window*>(QApplication::activeModalWidget());
            QVERIFY(opened);
            use(*opened);
            findIn<QPushButton>(*opened, "ExitBtn")->click();
        });
        click(button);
        for (QWidget* shown : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<Window*>(shown)); // made for this opening only
    }
};

// The controls of a window that a screen reader could not name.
inline QStringList unnamedControls(QWidget* window)
{
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QPlainTextEdit*>(w) || qobject_cast<DBGrid*>(w) ||
                             qobject_cast<DBText*>(w);
        // Parts Qt makes inside its own widgets carry no object name.
        if (control && !w->objectName().isEmpty() &&
            !w->objectName().startsWith(QLatin1String("qt_")) && w->accessibleName().isEmpty())
            unnamed << w->objectName();
    }
    return unnamed;
}

// Whether the list and the editors grow when the window does.
template <typename Window> bool growsWithTheWindow(Window& window)
{
    const auto* list = window.template findChild<DBGrid*>(QStringLiteral("DBGrid1"));
    const auto* memo = window.template findChild<DBMemo*>(QStringLiteral("DBMemo1"));
    window.resize(640, 420);
    QApplication::processEvents();
    const QSize listSize = list->size();
    const QSize memoSize = memo->size();
    window.resize(1100, 800);
    QApplication::processEvents();
    return list->width() > listSize.width() && list->height() > listSize.height() &&
           memo->height() > memoSize.height();
}

} // namespace ql::test
