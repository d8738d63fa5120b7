#include "AppState.h"
#include "FormMeasSet.h"
#include "FormRadiation.h"
#include "Modal.h"
#include "ScriptedPrompter.h"
#include "Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>
#include <memory>

namespace
{

const QString rangeC = QStringLiteral("Analog output scale setting is out of range.\r-50°C~ 500°C");

// What OK stores, as text that shows every difference (also -0).
QString fields(const MeasSettingRecord &r)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(r.Unit)
        .arg(r.Precision)
        .arg(r.EmissivityStr)
        .arg(r.EmissivityValue, 0, 'g', 9)
        .arg(r.ScaleZero)
        .arg(r.ScaleFull);
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

    // A record that never went through the dialog (received, or from the settings file) is
    // normalised as a confirmed dialog would store it.
    void normalizeMatchesConfirmedDialog_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("emissivity");
        QTest::addColumn<float>("zero");
        QTest::addColumn<float>("full");
        QTest::newRow("short material, reversed beyond limits")
            << 0 << "Steel:0.8" << 600.f << -70.f;
        QTest::newRow("minus zero") << 0 << "x" << -0.4f << 3.f;
        QTest::newRow("huge") << 1 << "1e30" << 1e30f << -1e30f;
    }
    void normalizeMatchesConfirmedDialog()
    {
        QFETCH(int, unit);
        QFETCH(QString, emissivity);
        QFETCH(float, zero);
        QFETCH(float, full);
        MeasSettingRecord record;
        record.Unit = qint16(unit);
        record.EmissivityStr = emissivity;
        record.ScaleZero = zero;
        record.ScaleFull = full;

        MeasSetting = record;
        open();
        m_form->setMeasSetting();
        const MeasSettingRecord viaDialog = MeasSetting;
        MeasSetting = record;
        normalizeMeasSetting();
        QCOMPARE(fields(MeasSetting), fields(viaDialog));
        QVERIFY(MeasSetting.ScaleZero != 0.0f || !std::signbit(MeasSetting.ScaleZero));
        QVERIFY(m_prompter->shown().isEmpty());
    }

    // The corrected text shows, and passes when confirmed again.
    void emissivityOutOfRangeIsCorrectedAndDialogStaysOpen()
    {
        open();
        m_form->ComboEmissivity->setEditText(QStringLiteral("0.05"));
        clickOk();
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("Emissivity setting is out of range.\r0.10~1.00")});
        QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("0.10"));
        QVERIFY(m_form->isVisible());
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("1.00"));

        clickOk();
        QVERIFY(!m_form->isVisible());
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("0.10"));
        QCOMPARE(MeasSetting.EmissivityValue, 0.1f);
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
        row("no numbers", 0, 0, "x/y", "0/0", spanC, "-20/500");
        row("reversed", 0, 0, " 100/50.4", "50/100", {}, "50/100");
        row("F limits", 1, 1, "-70/1000", "-60/940",
            "Analog output scale setting is out of range.\r-60°F~ 940°F", "-20/500");
        row("F span", 1, 1, "0/19", "0/19",
            "Zero and Full Scale span is necessary more than 20 °F.", "-20/500");
        row("F allows 900", 1, 1, "900/0", "0/900", {}, "0/900");
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

        reopen();
        m_form->ComboEmissivity->setEditText(QStringLiteral("0.95"));
        clickOk();
        QVERIFY(m_form->changed());

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
        typeScale(QStringLiteral("0"), QStringLiteral("100"));
        if (escape)
            QTest::keyClick(m_form.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(m_form->Command2, Qt::LeftButton);

        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->cancelled());
        QVERIFY(m_prompter->shown().isEmpty());
        QCOMPARE(fields(MeasSetting), before);
    }

    // Enter in a field must not press a button of the dialog.
    void enterInScaleBoxDoesNothing()
    {
        open();
        QApplication::setActiveWindow(m_form.get());
        m_form->TextScaleZero->setFocus();
        typeScale(QStringLiteral("0"), QStringLiteral("5"));
        QTest::keyClick(m_form->TextScaleZero, Qt::Key_Return);
        QTest::keyClick(m_form->TextScaleZero, Qt::Key_Enter);
        QVERIFY(m_form->isVisible());
        QVERIFY(m_prompter->shown().isEmpty());
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

    // The typed text never becomes a list entry.
    void materialFromListIsUsed()
    {
        MeasSetting.EmissivityList = QStringList{"Steel:0.8", "Glass:0.94"};
        open();
        QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("1.00"));
        m_form->ComboEmissivity->setCurrentIndex(0);
        clickOk();
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("Steel:0.80"));
        QCOMPARE(MeasSetting.EmissivityValue, 0.8f);
        QCOMPARE(m_form->ComboEmissivity->count(), 2);
    }

    // The editor's OK stores the list and refreshes the combo; the typed text stays.
    void editButtonOpensListEditorAndRefreshesList()
    {
        MeasSetting.EmissivityList = QStringList{QStringLiteral("Steel:0.80")};
        open();
        m_form->ComboEmissivity->setEditText(QStringLiteral("0.70"));

        bool seen = false;
        onModal<FormRadiation>(this, [&seen](FormRadiation *editor) {
            seen = true;
            editor->TextRName->setText(QStringLiteral("Brick"));
            editor->TextRNum->setText(QStringLiteral("0.9"));
            QTest::mouseClick(editor->Command3, Qt::LeftButton);
            QTest::mouseClick(editor->Command1, Qt::LeftButton);
        });
        QTest::mouseClick(m_form->CommandEdit, Qt::LeftButton);

        QVERIFY(seen);
        QCOMPARE(MeasSetting.EmissivityList, (QStringList{"Steel:0.80", "Brick:0.90"}));
        QCOMPARE(m_form->ComboEmissivity->count(), 2);
        QCOMPARE(m_form->ComboEmissivity->itemText(1), QStringLiteral("Brick:0.90"));
        QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("0.70"));
        // A list edit alone is nothing to send.
        m_form->ComboEmissivity->setEditText(QStringLiteral("1.00"));
        clickOk();
        QVERIFY(!m_form->changed());
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
    void typeScale(const QString &zero, const QString &full)
    {
        m_form->TextScaleZero->setText(zero);
        m_form->TextScaleFull->setText(full);
    }
    void clickOk() { QTest::mouseClick(m_form->Command1, Qt::LeftButton); }

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormMeasSet> m_form;
};

QTEST_MAIN(TestFormMeasSet)
#include "tst_formmeasset.moc"
