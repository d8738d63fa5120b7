#include "MainWindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

class TestFormMainGrid : public MainWindowFixture
{
    Q_OBJECT

    QTableWidget *m_grid = nullptr;

    void fill(int ch, int unit = 0)
    {
        channelData[ch] = std::make_unique<ClassData>();
        channelData[ch]->ChNo = static_cast<qint16>(ch);
        channelData[ch]->Unit = static_cast<qint16>(unit);
        channelData[ch]->Title = QStringLiteral("Kiln");
        channelData[ch]->MeasPerson = QStringLiteral("Ann");
        channelData[ch]->setRealTimeData(toDayCount(QDate(2026, 3, 1), QTime(10, 0)), 21.5f);
        m_main->dispCHRow(ch);
    }
    QPoint centre(int row, int column) const
    {
        return m_grid->visualItemRect(m_grid->item(row - 1, column)).center();
    }
    QColor mark(int row) const { return m_grid->item(row - 1, 0)->background().color(); }
    void click(int row, int column)
    {
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, centre(row, column));
    }
    // QTest's double click lacks the press a real one starts with.
    void open(int row, int column, bool doubleClick)
    {
        m_grid->setCurrentCell(row - 1, column);
        if (!doubleClick)
            return QTest::keyClick(m_grid, Qt::Key_Return);
        click(row, column);
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, centre(row, column));
    }

private Q_SLOTS:
    void init()
    {
        openMain();
        m_grid = m_main->MSFlexGridCH;
    }
    void cleanup() { closeMain(); }

    void editEnds_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("rowAfter");
        QTest::addColumn<bool>("stored");
        QTest::newRow("title, Down") << false << 1 << "Down" << 4 << true;
        QTest::newRow("person, Up") << false << 8 << "Up" << 2 << true;
        QTest::newRow("double click, Enter") << true << 1 << "Enter" << 4 << true;
        QTest::newRow("Escape discards") << false << 1 << "Escape" << 3 << false;
        QTest::newRow("window click") << false << 8 << "click" << 3 << true;
        QTest::newRow("menu opens") << true << 1 << "menu" << 3 << true;
        QTest::newRow("grid scrolls") << false << 1 << "scroll" << 3 << true;
    }
    void editEnds()
    {
        QFETCH(bool, doubleClick);
        QFETCH(int, column);
        QFETCH(QString, how);
        QFETCH(int, rowAfter);
        QFETCH(bool, stored);
        fill(2);
        m_main->resize(300, m_main->height());
        QTRY_VERIFY(m_grid->horizontalScrollBar()->maximum() > 0);
        open(3, column, doubleClick);
        QCOMPARE(m_main->Text1->geometry(), m_grid->visualItemRect(m_grid->item(2, column)));
        QVERIFY(m_main->Text1->isVisible());
        QTest::keyClicks(m_main->Text1, QStringLiteral(" 2"));

        const QMap<QString, Qt::Key> keys{{"Down", Qt::Key_Down},
                                          {"Up", Qt::Key_Up},
                                          {"Enter", Qt::Key_Enter},
                                          {"Escape", Qt::Key_Escape}};
        if (keys.contains(how))
            QTest::keyClick(m_main->Text1, keys[how]);
        else if (how == "click")
            QTest::mouseClick(m_main->LabelCH, Qt::LeftButton);
        else if (how == "menu")
            m_main->MenuTop[1]->popup(m_main->pos());
        else
            m_grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        m_main->MenuTop[1]->hide();

        const ClassData &data = *channelData[2];
        const QString text = (column == 1 ? "Kiln" : "Ann") + QString(stored ? " 2" : "");
        QVERIFY(m_main->Text1->isHidden());
        QCOMPARE(column == 1 ? data.Title : data.MeasPerson, text);
        QCOMPARE(m_grid->item(2, column)->text(), text);
        QCOMPARE(data.Changed, qint16(stored ? 1 : 0));
        QCOMPARE(m_main->MenuFileItem[2]->isEnabled(), stored);
        QCOMPARE(m_main->markedRow(), rowAfter);
    }

    void editingIsRefused_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("empty channel, title") << 5 << 1;
        QTest::newRow("empty channel, person") << 5 << 8;
        QTest::newRow("channel number") << 4 << 0;
        QTest::newRow("start time") << 4 << 2;
        QTest::newRow("average") << 4 << 7;
    }
    void editingIsRefused()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        fill(3);
        open(row, column, false);
        open(row, column, true);
        QVERIFY(m_main->Text1->isHidden());
    }

    void arrowKeysMoveTheMarking_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("running");
        QTest::addColumn<int>("rowAfter");
        QTest::newRow("up from CH1") << 1 << int(Qt::Key_Up) << "" << 1;
        QTest::newRow("down from CH8") << 8 << int(Qt::Key_Down) << "" << 8;
        QTest::newRow("up from CH5") << 5 << int(Qt::Key_Up) << "" << 4;
        QTest::newRow("measuring") << 5 << int(Qt::Key_Down) << "measuring" << 6;
        QTest::newRow("choosing a channel") << 5 << int(Qt::Key_Up) << "selectingCH" << 4;
    }
    void arrowKeysMoveTheMarking()
    {
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(QString, running);
        QFETCH(int, rowAfter);
        m_main->selectRow(row);
        m_main->engine().measuring = running == "measuring";
        m_main->selectingCH = running == "selectingCH";
        QTest::keyClick(m_grid, Qt::Key(key));
        QCOMPARE(m_main->markedRow(), rowAfter);
        QCOMPARE(mark(rowAfter), m_main->palette().color(QPalette::Dark));
        if (rowAfter != row)
            QCOMPARE(mark(row), m_main->palette().color(QPalette::Button));
        QCOMPARE(m_main->curCH, qint16((running.isEmpty() ? rowAfter : row) - 1));
        m_main->engine().measuring = m_main->selectingCH = false;
    }

    void clickedRowIsMarkedAndStaysVisible()
    {
        QCOMPARE(mark(1), m_main->palette().color(QPalette::Dark));
        click(3, 4);
        QCOMPARE(m_main->curCH, qint16(2));
        QCOMPARE(mark(3), m_main->palette().color(QPalette::Dark));
        QCOMPARE(mark(1), m_main->palette().color(QPalette::Button));
        // A selection highlight would hide the marking.
        click(5, 0);
        QCOMPARE(m_main->markedRow(), 5);
        QVERIFY(m_grid->selectedItems().isEmpty());
    }

    void unitHeadersFollowTheCurrentChannel()
    {
        fill(0, 1);
        fill(1, 0);
        const auto headers = [this] {
            QStringList texts;
            for (int c = 5; c < 8; ++c)
                texts << m_grid->horizontalHeaderItem(c)->text();
            return texts.join(u' ');
        };
        m_main->selectRow(1);
        QCOMPARE(headers(), QStringLiteral("Max[°F] Min[°F] Ave[°F]"));
        QTest::keyClick(m_grid, Qt::Key_Down);
        QCOMPARE(headers(), QStringLiteral("Max[°C] Min[°C] Ave[°C]"));
    }
};

QTEST_MAIN(TestFormMainGrid)
#include "tst_formmaingrid.moc"
