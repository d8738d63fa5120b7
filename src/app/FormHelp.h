#pragma once

#include <QList>
#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextBrowser;

// The help viewer: one modeless window per manual, showing bundled HTML topics with a
// contents page, a keyword index and a page on using the viewer itself. The windows are
// kept once made and never keep the application running on their own.
class FormHelp : public QWidget
{
    Q_OBJECT
public:
    // The numbers the Help menus pass (the classic help-engine commands).
    enum HelpCommand { HelpContents = 3, HelpOnHelp = 4, HelpPartialKey = 261 };

    // Shows the manual of `helpFile` ("OrvanRtmE.hlp", a path ending in it, or the Japanese
    // "J.hlp" name of the same manual) at the page of `command`. The manual's window is
    // made on the first call and raised on later ones. A name without a bundled manual
    // gets one message and no window.
    static void showHelp(QWidget *owner, const QString &helpFile, int command);

    // The manual's folder under ":/help/" for a help-file name; empty when none is bundled.
    static QString manualFolder(const QString &helpFile);

    void showContents();
    void showIndex();
    void showHelpOnHelp();

    QTextBrowser *browser() const { return m_browser; }
    QLineEdit *indexField() const { return m_indexField; }
    QListWidget *indexList() const { return m_indexList; }
    QWidget *indexPanel() const { return m_indexPanel; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FormHelp(const QString &folder);
    void loadKeywords();
    void filterIndex(const QString &typed);
    void openKeyword(QListWidgetItem *item);

    QUrl m_base;
    QTextBrowser *m_browser = nullptr;
    QWidget *m_indexPanel = nullptr;
    QLineEdit *m_indexField = nullptr;
    QListWidget *m_indexList = nullptr;
    QPushButton *m_indexButton = nullptr;
};
