#include "FormAbout.h"
#include "FormHelp.h"
#include "Modal.h"
#include "QtPrompter.h"
#include "ScriptedPrompter.h"
#include "Strings.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

namespace
{
QList<FormHelp *> helpWindows()
{
    QList<FormHelp *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *help = qobject_cast<FormHelp *>(w))
            found.append(help);
    return found;
}

// Anchor names and link targets of the page the browser shows.
void scanPage(const QTextBrowser *browser, QStringList &anchors, QStringList &links)
{
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            anchors += format.anchorNames();
            if (!format.anchorHref().isEmpty())
                links += format.anchorHref();
        }
}
} // namespace

class TestFormHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { qDeleteAll(helpWindows()); }
    void everyTopicAndKeywordLeadsToAnExistingPlace()
    {
        FormHelp::showHelp(nullptr, loadString(5500), FormHelp::HelpContents);
        QCOMPARE(helpWindows().size(), 1);
        FormHelp *help = helpWindows().first();
        QTextBrowser *browser = help->browser();
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Getting started")));

        // Walk every page reachable from the contents and from the keyword index.
        QList<QUrl> targets{browser->source()};
        for (int i = 0; i < help->indexList()->count(); ++i)
            targets += browser->source().resolved(
                QUrl(help->indexList()->item(i)->data(Qt::UserRole).toString()));
        QHash<QUrl, QStringList> anchorsOfPage;
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const QUrl page = targets[i].adjusted(QUrl::RemoveFragment);
            if (anchorsOfPage.contains(page))
                continue;
            browser->setSource(page);
            QVERIFY2(!browser->toPlainText().trimmed().isEmpty(), qPrintable(page.toString()));
            QStringList links;
            scanPage(browser, anchorsOfPage[page], links);
            for (const QString &link : links)
                targets += page.resolved(QUrl(link));
        }
        QVERIFY(anchorsOfPage.size() >= 10);
        for (const QUrl &target : targets)
            QVERIFY2(!target.hasFragment() ||
                         anchorsOfPage[target.adjusted(QUrl::RemoveFragment)].contains(
                             target.fragment()),
                     qPrintable(target.toString()));
    }

    void indexKeepsKeywordsBeginningWithTheTypedText()
    {
        FormHelp::showHelp(nullptr, loadString(5500), FormHelp::HelpPartialKey);
        FormHelp *help = helpWindows().first();
        QVERIFY(help->indexPanel()->isVisible());

        QTest::keyClicks(help->indexField(), QStringLiteral("SET"));
        QStringList shown;
        for (int i = 0; i < help->indexList()->count(); ++i)
            if (!help->indexList()->item(i)->isHidden())
                shown += help->indexList()->item(i)->text();
        // "Receive Settings" and "Send Settings" contain the text but do not begin with it.
        QCOMPARE(shown.size(), 3);
        for (const QString &keyword : shown)
            QVERIFY2(keyword.startsWith(QStringLiteral("Settings")), qPrintable(keyword));
        QTest::keyClick(help->indexField(), Qt::Key_Down);
        QCOMPARE(help->indexList()->currentItem()->text(), shown[1]);
        QTest::keyClick(help->indexField(), Qt::Key_Return);
        QCOMPARE(help->browser()->documentTitle(), QStringLiteral("Serial ports"));

        help->indexField()->setText(QStringLiteral("Emissivity l"));
        QListWidget *list = help->indexList();
        QListWidgetItem *item = list->currentItem();
        QCOMPARE(item->text(), QStringLiteral("Emissivity list"));
        // A real double click arrives as a click followed by a double-click event.
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(help->browser()->documentTitle(), QStringLiteral("Serial ports"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(help->browser()->source().fragment(), QStringLiteral("list"));

        help->indexField()->setText(QStringLiteral("zz"));
        QTest::keyClick(help->indexField(), Qt::Key_Return);
        QCOMPARE(help->browser()->source().fragment(), QStringLiteral("list"));
    }

    void laterCallsReuseTheManualsWindow()
    {
        FormHelp::showHelp(nullptr, QStringLiteral("OrvanRtmE.hlp"), FormHelp::HelpContents);
        FormHelp *first = helpWindows().first();
        first->close();
        FormHelp::showHelp(nullptr, QStringLiteral("C:\\Orvan\\OrvanRtmJ.hlp"),
                           FormHelp::HelpOnHelp);
        QCOMPARE(helpWindows(), QList<FormHelp *>{first});
        QVERIFY(first->isVisible());
        QCOMPARE(first->browser()->documentTitle(), QStringLiteral("Using Help"));
        QCOMPARE(first->windowTitle(),
                 QStringLiteral("Orvan Utility Help - Real Time Measurement"));
    }

    void unknownHelpFileGivesOneMessageAndNoWindow()
    {
        ScriptedPrompter prompter;
        FormHelp::showHelp(nullptr, QStringLiteral("OrvanGrpE.hlp"), FormHelp::HelpContents);
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.lastText(), loadString(1766) + QStringLiteral("\rOrvanGrpE.hlp"));
        QVERIFY(helpWindows().isEmpty());
    }

    void aboutBoxShowsTitleAndVersion()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
        QString caption, version;
        onModal<FormAbout>(this, [&](FormAbout *about) {
            caption = about->windowTitle();
            version =
                about->LabelVersion->isVisibleTo(about) ? about->LabelVersion->text() : QString();
            about->CommandOK->click();
        });
        FormAbout::show1(nullptr);
        QCOMPARE(caption, QStringLiteral("About Orvan Utility"));
        QVERIFY(version.contains(QStringLiteral("1.2.3")));
    }

    // The application's message box: its lines, its buttons and the answer of the one pressed;
    // Escape on a box without Cancel counts as its negative answer.
    void messageBoxAnswersWithTheButtonPressed_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("pressed"); // a standard button; 0: the Escape key
        QTest::addColumn<int>("answer");
        QTest::newRow("OK") << int(Prompter::Ok) << 0 << int(Prompter::AnswerOk);
        QTest::newRow("Cancel") << int(Prompter::OkCancel) << int(QMessageBox::Cancel)
                                << int(Prompter::AnswerCancel);
        QTest::newRow("No") << int(Prompter::YesNoCancel) << int(QMessageBox::No)
                            << int(Prompter::AnswerNo);
        QTest::newRow("Escape on Yes/No") << int(Prompter::YesNo) << 0 << int(Prompter::AnswerNo);
        QTest::newRow("Retry") << int(Prompter::RetryCancel) << int(QMessageBox::Retry)
                               << int(Prompter::AnswerRetry);
    }

    void messageBoxAnswersWithTheButtonPressed()
    {
        QFETCH(int, buttons);
        QFETCH(int, pressed);
        QString title, text;
        onModal<QMessageBox>(this, [&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            if (pressed)
                box->button(QMessageBox::StandardButton(pressed))->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        QtPrompter prompter;
        const int answer = prompter.message(QStringLiteral("No reply.\rRetry?"),
                                            Prompter::Buttons(buttons), Prompter::Question);
        QTEST(answer, "answer");
        QCOMPARE(title, loadString(6001));
        QCOMPARE(text, QStringLiteral("No reply.\nRetry?"));
    }
};

QTEST_MAIN(TestFormHelp)
#include "tst_formhelp.moc"
