#pragma once

#include "report/report.h"

#include <QDialog>
#include <QPrinter>

class QAction;
class QLabel;
class QScrollArea;
class QToolBar;

namespace ql::report {

// The preview of a laid-out report: its pages one at a time, at a zoom the user chooses, with
// commands that print them on the set-up printer, set up that printer, or save them as PDF.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    PreviewWindow(Document document, QWidget* parent = nullptr);

    int currentPage() const { return m_page; } // from 1
    int pageCount() const { return int(m_document.pages.size()); }
    void showPage(int page);
    void setZoom(double zoom);
    // The zoom at which a whole page fits the window.
    void showWholePage();

    QAction* action(const QString& name) const;

    void PrintClick();
    void PrinterSetupClick();
    void SaveClick();

protected:
    // The preview opens with a whole page in view.
    void showEvent(QShowEvent* event) override;

private:
    QAction* addAction(const char* name, const QString& text, const QString& hint,
                       const QKeySequence& keys, const std::function<void()>& command);
    void render();
    void fitScreen(const QWidget* asker);

    Document m_document;
    QPrinter m_printer;
    int m_page = 1;
    double m_zoom = 1.0;
    bool m_shown = false;
    QToolBar* m_tools;
    QScrollArea* m_scroll;
    QLabel* m_picture;
    QLabel* m_status;
};

} // namespace ql::report
