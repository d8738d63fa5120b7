#include "AppState.h"
#include "FormMeasSet.h"
#include "FormRadiation.h"
#include "MeasSettingCheck.h"
#include "Modal.h"
#include "ScriptedPrompter.h"
#include "Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace
{

const QString rangeC = QStringLiteral("Analog output scale setting is out of range.\r-50°C~ 500°C");

// What OK stores, as text that shows every difference (also -0).
QString fields(const MeasSettingRecord &r)
{
    return QString::asprintf("%d %d %s %.9g %g %g", r.Unit, r.Precision,
                             qPrintable(r.EmissivityStr), r.EmissivityValue, r.ScaleZero,
                             r.ScaleFull);
}

QStringList materials(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QStringLiteral("M%1:0.%2").arg(i).arg(50 + i));
    return list;
}

} // namespace

// The settings dialog driven through its widgets, as a user would.
class TestFormMeasSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 0;
        MeasSetting = MeasSettingRecord();
        m_prompter = std::make_unique<ScriptedPrompter>();
    }
    void cleanup()
    {
        m_form.reset();
        m_prompter.reset();
        programMode = 0;
    }

    // Rounded to hundredths, halves to even, before the 0.10..1.00 check.
    void emissivityTextIsNormalised_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("normal");
        QTest::newRow("half down to even") << "0.125" << true << "0.12";
        QTest::newRow("half up to even") << "0.375" << true << "0.38";
        QTest::newRow("rounds up into range") << "0.099" << true << "0.10";
        QTest::newRow("below range") << "0.094" << false << "0.10";
        QTest::newRow("upper bound") << "1" << true << "1.00";
        QTest::newRow("above range") << "1.2" << false << "1.00";
        QTest::newRow("only first colon splits") << "A:B:0.5" << false << "A:0.10";
        QTest::newRow("huge negative") << "-150" << false << "0.10";
    }
    void emissivityTextIsNormalised()
    {
        QFETCH(QString, text);
        QString name;
        QString valueText;
        QTEST(checkEmissivityStr(text, &name, &valueText), "ok");
        QTEST(emissivityNormalText(name, valueText), "normal");
    }

    // A record that never went through the dialog (a hand-edited settings file, or received)
    // is normalised as a confirmed dialog would store it; the span is not checked.
    void settingsFileIsNormalisedAsDialogStoresIt_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("stored"); // unit, resolution, emissivity, zero, full
        QTest::newRow("short material, reversed F scale beyond limits")
            << QByteArray("Unit, 1\r\nPrecision, 1\r\nEmissivityStr,Steel:0.8\r\n"
                          "ScaleZero, 1200.6\r\nScaleFull,-100\r\n")
            << "1 1 Steel:0.80 -60 940";
        QTest::newRow("halves to even, small span")
            << QByteArray("ScaleZero, 12.5\r\nScaleFull, 13.5\r\n") << "0 0 1.00 12 14";
        QTest::newRow("minus zero")
            << QByteArray("EmissivityStr,x\r\nScaleZero,-0.4\r\nScaleFull,3\r\n") << "0 0 0.10 0 3";
        QTest::newRow("huge") << QByteArray("Unit, 1\r\nEmissivityStr,1e30\r\nScaleZero,1e30\r\n"
                                            "ScaleFull,-1e30\r\n")
                              << "1 0 1.00 -60 940";
        QTest::newRow("emissivity without number, bad choices")
            << QByteArray("Unit, 7\r\nPrecision,-3\r\nEmissivityStr,:abc\r\n")
            << "0 0 0.10 -20 500";
    }
    void settingsFileIsNormalisedAsDialogStoresIt()
    {
        QFETCH(QByteArray, lines);
        loadSettingsText("[MeasSetting]\r\n" + lines, QSize(1920 * 15, 1080 * 15));
        const MeasSettingRecord record = MeasSetting;
        open();
        m_form->setMeasSetting();
        const QString viaDialog = fields(MeasSetting);
        MeasSetting = record;
        normalizeMeasSetting();
        QCOMPARE(fields(MeasSetting), viaDialog);
        QStringList stored = viaDialog.split(u' ');
        stored.removeAt(3);
        QTEST(stored.join(u' '), "stored");
        QVERIFY(m_prompter->shown().isEmpty());
    }

    // Limits and span follow the stored unit, not the one picked in the dialog; the values
    // are rounded half to even before the span check and ordered on OK.
    void scaleIsCheckedOnOk_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("picked");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");
        auto row = [](const char *name, int unit, int picked, const char *typed, const char *shown,
                      const QString &message, const char *stored) {
            QTest::newRow(name) << unit << picked << QString(typed) << QString(shown) << message
                                << QString(stored);
        };
        const QString spanC = "Zero and Full Scale span is necessary more than 10 °C.";
        row("clamped", 0, 0, "600/-70", "500/-50", rangeC, "-20/500");
        row("span 9", 0, 0, "0/9", "0/9", spanC, "-20/500");
        row("bounds", 0, 0, "-50/500", "-50/500", {}, "-50/500");
        row("span 10", 0, 0, "0/10", "0/10", {}, "0/10");
        row("9.6 rounds to a span of 10", 0, 0, "9.6/0", "0/10", {}, "0/10");
        row("reversed", 0, 0, " 100/50.4", "50/100", {}, "50/100");
        row("F limits", 1, 1, "-70/1000", "-60/940",
            "Analog output scale setting is out of range.\r-60°F~ 940°F", "-20/500");
        row("F span", 1, 1, "0/19", "0/19",
            "Zero and Full Scale span is necessary more than 20 °F.", "-20/500");
        row("stored unit, not picked", 0, 1, "0/600", "0/500", rangeC, "-20/500");
    }
    void scaleIsCheckedOnOk()
    {
        QFETCH(int, unit);
        QFETCH(int, picked);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        MeasSetting.Unit = qint16(unit);
        open();
        m_form->ComboUnit->setCurrentIndex(picked);
        m_form->TextScaleZero->setText(typed.section(QLatin1Char('/'), 0, 0));
        m_form->TextScaleFull->setText(typed.section(QLatin1Char('/'), 1, 1));
        clickOk();
        QCOMPARE(m_prompter->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_form->isVisible(), !message.isEmpty());
        QCOMPARE(m_form->changed(), message.isEmpty());
        QTEST(QString(m_form->TextScaleZero->text() + '/' + m_form->TextScaleFull->text()),
              "shown");
        QTEST(QStringLiteral("%1/%2").arg(MeasSetting.ScaleZero).arg(MeasSetting.ScaleFull),
              "stored");
    }

    // A change of unit alone is nothing to send; confirming the stored values is no change.
    void changedSeesSettingsButNotUnit()
    {
        open();
        m_form->ComboUnit->setCurrentIndex(1);
        clickOk();
        QVERIFY(!m_form->changed() && !m_form->cancelled());
        QCOMPARE(MeasSetting.Unit, qint16(1));

        reopen();
        m_form->ComboResolution->setCurrentIndex(1);
        clickOk();
        QVERIFY(m_form->changed());

        // Out of range: the corrected text shows, and passes when confirmed again.
        reopen();
        m_form->ComboEmissivity->setEditText(QStringLiteral("0.05"));
        clickOk();
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("Emissivity setting is out of range.\r0.10~1.00")});
        QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("0.10"));
        QVERIFY(m_form->isVisible());
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("1.00"));
        clickOk();
        QVERIFY(m_form->changed() && !m_form->isVisible());
        QCOMPARE(MeasSetting.EmissivityValue, 0.1f);

        reopen();
        clickOk();
        QVERIFY(!m_form->changed());
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, escape);
        MeasSetting.EmissivityStr = QStringLiteral("Steel:0.80");
        MeasSetting.EmissivityValue = 0.8f;
        const QString before = fields(MeasSetting);
        open();
        // An OK first, so that the cancel has to mark the dialog cancelled again.
        clickOk();
        reopen();
        m_form->ComboResolution->setCurrentIndex(1);
        m_form->ComboUnit->setCurrentIndex(1);
        m_form->ComboEmissivity->setEditText(QStringLiteral("0.5"));
        m_form->TextScaleFull->setText(QStringLiteral("100"));
        // Enter in a field must not press a button of the dialog.
        QApplication::setActiveWindow(m_form.get());
        m_form->TextScaleZero->setFocus();
        QTest::keyClick(m_form->TextScaleZero, Qt::Key_Return);
        QTest::keyClick(m_form->TextScaleZero, Qt::Key_Enter);
        QVERIFY(m_form->isVisible());
        if (escape)
            QTest::keyClick(m_form.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(m_form->Command2, Qt::LeftButton);

        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->cancelled());
        QVERIFY(m_prompter->shown().isEmpty());
        QCOMPARE(fields(MeasSetting), before);
    }

    // The field type has no resolution and no analog output. The hidden scale is still
    // clamped and ordered, but a span the user cannot see does not keep the dialog open.
    void memoryModeHidesResolutionAndScale()
    {
        programMode = 1;
        MeasSetting.ScaleZero = 600.0f;
        MeasSetting.ScaleFull = 495.0f;
        open();
        QList<QWidget *> hidden{m_form->ComboResolution, m_form->TextScaleZero,
                                m_form->TextScaleFull};
        for (int i : {1, 4, 5, 6, 7, 8, 9})
            hidden << m_form->Label1[i];
        for (QWidget *w : hidden)
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        QVERIFY(m_form->ComboUnit->isVisible() && m_form->CommandEdit->isVisible());

        m_form->ComboEmissivity->setEditText(QStringLiteral("0.9"));
        clickOk();
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_prompter->texts().isEmpty());
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("0.90"));
        QCOMPARE(MeasSetting.ScaleZero, 495.0f);
        QCOMPARE(MeasSetting.ScaleFull, 500.0f);
    }

    // The editor's OK stores the list and refreshes the combo; the typed text stays, and never
    // becomes a list entry. A list edit alone is nothing to send; an entry picked from the list
    // is stored.
    void editButtonOpensListEditorAndRefreshesList()
    {
        MeasSetting.EmissivityList = QStringList{QStringLiteral("Steel:0.8")};
        open();
        m_form->ComboEmissivity->setEditText(QStringLiteral("0.70"));

        onModal<FormRadiation>(this, [](FormRadiation *editor) {
            editor->TextRName->setText(QStringLiteral("Brick"));
            editor->TextRNum->setText(QStringLiteral("0.9"));
            QTest::mouseClick(editor->Command3, Qt::LeftButton);
            QTest::mouseClick(editor->Command1, Qt::LeftButton);
        });
        QTest::mouseClick(m_form->CommandEdit, Qt::LeftButton);

        QCOMPARE(MeasSetting.EmissivityList, (QStringList{"Steel:0.8", "Brick:0.90"}));
        QCOMPARE(m_form->ComboEmissivity->count(), 2);
        QCOMPARE(m_form->ComboEmissivity->itemText(1), QStringLiteral("Brick:0.90"));
        QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("0.70"));
        m_form->ComboEmissivity->setEditText(QStringLiteral("1.00"));
        clickOk();
        QVERIFY(!m_form->changed());

        reopen();
        m_form->ComboEmissivity->setCurrentIndex(0);
        clickOk();
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("Steel:0.80"));
        QCOMPARE(MeasSetting.EmissivityValue, 0.8f);
        QCOMPARE(m_form->ComboEmissivity->count(), 2);
    }

    // The emissivity list editor. Steps separated by ";": "focus" the list (its first row becomes
    // current but nothing is selected), "select" a row, or press add, edit, delete, ok or cancel
    // after filling the name and value fields when given. Then the list, the fields, the messages
    // and the stored list. A full list of ten has no blank place; otherwise the blank is last, and
    // can be neither edited nor deleted.
    void editorFollowsTheSelection_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("stored");
        const QString outOfRange = QStringLiteral("Value is out of range.\r0.10~1.00");
        QTest::newRow("add appends when nothing is selected")
            << 2 << "focus;add Brick 0.9;add Glass 0.94"
            << QStringList{"M0:0.50", "M1:0.51", "Brick:0.90", "Glass:0.94", ""} << "Glass:0.94"
            << QStringList() << materials(2);
        QTest::newRow("add inserts before the selected entry")
            << 2 << "select 1;add Brick 0.9" << QStringList{"M0:0.50", "Brick:0.90", "M1:0.51", ""}
            << "Brick:0.90" << QStringList() << materials(2);
        // An empty list opens with one empty entry and the blank.
        QTest::newRow("add refuses a value out of range")
            << 0 << "add Ice 1.5" << QStringList{"", ""} << "Ice:1.00" << QStringList{outOfRange}
            << QStringList();
        QTest::newRow("tenth entry takes the blank, eleventh is refused")
            << 9 << "add Tenth 0.3;select 0;add Eleventh 0.4;ok"
            << materials(9) + QStringList{"Tenth:0.30"} << "Eleventh:0.40"
            << QStringList{"Cannot add more than 10."} << materials(9) + QStringList{"Tenth:0.30"};
        // After a delete the selection moves to the next item and fills the fields from it.
        QTest::newRow("delete from a full list brings the blank back")
            << 10 << "select 9;delete;select 0;delete" << materials(9).mid(1) + QStringList{""}
            << "M1:0.51" << QStringList() << materials(10);
        QTest::newRow("deleting the only entry leaves one empty entry")
            << 1 << "select 0;delete;select 1;delete;ok" << QStringList{"", ""} << ":"
            << QStringList() << QStringList{""};
        QTest::newRow("edit replaces the selected entry only")
            << 2 << "select 1;edit Oxide 0.875;select 2;edit Ghost 0.5;select 0;edit M0 0"
            << QStringList{"M0:0.50", "Oxide:0.88", ""} << "M0:0.10" << QStringList{outOfRange}
            << materials(2);
        QTest::newRow("cancel changes nothing")
            << 3 << "select 0;delete;add Brick 0.9;cancel"
            << QStringList{"Brick:0.90", "M1:0.51", "M2:0.52", ""} << "Brick:0.90" << QStringList()
            << materials(3);
    }
    void editorFollowsTheSelection()
    {
        QFETCH(int, entries);
        QFETCH(QString, script);
        MeasSetting.EmissivityList = materials(entries);
        open();
        auto *editor = new FormRadiation(m_form.get());
        editor->show();
        const QStringList names{"ok", "cancel", "add", "delete", "edit"};
        const QList<QPushButton *> buttons{editor->Command1, editor->Command2, editor->Command3,
                                           editor->Command4, editor->Command5};
        for (const QString &step : script.split(u';')) {
            const QStringList words = step.split(u' ');
            if (words[0] == QLatin1String("focus")) {
                QApplication::setActiveWindow(editor);
                editor->List1->setFocus();
            } else if (words[0] == QLatin1String("select")) {
                editor->List1->setCurrentRow(words[1].toInt());
            } else {
                if (words.size() == 3) {
                    editor->TextRName->setText(words[1]);
                    editor->TextRNum->setText(words[2]);
                }
                QTest::mouseClick(buttons.value(names.indexOf(words[0])), Qt::LeftButton);
            }
        }
        QStringList items;
        for (int i = 0; i < editor->List1->count(); ++i)
            items.append(editor->List1->item(i)->text());
        QTEST(items, "items");
        QTEST(QString(editor->TextRName->text() + u':' + editor->TextRNum->text()), "fields");
        QTEST(m_prompter->texts(), "messages");
        QTEST(MeasSetting.EmissivityList, "stored");
    }

private:
    void open()
    {
        m_form = std::make_unique<FormMeasSet>();
        m_form->show();
    }
    void reopen()
    {
        m_form->initShow();
        m_form->show();
    }
    void clickOk() { QTest::mouseClick(m_form->Command1, Qt::LeftButton); }

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormMeasSet> m_form;
};

QTEST_MAIN(TestFormMeasSet)
#include "tst_formmeasset.moc"
