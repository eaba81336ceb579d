#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace ql {

// The organizer's help: a top-level window showing the pages of the help books built into the
// program. The real help viewer (shell/realservices.h) makes one on first use and keeps it for the
// run. A book is named by its help file, "qlhelp.hlp" or "QYTools.hlp",
// without a folder and without regard to letter case; topic 0 is a book's contents.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    HelpWindow();

    // The page of a topic; empty when the book or the topic does not exist.
    static QUrl pageUrl(const QString& helpFile, int topic);

    // Show the page, or a page saying the topic is not available, and bring the window forward.
    void showTopic(const QString& helpFile, int topic);
    void showContents(const QString& helpFile);

private:
    void showPage(const QUrl& url);
    void pageShown(const QUrl& url);

    QTextBrowser* m_browser;
    QUrl m_contents; // the contents of the book shown last
};

} // namespace ql
