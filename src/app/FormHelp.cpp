#include "FormHelp.h"

#include "Prompter.h"
#include "Strings.h"

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// Windows by manual folder; a window deleted from outside is made again on the next call.
QHash<QString, QPointer<FormHelp>> &helpWindows()
{
    static QHash<QString, QPointer<FormHelp>> windows;
    return windows;
}

const QString helpOnHelpPage = QStringLiteral("qrc:/help/helponhelp.html");

// The Help menus may pass the name with the application folder in front, in either
// separator style.
QString fileNamePart(const QString &path)
{
    static const QRegularExpression separator(QStringLiteral("[/\\\\]"));
    return path.mid(path.lastIndexOf(separator) + 1);
}

void placeNear(QWidget *window, const QWidget *owner)
{
    const QScreen *screen = owner ? owner->screen() : window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QPoint at = owner ? owner->frameGeometry().topLeft() + QPoint(40, 40) : area.topLeft();
    at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - window->width())));
    at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() - window->height())));
    window->move(at);
}
} // namespace

QString FormHelp::manualFolder(const QString &helpFile)
{
    // "OrvanRtmE.hlp" and "OrvanRtmJ.hlp" share the manual ":/help/rtm/".
    const QString name = fileNamePart(helpFile);
    static const QRegularExpression pattern(QStringLiteral("^Orvan([A-Za-z]+)[EJ]\\.hlp$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return {};
    const QString folder = match.captured(1).toLower();
    if (!QFile::exists(QStringLiteral(":/help/") + folder + QStringLiteral("/contents.html")))
        return {};
    return folder;
}

void FormHelp::showHelp(QWidget *owner, const QString &helpFile, int command)
{
    const QString folder = manualFolder(helpFile);
    if (folder.isEmpty()) {
        showMessage(loadString(1766) + QLatin1Char('\r') + fileNamePart(helpFile), Prompter::Ok,
                    Prompter::Information);
        return;
    }
    QPointer<FormHelp> &window = helpWindows()[folder];
    const bool made = window.isNull();
    if (made)
        window = new FormHelp(folder);

    switch (command) {
    case HelpOnHelp:
        window->showHelpOnHelp();
        break;
    case HelpPartialKey:
        window->showIndex();
        break;
    default:
        window->showContents();
        break;
    }
    if (made)
        placeNear(window, owner);
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    if (command == HelpPartialKey)
        window->m_indexField->setFocus();
}

FormHelp::FormHelp(const QString &folder)
    : QWidget(nullptr, Qt::Window), m_base(QStringLiteral("qrc:/help/") + folder + QLatin1Char('/'))
{
    setObjectName(QStringLiteral("FormHelp"));
    // A help window left open must not keep the application alive after its main window.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);

    auto *contentsButton = new QPushButton(QStringLiteral("Contents"), this);
    m_indexButton = new QPushButton(QStringLiteral("Index"), this);
    m_indexButton->setCheckable(true);
    auto *backButton = new QPushButton(QStringLiteral("< Back"), this);
    auto *forwardButton = new QPushButton(QStringLiteral("Forward >"), this);
    backButton->setEnabled(false);
    forwardButton->setEnabled(false);
    for (QPushButton *button : {contentsButton, m_indexButton, backButton, forwardButton})
        button->setAutoDefault(false);

    m_indexPanel = new QWidget(this);
    auto *prompt = new QLabel(QStringLiteral("Type the first letters of a keyword:"), m_indexPanel);
    m_indexField = new QLineEdit(m_indexPanel);
    m_indexField->setClearButtonEnabled(true);
    prompt->setBuddy(m_indexField);
    m_indexList = new QListWidget(m_indexPanel);
    auto *displayButton = new QPushButton(QStringLiteral("Display"), m_indexPanel);
    displayButton->setAutoDefault(false);
    auto *indexLayout = new QVBoxLayout(m_indexPanel);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(prompt);
    indexLayout->addWidget(m_indexField);
    indexLayout->addWidget(m_indexList, 1);
    indexLayout->addWidget(displayButton, 0, Qt::AlignRight);
    m_indexPanel->hide();

    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(false);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_indexPanel);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 500});
    splitter->setChildrenCollapsible(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(m_indexButton);
    buttons->addWidget(backButton);
    buttons->addWidget(forwardButton);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(780, 580);

    connect(contentsButton, &QPushButton::clicked, this, &FormHelp::showContents);
    connect(m_indexButton, &QPushButton::toggled, this, [this](bool on) {
        m_indexPanel->setVisible(on);
        if (on)
            m_indexField->setFocus();
    });
    connect(backButton, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forwardButton, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, backButton, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forwardButton, &QWidget::setEnabled);
    connect(m_indexField, &QLineEdit::textChanged, this, &FormHelp::filterIndex);
    connect(m_indexField, &QLineEdit::returnPressed, this,
            [this] { openKeyword(m_indexList->currentItem()); });
    connect(m_indexList, &QListWidget::itemActivated, this, &FormHelp::openKeyword);
    connect(displayButton, &QPushButton::clicked, this,
            [this] { openKeyword(m_indexList->currentItem()); });
    m_indexField->installEventFilter(this);

    m_browser->setSource(m_base.resolved(QUrl(QStringLiteral("contents.html"))));
    // The caption names the manual, whichever topic is showing.
    setWindowTitle(m_browser->documentTitle());
    loadKeywords();
}

void FormHelp::showContents()
{
    m_browser->setSource(m_base.resolved(QUrl(QStringLiteral("contents.html"))));
}

void FormHelp::showIndex()
{
    m_indexButton->setChecked(true);
    // What was typed last time stays, selected, so that typing starts afresh.
    m_indexField->selectAll();
    m_indexField->setFocus();
}

void FormHelp::showHelpOnHelp()
{
    m_browser->setSource(QUrl(helpOnHelpPage));
}

// Keyword lines read "keyword|topic.html#anchor"; lines starting with "#" are notes.
void FormHelp::loadKeywords()
{
    QFile file(QLatin1Char(':') + m_base.path() + QStringLiteral("keywords.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QList<QPair<QString, QString>> entries;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || bar < 1)
            continue;
        entries.append({line.left(bar).trimmed(), line.mid(bar + 1).trimmed()});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    for (const auto &entry : entries) {
        auto *item = new QListWidgetItem(entry.first, m_indexList);
        item->setData(Qt::UserRole, entry.second);
    }
    if (m_indexList->count() > 0)
        m_indexList->setCurrentRow(0);
}

void FormHelp::filterIndex(const QString &typed)
{
    const QString prefix = typed.trimmed();
    QListWidgetItem *first = nullptr;
    for (int i = 0; i < m_indexList->count(); ++i) {
        QListWidgetItem *item = m_indexList->item(i);
        const bool match = item->text().startsWith(prefix, Qt::CaseInsensitive);
        item->setHidden(!match);
        if (match && !first)
            first = item;
    }
    m_indexList->setCurrentItem(first);
    if (first)
        m_indexList->scrollToItem(first);
}

void FormHelp::openKeyword(QListWidgetItem *item)
{
    if (!item || item->isHidden())
        return;
    m_browser->setSource(m_base.resolved(QUrl(item->data(Qt::UserRole).toString())));
}

// Up and Down in the search field walk the visible keywords, so the hand stays on the keys.
bool FormHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_indexField && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(m_indexList, event);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
