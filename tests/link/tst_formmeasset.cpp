#include "AppState.h"
#include "FormMeasSet.h"
#include "FormRadiation.h"
#include "ScriptedPrompter.h"
#include "Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <memory>

// The settings dialog driven through its widgets, as a user would.
class TestFormMeasSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadShowsRecordInNormalForm();
    void normalizeMatchesConfirmedDialog_data();
    void normalizeMatchesConfirmedDialog();
    void okStoresNormalisedEmissivity_data();
    void okStoresNormalisedEmissivity();
    void outOfRangeScaleIsClampedAndDialogStaysOpen();
    void reversedScaleIsSwappedOnOk();
    void narrowSpanIsRefused_data();
    void narrowSpanIsRefused();
    void fahrenheitRecordUsesFahrenheitLimits();
    void limitsFollowStoredUnitNotPickedUnit();
    void changedIgnoresUnitOnlyChange();
    void changedSeesEmissivityChange();
    void cancelChangesNothing();
    void closingTheWindowCountsAsCancel();
    void enterInScaleBoxDoesNothing();
    void memoryModeHidesResolutionAndScale();
    void memoryModeStillChecksLoadedScale();
    void materialFromListIsUsed();
    void editButtonOpensListEditorAndRefreshesList();

private:
    void typeScale(const QString &zero, const QString &full);
    void clickOk();

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormMeasSet> m_form;
};

void TestFormMeasSet::init()
{
    programMode = 0;
    MeasSetting = MeasSettingRecord();
    m_prompter = std::make_unique<ScriptedPrompter>();
}

void TestFormMeasSet::cleanup()
{
    m_form.reset();
    m_prompter.reset();
    programMode = 0;
}

void TestFormMeasSet::typeScale(const QString &zero, const QString &full)
{
    m_form->TextScaleZero->setText(zero);
    m_form->TextScaleFull->setText(full);
}

void TestFormMeasSet::clickOk()
{
    QTest::mouseClick(m_form->Command1, Qt::LeftButton);
}

void TestFormMeasSet::loadShowsRecordInNormalForm()
{
    MeasSetting.Precision = 1;
    MeasSetting.EmissivityStr = QStringLiteral("Steel:0.8");
    MeasSetting.ScaleZero = 600.0f;
    MeasSetting.ScaleFull = 12.5f;
    m_form = std::make_unique<FormMeasSet>();

    QCOMPARE(m_form->ComboResolution->currentIndex(), 1);
    QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("Steel:0.80"));
    // Clamped to 500, rounded half to even, then ordered.
    QCOMPARE(m_form->TextScaleZero->text(), QStringLiteral("12"));
    QCOMPARE(m_form->TextScaleFull->text(), QStringLiteral("500"));
    QCOMPARE(m_form->Label1[7]->text(), QStringLiteral("°C"));
    QCOMPARE(m_form->Label1[8]->text(), QStringLiteral("°C"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(m_form->CommandEdit->text(), QStringLiteral("Edit"));
    QVERIFY(m_prompter->shown().isEmpty());
}

void TestFormMeasSet::normalizeMatchesConfirmedDialog_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("emissivity");
    QTest::addColumn<float>("zero");
    QTest::addColumn<float>("full");
    QTest::newRow("defaults") << 0 << "1.00" << -20.f << 500.f;
    QTest::newRow("short material") << 0 << "Steel:0.8" << 600.f << -70.f;
    QTest::newRow("F, fractions") << 1 << ":0.125" << 12.5f << 13.5f;
    QTest::newRow("minus zero") << 0 << "x" << -0.4f << 3.f;
    QTest::newRow("huge") << 1 << "1e30" << 1e30f << -1e30f;
}

void TestFormMeasSet::normalizeMatchesConfirmedDialog()
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
    m_form = std::make_unique<FormMeasSet>();
    m_form->setMeasSetting();
    const MeasSettingRecord viaDialog = MeasSetting;

    MeasSetting = record;
    normalizeMeasSetting();
    QCOMPARE(MeasSetting.Unit, viaDialog.Unit);
    QCOMPARE(MeasSetting.Precision, viaDialog.Precision);
    QCOMPARE(MeasSetting.EmissivityStr, viaDialog.EmissivityStr);
    QCOMPARE(MeasSetting.EmissivityValue, viaDialog.EmissivityValue);
    QCOMPARE(MeasSetting.ScaleZero, viaDialog.ScaleZero);
    QCOMPARE(MeasSetting.ScaleFull, viaDialog.ScaleFull);
    QVERIFY(!std::signbit(MeasSetting.ScaleZero) || MeasSetting.ScaleZero != 0.0f);
    QVERIFY(m_prompter->shown().isEmpty());
}

void TestFormMeasSet::okStoresNormalisedEmissivity_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<float>("value");
    QTest::newRow("Steel:0.8") << "Steel:0.8"
                               << "Steel:0.80" << true << 0.8f;
    QTest::newRow(":0.5") << ":0.5"
                          << "0.50" << true << 0.5f;
    QTest::newRow("0.125") << "0.125"
                           << "0.12" << true << 0.12f;
    QTest::newRow("0.05") << "0.05"
                          << "0.10" << false << 1.0f;
    QTest::newRow("1.2") << "1.2"
                         << "1.00" << false << 1.0f;
    QTest::newRow("empty") << ""
                           << "0.10" << false << 1.0f;
}

void TestFormMeasSet::okStoresNormalisedEmissivity()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    m_form->ComboEmissivity->setEditText(typed);
    clickOk();

    QTEST(m_form->ComboEmissivity->currentText(), "shown");
    QCOMPARE(m_form->isVisible(), !accepted);
    if (accepted) {
        QVERIFY(m_prompter->shown().isEmpty());
        QTEST(MeasSetting.EmissivityStr, "shown");
        QTEST(MeasSetting.EmissivityValue, "value");
        QVERIFY(!m_form->cancelled());
    } else {
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("Emissivity setting is out of range.\r0.10~1.00")});
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("1.00"));
        // The corrected text passes the second time.
        m_prompter->clear();
        clickOk();
        QVERIFY(!m_form->isVisible());
        QTEST(MeasSetting.EmissivityStr, "shown");
    }
}

void TestFormMeasSet::outOfRangeScaleIsClampedAndDialogStaysOpen()
{
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    typeScale(QStringLiteral("600"), QStringLiteral("-70"));
    clickOk();

    QCOMPARE(
        m_prompter->texts(),
        QStringList{QStringLiteral("Analog output scale setting is out of range.\r-50°C~ 500°C")});
    QCOMPARE(m_form->TextScaleZero->text(), QStringLiteral("500"));
    QCOMPARE(m_form->TextScaleFull->text(), QStringLiteral("-50"));
    QCOMPARE(m_form->scaleMin(), -50.0f);
    QCOMPARE(m_form->scaleMax(), 500.0f);
    QVERIFY(m_form->isVisible());
    QCOMPARE(MeasSetting.ScaleZero, -20.0f);
    QCOMPARE(MeasSetting.ScaleFull, 500.0f);

    clickOk();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(MeasSetting.ScaleZero, -50.0f);
    QCOMPARE(MeasSetting.ScaleFull, 500.0f);
}

void TestFormMeasSet::reversedScaleIsSwappedOnOk()
{
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    typeScale(QStringLiteral(" 100"), QStringLiteral("50.4"));
    clickOk();

    QVERIFY(m_prompter->shown().isEmpty());
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_form->TextScaleZero->text(), QStringLiteral("50"));
    QCOMPARE(m_form->TextScaleFull->text(), QStringLiteral("100"));
    QCOMPARE(MeasSetting.ScaleZero, 50.0f);
    QCOMPARE(MeasSetting.ScaleFull, 100.0f);
    QVERIFY(m_form->changed());
}

void TestFormMeasSet::narrowSpanIsRefused_data()
{
    QTest::addColumn<QString>("zero");
    QTest::addColumn<QString>("full");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0/9") << "0"
                         << "9" << false;
    QTest::newRow("0/10") << "0"
                          << "10" << true;
    QTest::newRow("9.6/0 rounds to 10") << "9.6"
                                        << "0" << true;
    QTest::newRow("no numbers") << "x"
                                << "y" << false;
}

void TestFormMeasSet::narrowSpanIsRefused()
{
    QFETCH(QString, zero);
    QFETCH(QString, full);
    QFETCH(bool, accepted);
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    typeScale(zero, full);
    clickOk();

    QCOMPARE(m_form->isVisible(), !accepted);
    if (accepted) {
        QVERIFY(m_prompter->shown().isEmpty());
    } else {
        QCOMPARE(
            m_prompter->texts(),
            QStringList{QStringLiteral("Zero and Full Scale span is necessary more than 10 °C.")});
        QCOMPARE(MeasSetting.ScaleZero, -20.0f);
    }
}

void TestFormMeasSet::fahrenheitRecordUsesFahrenheitLimits()
{
    MeasSetting.Unit = 1;
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    QCOMPARE(m_form->ComboUnit->currentIndex(), 1);
    QCOMPARE(m_form->Label1[7]->text(), QStringLiteral("°F"));

    typeScale(QStringLiteral("-70"), QStringLiteral("1000"));
    clickOk();
    QCOMPARE(m_prompter->lastText(),
             QStringLiteral("Analog output scale setting is out of range.\r-60°F~ 940°F"));
    QCOMPARE(m_form->TextScaleZero->text(), QStringLiteral("-60"));
    QCOMPARE(m_form->TextScaleFull->text(), QStringLiteral("940"));

    typeScale(QStringLiteral("0"), QStringLiteral("19"));
    clickOk();
    QCOMPARE(m_prompter->lastText(),
             QStringLiteral("Zero and Full Scale span is necessary more than 20 °F."));

    typeScale(QStringLiteral("900"), QStringLiteral("0"));
    clickOk();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(MeasSetting.ScaleZero, 0.0f);
    QCOMPARE(MeasSetting.ScaleFull, 900.0f);
}

void TestFormMeasSet::limitsFollowStoredUnitNotPickedUnit()
{
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    m_form->ComboUnit->setCurrentIndex(1);
    typeScale(QStringLiteral("0"), QStringLiteral("600"));
    clickOk();

    QCOMPARE(m_prompter->lastText(),
             QStringLiteral("Analog output scale setting is out of range.\r-50°C~ 500°C"));
    QCOMPARE(m_form->TextScaleFull->text(), QStringLiteral("500"));
    QCOMPARE(m_form->Label1[8]->text(), QStringLiteral("°C"));
    clickOk();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(MeasSetting.Unit, qint16(1));
}

void TestFormMeasSet::changedIgnoresUnitOnlyChange()
{
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    m_form->ComboUnit->setCurrentIndex(1);
    clickOk();

    QVERIFY(!m_form->isVisible());
    QCOMPARE(MeasSetting.Unit, qint16(1));
    QVERIFY(!m_form->changed());
    QVERIFY(!m_form->cancelled());
}

void TestFormMeasSet::changedSeesEmissivityChange()
{
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    m_form->ComboEmissivity->setEditText(QStringLiteral("0.95"));
    clickOk();
    QVERIFY(m_form->changed());

    // Shown again with the stored values: confirming them is no change.
    m_form->initShow();
    m_form->show();
    clickOk();
    QVERIFY(!m_form->changed());
    QCOMPARE(MeasSetting.EmissivityValue, 0.95f);
}

void TestFormMeasSet::cancelChangesNothing()
{
    MeasSetting.EmissivityStr = QStringLiteral("Steel:0.80");
    MeasSetting.EmissivityValue = 0.8f;
    const MeasSettingRecord before = MeasSetting;
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    m_form->ComboResolution->setCurrentIndex(1);
    m_form->ComboUnit->setCurrentIndex(1);
    m_form->ComboEmissivity->setEditText(QStringLiteral("0.5"));
    typeScale(QStringLiteral("0"), QStringLiteral("100"));
    QTest::mouseClick(m_form->Command2, Qt::LeftButton);

    QVERIFY(!m_form->isVisible());
    QVERIFY(m_form->cancelled());
    QVERIFY(m_prompter->shown().isEmpty());
    QCOMPARE(MeasSetting.Precision, before.Precision);
    QCOMPARE(MeasSetting.Unit, before.Unit);
    QCOMPARE(MeasSetting.EmissivityStr, before.EmissivityStr);
    QCOMPARE(MeasSetting.EmissivityValue, before.EmissivityValue);
    QCOMPARE(MeasSetting.ScaleZero, before.ScaleZero);
    QCOMPARE(MeasSetting.ScaleFull, before.ScaleFull);
}

void TestFormMeasSet::closingTheWindowCountsAsCancel()
{
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    clickOk();
    QVERIFY(!m_form->cancelled());

    m_form->initShow();
    m_form->show();
    m_form->ComboEmissivity->setEditText(QStringLiteral("0.5"));
    QTest::keyClick(m_form.get(), Qt::Key_Escape);
    QVERIFY(!m_form->isVisible());
    QVERIFY(m_form->cancelled());
    QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("1.00"));
}

void TestFormMeasSet::enterInScaleBoxDoesNothing()
{
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    m_form->TextScaleZero->setFocus();
    typeScale(QStringLiteral("0"), QStringLiteral("5"));
    QTest::keyClick(m_form->TextScaleZero, Qt::Key_Return);
    QTest::keyClick(m_form->TextScaleZero, Qt::Key_Enter);

    QVERIFY(m_form->isVisible());
    QVERIFY(m_prompter->shown().isEmpty());
    QCOMPARE(m_form->TextScaleZero->text(), QStringLiteral("0"));

    // Entering a box by mouse selects its whole text, so typing replaces it.
    m_form->TextScaleFull->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    QCOMPARE(m_form->TextScaleFull->selectedText(), QStringLiteral("5"));
}

void TestFormMeasSet::memoryModeHidesResolutionAndScale()
{
    programMode = 1;
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();

    for (QWidget *hidden : std::initializer_list<QWidget *>{
             m_form->Label1[1], m_form->ComboResolution, m_form->Label1[4], m_form->Label1[5],
             m_form->Label1[6], m_form->Label1[7], m_form->Label1[8], m_form->Label1[9],
             m_form->TextScaleZero, m_form->TextScaleFull})
        QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
    for (QWidget *shown : std::initializer_list<QWidget *>{
             m_form->Label1[0], m_form->Label1[2], m_form->Label1[3], m_form->ComboUnit,
             m_form->ComboEmissivity, m_form->CommandEdit, m_form->Command1, m_form->Command2})
        QVERIFY2(shown->isVisible(), qPrintable(shown->objectName()));

    m_form->ComboEmissivity->setEditText(QStringLiteral("0.9"));
    clickOk();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("0.90"));
    QCOMPARE(MeasSetting.ScaleZero, -20.0f);
    QCOMPARE(MeasSetting.ScaleFull, 500.0f);
}

void TestFormMeasSet::memoryModeStillChecksLoadedScale()
{
    programMode = 1;
    MeasSetting.ScaleZero = 600.0f;
    MeasSetting.ScaleFull = 0.0f;
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    // The hidden boxes are clamped and ordered, but a span the user cannot see does not
    // keep the dialog open.
    clickOk();
    QVERIFY(!m_form->isVisible());
    QVERIFY(m_prompter->texts().isEmpty());
    QCOMPARE(MeasSetting.ScaleZero, 0.0f);
    QCOMPARE(MeasSetting.ScaleFull, 500.0f);

    MeasSetting.ScaleZero = 5.0f;
    MeasSetting.ScaleFull = 0.0f;
    m_form->initShow();
    m_form->show();
    clickOk();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(MeasSetting.ScaleZero, 0.0f);
    QCOMPARE(MeasSetting.ScaleFull, 5.0f);
}

void TestFormMeasSet::materialFromListIsUsed()
{
    MeasSetting.EmissivityList =
        QStringList{QStringLiteral("Steel:0.8"), QStringLiteral("Glass:0.94")};
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    QCOMPARE(m_form->ComboEmissivity->count(), 2);
    QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("1.00"));

    m_form->ComboEmissivity->setCurrentIndex(0);
    clickOk();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("Steel:0.80"));
    QCOMPARE(MeasSetting.EmissivityValue, 0.8f);
    // The typed text never becomes a list entry.
    QCOMPARE(m_form->ComboEmissivity->count(), 2);
}

void TestFormMeasSet::editButtonOpensListEditorAndRefreshesList()
{
    MeasSetting.EmissivityList = QStringList{QStringLiteral("Steel:0.80")};
    m_form = std::make_unique<FormMeasSet>();
    m_form->show();
    m_form->ComboEmissivity->setEditText(QStringLiteral("0.70"));

    bool seen = false;
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *editor = qobject_cast<FormRadiation *>(QApplication::activeModalWidget());
        if (!editor)
            return;
        poll.stop();
        seen = true;
        editor->TextRName->setText(QStringLiteral("Brick"));
        editor->TextRNum->setText(QStringLiteral("0.9"));
        QTest::mouseClick(editor->Command3, Qt::LeftButton);
        QTest::mouseClick(editor->Command1, Qt::LeftButton);
    });
    poll.start();
    QTest::mouseClick(m_form->CommandEdit, Qt::LeftButton);

    QVERIFY(seen);
    const QStringList expected{QStringLiteral("Steel:0.80"), QStringLiteral("Brick:0.90")};
    QCOMPARE(MeasSetting.EmissivityList, expected);
    QCOMPARE(m_form->ComboEmissivity->count(), 2);
    QCOMPARE(m_form->ComboEmissivity->itemText(1), QStringLiteral("Brick:0.90"));
    QCOMPARE(m_form->ComboEmissivity->currentText(), QStringLiteral("0.70"));
    QVERIFY(m_form->isVisible());
}

QTEST_MAIN(TestFormMeasSet)
#include "tst_formmeasset.moc"
