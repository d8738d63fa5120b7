#include "AppState.h"
#include "FormCHSet.h"
#include "FormCurMove.h"
#include "FormDispRange.h"
#include "FormGraph.h"
#include "FormGraphMove.h"
#include "Format.h"
#include "GraphPrint.h"
#include "Modal.h"
#include "PrintListing.h"
#include "SampleData.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>

#include <cmath>

const QStringList timeFields = {"Textdd", "Texthh", "Textnn", "Textss"};

// The graph window's controls against its view (menus, check marks, scroll bars, legend,
// context menu, the place it keeps in the settings) and its dialogs.
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
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_graph = std::make_unique<FormGraph>();
        m_graph->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_graph.get()));
    }

    void cleanup()
    {
        m_graph.reset();
        m_prompter.reset();
        clearChannels();
    }

    // One check mark per menu, on the scale shown; Auto Ranging shows no menu value.
    void menusCheckTheScaleShownAndMemScaleKeepsFive()
    {
        GraphPlot &plot = m_graph->plot();
        m_graph->MenuGraphTimeItem[8]->trigger(); // 1Hour
        m_graph->MenuMulTimeItem[2]->trigger();   // 400%
        m_graph->MenuGraphYItem[4]->trigger();    // 10 degrees
        QVERIFY(m_graph->MenuGraphTimeItem[8]->isChecked() &&
                !m_graph->MenuGraphTimeItem[4]->isChecked());
        QVERIFY(m_graph->MenuMulTimeItem[2]->isChecked() &&
                !m_graph->MenuMulTimeItem[0]->isChecked());
        QCOMPARE(plot.timeScale, 4.0f * 60.0f / 3600.0f);
        m_graph->MenuGraphItem[0]->trigger();
        QVERIFY(!m_graph->MenuGraphTimeItem[8]->isChecked() &&
                !m_graph->MenuGraphYItem[4]->isChecked());
        QVERIFY(m_graph->MenuMulTimeItem[0]->isChecked());

        m_graph->MenuGraphYItem[9]->trigger(); // "F"
        QVERIFY(m_graph->MenuGraphYItem[9]->isChecked());
        QCOMPARE(plot.yUnitCaption(), QStringLiteral("[°F]"));
        m_graph->MenuGraphItem[5]->trigger(); // Grid
        QVERIFY(!plot.gridOn && !m_graph->MenuGraphItem[5]->isChecked());

        // Mem Scale keeps the last five scales, numbered.
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

    void legendAndGeometryFollowTheWindow()
    {
        QVERIFY(m_graph->PictureLine[2]->isVisible() && !m_graph->PictureLine[0]->isVisible());
        channelData[2].reset();
        m_graph->initGraphCh(2);
        QVERIFY(!m_graph->PictureLine[2]->isVisible());

        m_graph->resize(700, 500);
        m_graph->close();
        QVERIFY(!m_graph->isVisible());
        QCOMPARE(Settings.WidthG, 9600); // hiding keeps the window and writes nothing
        m_graph->closePermitted = true;
        m_graph->close();
        QCOMPARE(QSize(Settings.WidthG, Settings.HeightG), QSize(700 * 15, 500 * 15));
        QCOMPARE(FormGraph().size(), QSize(700, 500)); // the next window opens at that size
    }

    // A dragged rectangle is zoomed from the right-click menu; Zoom Back returns.
    void rectangleZoomAndScrollBarsMoveTheView()
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
        QCOMPARE(plot.select.rect(), QRect(100, 40, 120, 80));
        QVERIFY(m_graph->MenuGraphItem[1]->isEnabled() && m_graph->MenuMulSelect->isEnabled());
        const float bottom = plot.infYAxis(120);

        bool shown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (m_graph->MenuMulItem->isVisible() && !shown) {
                shown = true;
                m_graph->MenuMulSelect->trigger();
                m_graph->MenuMulItem->close();
            }
        });
        poll.start(5);
        QTest::mouseClick(m_graph->gamen, Qt::RightButton, {}, corner + QPoint(300, 200));
        QTRY_VERIFY(shown);
        QCOMPARE(plot.timeOrigin, 100);
        QVERIFY(qAbs(plot.yBottom - bottom) < 0.01f);
        // Whole pixels per second, at least the fourfold of 120 s in 480 and more pixels.
        QVERIFY(plot.timeScale >= 4.0f * before && plot.timeScale == std::floor(plot.timeScale));
        QVERIFY(!m_graph->MenuGraphItem[1]->isEnabled());
        m_graph->MenuMulBack->trigger();
        QCOMPARE(plot.timeScale, before);
        QCOMPARE(plot.timeOrigin, 0);

        // The scroll bars mirror the view and move it: at 1Min the hour spans several widths.
        QScrollBar *bar = m_graph->HScrollGraph;
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->pageStep(), plot.hScroll.largeChange);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(plot.timeOrigin, plot.timeMax);

        m_graph->MenuGraphYItem[0]->trigger(); // 0.1 degree: the range spans many heights
        const float lowest = plot.yBottom;
        m_graph->VScrollGraph->triggerAction(QAbstractSlider::SliderPageStepSub);
        QVERIFY(plot.yBottom > lowest);
        QCOMPARE(m_graph->VScrollGraph->value(), plot.vScroll.value);
    }

    void dialogsOfTheGraphMenuAct()
    {
        GraphPlot &plot = m_graph->plot();
        onModal<FormGraphMove>(this, [](FormGraphMove *move) {
            move->Textnn->setText(QStringLiteral("30"));
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

        // The cursors' times become the clock of CH3, which starts at 10:00.
        onModal<QDialog>(this, [](QDialog *choice) {
            choice->findChild<QComboBox *>()->setCurrentIndex(3);
            choice->findChild<QPushButton *>()->click();
        });
        m_graph->ButtonTimeAxis->click();
        QCOMPARE(m_graph->Combo1->currentIndex(), 3);
        QCOMPARE(m_graph->CurDataTable->item(0, 2)->text(), QStringLiteral("10:10:00"));

        // Absent channels have nothing to change; a cancelled picker leaves the colour.
        m_prompter->answerColor(0x00ff00);
        m_prompter->answerColor(-1);
        bool absentLocked = false;
        onModal<FormCHSet>(this, [&absentLocked](FormCHSet *set) {
            absentLocked = !set->Check1[0]->isEnabled() && !set->ButtonChangeColor[0]->isEnabled();
            set->ButtonChangeColor[2]->click();
            set->ButtonChangeColor[2]->click();
            set->Check1[2]->click();
            set->Command1[0]->click();
        });
        m_graph->MenuGraphItem[6]->trigger();
        QVERIFY(absentLocked);
        QCOMPARE(plot.getWaveColor(2), qRgb(0, 255, 0));
        QCOMPARE(m_graph->PictureLine[2]->palette().color(QPalette::Window), QColor(0, 255, 0));
        QVERIFY(!plot.getWaveEnabled(2) && !m_graph->PictureLine[2]->isVisible());
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
                    QVERIFY2(shown.contains(cell) &&
                                 cell.width() >
                                     table->fontMetrics().horizontalAdvance(item->text()),
                             qPrintable(table->objectName() + u' ' + item->text()));
                }
            }
        }
    }

    // Page Setup and Print share the data listings' printer, yet a print to a file is offered
    // the graph's own name; Copy puts the composed picture on the clipboard.
    void fileAndEditMenusReachPrinterAndClipboard()
    {
        QTemporaryDir dir;
        const QString listing = writeFile(dir.filePath(QStringLiteral("CH1.pdf")), "listing");
        channelData[2]->FileName = QStringLiteral("/data/kiln.csv");
        QPrinter &printer = PrintListing::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(listing);
        m_prompter->answerPrint(
            [](QPrinter &p) { return p.setPageOrientation(QPageLayout::Landscape); });
        m_graph->MenuFileItem[0]->trigger();
        QCOMPARE(m_prompter->pageSetupDialogs(), 1);
        QStringList offered;
        for (int i = 0; i < 2; ++i) {
            m_prompter->answerPrint([&offered](QPrinter &p) {
                offered << p.outputFileName();
                return p.pageLayout().orientation() == QPageLayout::Landscape;
            });
            m_graph->MenuFileItem[1]->trigger();
        }
        QCOMPARE(offered, QStringList({dir.filePath(QStringLiteral("kiln_graph.pdf")),
                                       dir.filePath(QStringLiteral("kiln_graph_2.pdf"))}));
        QVERIFY(pdfText(offered[1]).contains(loadString(2601)));
        QCOMPARE(readFile(listing), QByteArray("listing"));

        // A file that cannot be written is reported, not passed over.
        m_prompter->answerPrint([&dir](QPrinter &p) {
            p.setOutputFileName(unwritableFolder(dir) + QStringLiteral("/graph.pdf"));
            return true;
        });
        m_graph->MenuFileItem[1]->trigger();
        QCOMPARE(m_prompter->lastText(), loadString(1795));

        m_graph->MenuEditItem[0]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image(), copyGraphImage(m_graph->plot()));
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

    // Days, hours, minutes and seconds (digits only) add up; Move Cursor keeps to the data,
    // Move Time Axis may go to a cursor instead. Entering a field selects its text.
    void timeDialogsAddUpTheirFields_data()
    {
        QTest::addColumn<int>("option"); // of Move Time Axis; -1 for Move Cursor
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("cursor, hours above 23 count in full")
            << -1 << QStringList{"0", "2a5", "0", "0"} << 90000;
        QTest::newRow("cursor beyond the end") << -1 << QStringList{"2", "0", "0", "-30"} << 100000;
        QTest::newRow("axis, days and seconds")
            << 0 << QStringList{"2", "00", "00", "05"} << 172805;
        QTest::newRow("axis, many days do not wrap")
            << 0 << QStringList{"99999", "0", "0", "0"} << std::numeric_limits<qint32>::max();
        QTest::newRow("axis to cursor B") << 2 << QStringList{"0", "0", "0", "1"} << 0;
    }
    void timeDialogsAddUpTheirFields()
    {
        QFETCH(int, option);
        QFETCH(QStringList, typed);
        FormCurMove curMove;
        curMove.load(90061, 100000);
        FormGraphMove graphMove;
        graphMove.load(90061);
        QDialog &form = option < 0 ? static_cast<QDialog &>(curMove) : graphMove;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (int i = 0; i < 4; ++i) {
            auto *field = form.findChild<QLineEdit *>(timeFields[i]);
            QCOMPARE(field->text(), QLatin1String(i == 0 ? "1" : "01"));
            field->clear();
            QTest::keyClicks(field, typed[i]);
        }
        QLineEdit *hours = form.findChild<QLineEdit *>(timeFields[1]);
        form.findChild<QPushButton *>(QStringLiteral("Command1_0"))->setFocus();
        hours->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(hours->selectedText(), hours->text());
        // The time fields are for the first option only.
        for (int chosen : {qMax(option, 1), 0, qMax(option, 0)}) {
            graphMove.Option1[chosen]->click();
            QCOMPARE(graphMove.Textdd->isEnabled() && graphMove.Textss->isEnabled(), chosen == 0);
        }
        form.findChild<QPushButton *>(QStringLiteral("Command1_0"))->click();
        QVERIFY(!form.isVisible());
        if (option < 0) {
            QTEST(curMove.result().value_or(-1), "expected");
            return;
        }
        QVERIFY(graphMove.result().has_value());
        QCOMPARE(graphMove.result()->option, option);
        if (option == 0)
            QTEST(graphMove.result()->t, "expected");
    }

    // A value outside the limits is limited and shown with a warning, the dialog staying open;
    // the range is put in order only by the OK that accepts it.
    void dispRangeOkLimitsAndOrdersTheRange_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("shown"); // after the first OK
        QTest::addColumn<bool>("warned");
        QTest::addColumn<QList<double>>("range");
        QTest::newRow("limits are allowed, sign and one point only")
            << QStringList{"-1x00", "600..0"} << QStringList{"-100.0", "600.0"} << false
            << QList<double>{-100, 600};
        QTest::newRow("both outside and exchanged")
            << QStringList{"700", "-300"} << QStringList{"600.0", "-100.0"} << true
            << QList<double>{-100, 600};
    }
    void dispRangeOkLimitsAndOrdersTheRange()
    {
        QFETCH(QStringList, typed);
        QFETCH(bool, warned);
        FormDispRange form;
        form.load(0, 100, -100, 600, 0);
        form.show();
        QCOMPARE(form.LabelUnit[1]->text(), QStringLiteral("°C"));
        for (int i = 0; i < 2; ++i) {
            form.Text1[i]->clear();
            QTest::keyClicks(form.Text1[i], typed[i]);
        }
        form.Command1[0]->click();
        QTEST(QStringList({form.Text1[0]->text(), form.Text1[1]->text()}), "shown");
        QCOMPARE(form.isVisible(), warned);
        QCOMPARE(form.result().has_value(), !warned);
        QCOMPARE(m_prompter->texts(),
                 warned ? QStringList{QStringLiteral("Out of range Temp axis.\r-100.0°C~600.0°C")}
                        : QStringList());
        if (warned)
            form.Command1[0]->click();
        QCOMPARE(m_prompter->shown().size(), warned ? 1 : 0);
        QVERIFY(form.result().has_value());
        QTEST((QList<double>{form.result()->lower, form.result()->upper}), "range");
    }

    // Cancel, Escape and the close box give no result, whatever was chosen.
    void cancelGivesNothing()
    {
        for (int how = 0; how < 3; ++how) {
            FormCurMove curMove;
            FormGraphMove graphMove;
            FormDispRange range;
            FormCHSet chSet;
            for (QDialog *form :
                 std::initializer_list<QDialog *>{&curMove, &graphMove, &range, &chSet}) {
                form->show();
                if (how == 0)
                    form->findChild<QPushButton *>(QStringLiteral("Command1_1"))->click();
                else
                    how == 1 ? QTest::keyClick(form, Qt::Key_Escape) : void(form->close());
                QVERIFY(!form->isVisible());
            }
            QVERIFY(!curMove.result() && !graphMove.result() && !range.result() && !chSet.result());
        }
    }

private:
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormGraph> m_graph;
};

QTEST_MAIN(TestFormGraph)
#include "tst_formgraph.moc"
