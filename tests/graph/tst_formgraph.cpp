#include "AppState.h"
#include "FormCHSet.h"
#include "FormCurMove.h"
#include "FormDispRange.h"
#include "FormGraph.h"
#include "FormGraphMove.h"
#include "Format.h"
#include "Modal.h"
#include "PrintListing.h"
#include "SampleData.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include <cmath>

// The graph window's controls against its view: menus, check marks, scroll bars, legend,
// context menu and the place it keeps in the settings.
class TestFormGraph : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
        twipsPerPixelX = 15;
        twipsPerPixelY = 15;
    }

    void init()
    {
        Settings = SettingsRecord();
        MeasSetting = MeasSettingRecord();
        channelData[2] = makeSeries(3600, toDayCount(QDate(2026, 3, 1), QTime(10, 0, 0)), 1,
                                    [](int i) { return 25.0f + float(std::sin(i / 100.0)); });
        m_graph = std::make_unique<FormGraph>();
        m_graph->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_graph.get()));
    }

    void cleanup()
    {
        m_graph.reset();
        clearChannels();
    }

    void menusCheckTheScaleShown()
    {
        GraphPlot &plot = m_graph->plot();
        m_graph->MenuGraphTimeItem[8]->trigger(); // 1Hour
        QVERIFY(m_graph->MenuGraphTimeItem[8]->isChecked());
        QVERIFY(!m_graph->MenuGraphTimeItem[4]->isChecked());
        m_graph->MenuMulTimeItem[2]->trigger(); // 400%
        QVERIFY(m_graph->MenuMulTimeItem[2]->isChecked());
        QVERIFY(!m_graph->MenuMulTimeItem[0]->isChecked());
        QCOMPARE(plot.timeScale, 4.0f * 60.0f / 3600.0f);

        m_graph->MenuGraphYItem[4]->trigger(); // 10 degrees
        QCOMPARE(m_graph->MenuGraphYItem[4]->text(), QStringLiteral("10°C"));
        // Auto Ranging sets a scale that is no menu value.
        m_graph->MenuGraphItem[0]->trigger();
        QVERIFY(!m_graph->MenuGraphTimeItem[8]->isChecked());
        QVERIFY(!m_graph->MenuGraphYItem[4]->isChecked());
        QVERIFY(m_graph->MenuMulTimeItem[0]->isChecked());

        m_graph->MenuGraphYItem[9]->trigger(); // "F"
        QVERIFY(m_graph->MenuGraphYItem[9]->isChecked());
        QCOMPARE(plot.yUnitCaption(), QStringLiteral("[°F]"));
        m_graph->MenuGraphItem[5]->trigger(); // Grid
        QVERIFY(!plot.gridOn);
        QVERIFY(!m_graph->MenuGraphItem[5]->isChecked());
    }

    void scrollBarsMirrorTheViewAndMoveIt()
    {
        GraphPlot &plot = m_graph->plot();
        m_graph->MenuGraphTimeItem[4]->trigger(); // 1Min: the hour spans several widths
        QScrollBar *bar = m_graph->HScrollGraph;
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), plot.hScroll.max);
        QCOMPARE(bar->pageStep(), plot.hScroll.largeChange);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QVERIFY(plot.timeOrigin > 0);
        QCOMPARE(bar->value(), plot.hScroll.value);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(plot.timeOrigin, plot.timeMax);

        m_graph->MenuGraphYItem[0]->trigger(); // 0.1 degree: the range spans many heights
        QScrollBar *vBar = m_graph->VScrollGraph;
        QVERIFY(vBar->isVisible());
        const float bottom = plot.yBottom;
        vBar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QVERIFY(plot.yBottom > bottom);
        QCOMPARE(vBar->value(), plot.vScroll.value);
    }

    void rightClickOffersZoomsAndZoomBack()
    {
        GraphPlot &plot = m_graph->plot();
        const float before = plot.timeScale;
        QMenu *shown = nullptr;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (m_graph->MenuMulItem->isVisible() && !shown) {
                shown = m_graph->MenuMulItem;
                m_graph->MenuMulTimeItem[1]->trigger(); // 200%
                shown->close();
            }
        });
        poll.start(5);
        QTest::mouseClick(m_graph->gamen, Qt::RightButton, {}, m_graph->gamen->plotRect().center());
        QTRY_VERIFY(shown);
        QCOMPARE(plot.timeScale, 2.0f * before);
        m_graph->MenuMulBack->trigger();
        QCOMPARE(plot.timeScale, before);
    }

    void legendAndGeometryFollowTheWindow()
    {
        QVERIFY(m_graph->PictureLine[2]->isVisible());
        QVERIFY(!m_graph->PictureLine[0]->isVisible());
        QCOMPARE(m_graph->PictureLine[2]->palette().color(QPalette::Window), QColor(255, 0, 0));
        channelData[2].reset();
        m_graph->initGraphCh(2);
        QVERIFY(!m_graph->PictureLine[2]->isVisible());

        m_graph->resize(700, 500);
        m_graph->close();
        QVERIFY(!m_graph->isVisible());
        QCOMPARE(Settings.WidthG, 9600); // hiding keeps the window and writes nothing
        m_graph->closePermitted = true;
        m_graph->close();
        QCOMPARE(Settings.WidthG, 700 * 15);
        QCOMPARE(Settings.HeightG, 500 * 15);
    }

    void draggedRectangleZoomsInAndBack()
    {
        GraphPlot &plot = m_graph->plot();
        m_graph->MenuGraphTimeItem[4]->trigger(); // 1Min: 1 px per second
        const float before = plot.timeScale;
        QVERIFY(!m_graph->MenuGraphItem[1]->isEnabled());
        const QPoint corner = m_graph->gamen->plotRect().topLeft();
        QTest::mousePress(m_graph->gamen, Qt::LeftButton, {}, corner + QPoint(100, 40));
        QTest::mouseMove(m_graph->gamen, corner + QPoint(160, 80));
        QTest::mouseMove(m_graph->gamen, corner + QPoint(220, 120));
        QTest::mouseRelease(m_graph->gamen, Qt::LeftButton, {}, corner + QPoint(220, 120));
        QVERIFY(plot.select.Visible());
        QCOMPARE(plot.select.rect(), QRect(100, 40, 120, 80));
        QVERIFY(m_graph->MenuGraphItem[1]->isEnabled());
        QVERIFY(m_graph->MenuMulSelect->isEnabled());

        m_graph->MenuGraphItem[1]->trigger();
        QCOMPARE(plot.timeOrigin, 100);
        QVERIFY(plot.timeScale >= 4.0f * before);
        QVERIFY(!m_graph->MenuGraphItem[1]->isEnabled());
        m_graph->MenuGraphItem[4]->trigger(); // Zoom Back
        QCOMPARE(plot.timeScale, before);
        QCOMPARE(plot.timeOrigin, 0);
    }

    void memScaleKeepsTheLastFiveNumbered()
    {
        GraphPlot &plot = m_graph->plot();
        for (int i = 0; i < 6; ++i) {
            m_graph->MenuGraphTimeItem[i]->trigger();
            m_graph->MenuMulMem->trigger();
        }
        QStringList items;
        for (QAction *item : m_graph->MenuMulBuff)
            items << item->text();
        QCOMPARE(items, QStringList({"No.2", "No.3", "No.4", "No.5", "No.6"}));
        QCOMPARE(m_graph->MenuMulMem->text(), QStringLiteral("Mem Scale(No.7)"));
        m_graph->MenuGraphTimeItem[12]->trigger();
        m_graph->MenuMulBuff.first()->trigger(); // No.2: 5 s per division
        QCOMPARE(plot.timeBaseScale, 12.0f);
        m_graph->MenuMulBuff.last()->trigger(); // No.6 (5Min), stored in the first slot again
        QCOMPARE(plot.timeBaseScale, 0.2f);
    }

    void dialogsOfTheGraphMenuAct()
    {
        GraphPlot &plot = m_graph->plot();
        ScriptedPrompter prompter;
        onModal<FormGraphMove>(this, [](FormGraphMove *move) {
            move->Texthh->setText(QStringLiteral("00"));
            move->Textnn->setText(QStringLiteral("30"));
            move->Textss->setText(QStringLiteral("00"));
            move->Command1[0]->click();
        });
        m_graph->MenuGraphItem[8]->trigger();
        QCOMPARE(plot.timeOrigin, 1800);

        onModal<FormDispRange>(this, [](FormDispRange *range) {
            range->Text1[0]->setText(QStringLiteral("30"));
            range->Text1[1]->setText(QStringLiteral("20"));
            range->Command1[0]->click();
        });
        m_graph->MenuGraphYItem0[1]->trigger();
        QVERIFY(qAbs(plot.yBottom - 20.0f) < 0.01f);
        QVERIFY(qAbs(plot.infYAxis(0) - 30.0f) < 0.01f);

        onModal<FormCurMove>(this, [](FormCurMove *move) {
            move->Textnn->setText(QStringLiteral("10"));
            move->Command1[0]->click();
        });
        m_graph->MenuCurMoveItem[0]->trigger();
        QCOMPARE(plot.getCursorATime(), 600);
        QCOMPARE(m_graph->CurDataTable->item(0, 2)->text(), QStringLiteral("00:10:00"));

        prompter.answerColor(0x00ff00);
        onModal<FormCHSet>(this, [](FormCHSet *set) {
            set->ButtonChangeColor[2]->click();
            set->Command1[0]->click();
        });
        m_graph->MenuGraphItem[6]->trigger();
        QCOMPARE(plot.getWaveColor(2), qRgb(0, 255, 0));
        QCOMPARE(m_graph->PictureLine[2]->palette().color(QPalette::Window), QColor(0, 255, 0));
    }

    void defaultSizeShowsTablesWhole()
    {
        // Measuring the tables leaves the readings of the opening view in place.
        QCOMPARE(m_graph->CurDataTable->item(0, 5)->text(),
                 valueText(channelData[2]->getDataY(0), channelData[2]->Resolution));
        // The widest readings the tables show: value codes, times, counts and spans.
        const QStringList values{"-OVER", "ERROR", "+OVER", "-123.4"};
        const auto fill = [](QTableWidget *table, int column, const QStringList &texts) {
            for (int r = 0; r < table->rowCount(); ++r)
                table->item(r, column)->setText(texts[r % texts.size()]);
        };
        fill(m_graph->CurDataTable, 1, {"0Days", "26/03/01"});
        fill(m_graph->CurDataTable, 2, {"00:00:00"});
        for (int c = 3; c < 15; ++c)
            fill(m_graph->CurDataTable, c, values);
        for (int c = 0; c < 4; ++c)
            fill(m_graph->CurDataTable2, c, values);
        fill(m_graph->CurDataTable2, 4, {"32000"});
        fill(m_graph->CurDataTable2, 5, {"00:00:00"});
        QCoreApplication::processEvents();
        for (QTableWidget *table : {m_graph->CurDataTable, m_graph->CurDataTable2}) {
            const QRect shown = table->viewport()->rect();
            for (int r = 0; r < table->rowCount(); ++r) {
                for (int c = 0; c < table->columnCount(); ++c) {
                    const QTableWidgetItem *item = table->item(r, c);
                    const QRect cell = table->visualItemRect(item);
                    const QString where = QStringLiteral("%1 %2,%3 %4 in %5x%6")
                                              .arg(table->objectName())
                                              .arg(r)
                                              .arg(c)
                                              .arg(item->text())
                                              .arg(shown.width())
                                              .arg(shown.height());
                    QVERIFY2(shown.contains(cell), qPrintable(where));
                    QVERIFY2(cell.width() > table->fontMetrics().horizontalAdvance(item->text()),
                             qPrintable(where));
                }
            }
        }

        // A size the user left is kept.
        Settings.WidthG = 700 * 15;
        Settings.HeightG = 500 * 15;
        FormGraph stored;
        QCOMPARE(stored.size(), QSize(700, 500));
    }

    void printToFileOffersTheGraphsOwnName()
    {
        QTemporaryDir dir;
        const QString listing = writeFile(dir.filePath(QStringLiteral("CH1.pdf")), "listing");
        QVERIFY(!listing.isEmpty());
        channelData[2]->FileName = QStringLiteral("/data/kiln.csv");
        QPrinter &printer = PrintListing::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(listing);
        ScriptedPrompter prompter;
        QStringList offered;
        for (int i = 0; i < 2; ++i) {
            prompter.answerPrint([&offered](QPrinter &p) {
                offered << p.outputFileName();
                return true;
            });
            m_graph->MenuFileItem[1]->trigger();
        }
        QCOMPARE(offered, QStringList({dir.filePath(QStringLiteral("kiln_graph.pdf")),
                                       dir.filePath(QStringLiteral("kiln_graph_2.pdf"))}));
        QVERIFY(pdfText(offered[0]).contains(loadString(2601)));
        QFile kept(listing);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("listing"));

        // A file that cannot be written is reported, not passed over.
        prompter.answerPrint([&dir](QPrinter &p) {
            p.setOutputFileName(unwritableFolder(dir) + QStringLiteral("/graph.pdf"));
            return true;
        });
        m_graph->MenuFileItem[1]->trigger();
        QCOMPARE(prompter.lastText(), loadString(1795));
        printer.setOutputFileName(QString());
    }

    void plotIsDrawnAtTheScreensResolution()
    {
        const qreal ratio = m_graph->gamen->devicePixelRatioF();
        if (ratio < 2.0)
            QSKIP("needs a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2)");
        const QRect plot = m_graph->gamen->plotRect();
        const QImage shot = m_graph->gamen->grab(plot).toImage();
        QCOMPARE(shot.size(), plot.size() * ratio);
        // A picture scaled up from plot pixels is made of 2x2 blocks of one colour; drawn at the
        // screen's resolution, lines one device pixel wide split such blocks.
        int split = 0;
        for (int y = 0; y + 1 < shot.height(); y += 2) {
            for (int x = 0; x + 1 < shot.width(); x += 2) {
                const QRgb p = shot.pixel(x, y);
                split += shot.pixel(x + 1, y) != p || shot.pixel(x, y + 1) != p ||
                         shot.pixel(x + 1, y + 1) != p;
            }
        }
        // The cursor lines alone, drawn over the picture, split a column of blocks each; the
        // trace and the dotted grid split far more.
        QVERIFY2(split > plot.width() + plot.height(), qPrintable(QString::number(split)));
    }

private:
    std::unique_ptr<FormGraph> m_graph;
};

QTEST_MAIN(TestFormGraph)
#include "tst_formgraph.moc"
