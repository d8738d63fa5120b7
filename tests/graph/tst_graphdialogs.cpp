#include "FormCHSet.h"
#include "FormCurMove.h"
#include "FormDispRange.h"
#include "FormGraphMove.h"
#include "ScriptedPrompter.h"
#include "Strings.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <limits>
#include <memory>

namespace
{

template <typename T> T *child(QWidget *dialog, const QString &name)
{
    auto *widget = dialog->findChild<T *>(name);
    if (!widget)
        qFatal("no child %s", qPrintable(name));
    return widget;
}

// click() rather than a mouse click at the centre: a radio button stretched by its layout has
// no text there.
void click(QWidget *dialog, const QString &name)
{
    child<QAbstractButton>(dialog, name)->click();
}

void type(QWidget *dialog, const QString &name, const QString &text)
{
    auto *field = child<QLineEdit>(dialog, name);
    field->clear();
    QTest::keyClicks(field, text);
}

QStringList texts(QWidget *dialog, const QStringList &names)
{
    QStringList out;
    for (const QString &name : names)
        out << child<QLineEdit>(dialog, name)->text();
    return out;
}

const QStringList timeFields = {"Textdd", "Texthh", "Textnn", "Textss"};

quint32 boxColour(QWidget *dialog, int ch)
{
    const QPalette palette = child<QFrame>(dialog, QStringLiteral("CHColor_%1").arg(ch))->palette();
    return palette.color(QPalette::Window).rgb() & 0xFFFFFF;
}

FormCHSet::Channels sampleChannels()
{
    FormCHSet::Channels channels;
    for (int ch = 0; ch < 8; ++ch)
        channels[ch] = {ch != 3 && ch < 6, ch % 2 == 0, 0x101010u * quint32(ch + 1)};
    return channels;
}

// OK, then a second showing closed another way must not keep the first result.
template <typename Form> void checkCancelAfterOk(Form &form, int how)
{
    if (QTest::currentTestFailed())
        return;
    form.show();
    click(&form, "Command1_0");
    QVERIFY(form.result().has_value());
    form.show();
    if (how == 0)
        click(&form, "Command1_1");
    else if (how == 1)
        QTest::keyClick(&form, Qt::Key_Escape);
    else
        form.close();
    QVERIFY(!form.isVisible());
    QVERIFY(!form.result().has_value());
}

} // namespace

class TestGraphDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }
    void init() { m_prompter = std::make_unique<ScriptedPrompter>(); }
    void cleanup() { m_prompter.reset(); }

    // Each row: field, typed, shown.
    void fieldsTakeOnlyNumbersAndSelectAllOnFocus_data()
    {
        QTest::addColumn<QStringList>("row");
        QTest::newRow("days refuse a sign") << QStringList{"Textdd", "-3x", "3"};
        QTest::newRow("seconds refuse letters") << QStringList{"Textss", "1a2", "12"};
        QTest::newRow("temperature takes a sign") << QStringList{"Text1_0", "-1.5x", "-1.5"};
        QTest::newRow("temperature takes one point") << QStringList{"Text1_1", "1.2.3", "1.23"};
    }
    void fieldsTakeOnlyNumbersAndSelectAllOnFocus()
    {
        QFETCH(QStringList, row);
        FormCurMove curMove;
        FormDispRange range;
        QDialog *dialog = row[0].startsWith("Text1_") ? static_cast<QDialog *>(&range) : &curMove;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        type(dialog, row[0], row[1]);
        auto *edit = child<QLineEdit>(dialog, row[0]);
        QCOMPARE(edit->text(), row[2]);

        child<QWidget>(dialog, "Command1_0")->setFocus();
        edit->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(edit->selectedText(), edit->text());
    }

    void curMoveOkLimitsToTimeRange_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<qint32>("timeMax");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("beyond the end") << QStringList{"1", "0", "0", "30"} << 3600 << 3600;
        QTest::newRow("within") << QStringList{"0", "00", "59", "59"} << 7200 << 3599;
        QTest::newRow("hours above 23 count in full")
            << QStringList{"0", "25", "0", "0"} << 200000 << 90000;
    }
    void curMoveOkLimitsToTimeRange()
    {
        QFETCH(QStringList, typed);
        QFETCH(qint32, timeMax);
        FormCurMove form;
        form.load(90061, timeMax);
        form.show();
        QCOMPARE(texts(&form, timeFields), (QStringList{"1", "01", "01", "01"}));
        for (int i = 0; i < 4; ++i)
            type(&form, timeFields[i], typed[i]);
        click(&form, "Command1_0");
        QVERIFY(!form.isVisible());
        QTEST(form.result().value_or(-1), "expected");
    }

    void graphMoveTakesEndTimeOrCursor_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("one hour") << 0 << QStringList{"0", "01", "00", "00"} << 3600;
        QTest::newRow("days and seconds") << 0 << QStringList{"2", "00", "00", "05"} << 172805;
        QTest::newRow("many days do not wrap")
            << 0 << QStringList{"99999", "0", "0", "0"} << std::numeric_limits<qint32>::max();
        QTest::newRow("cursor A") << 1 << QStringList() << 0;
        QTest::newRow("cursor B") << 2 << QStringList() << 0;
    }
    void graphMoveTakesEndTimeOrCursor()
    {
        QFETCH(int, option);
        QFETCH(QStringList, typed);
        FormGraphMove form;
        form.load(90061);
        form.show();
        QCOMPARE(texts(&form, timeFields), (QStringList{"1", "01", "01", "01"}));
        QVERIFY(child<QRadioButton>(&form, "Option1_0")->isChecked());
        auto fieldsEnabled = [&] {
            QList<bool> out;
            for (const QString &field : timeFields)
                out << child<QLineEdit>(&form, field)->isEnabled();
            return out;
        };
        QCOMPARE(fieldsEnabled(), QList<bool>(4, true));
        for (int i = 0; i < typed.size(); ++i)
            type(&form, timeFields[i], typed[i]);
        if (option != 0) {
            const QString name = QStringLiteral("Option1_%1").arg(option);
            click(&form, name);
            QCOMPARE(fieldsEnabled(), QList<bool>(4, false));
            click(&form, "Option1_0");
            QCOMPARE(fieldsEnabled(), QList<bool>(4, true));
            click(&form, name);
        }
        click(&form, "Command1_0");
        QVERIFY(form.result().has_value());
        QCOMPARE(form.result()->option, option);
        if (option == 0)
            QTEST(form.result()->t, "expected");
    }

    // A value outside the limits is limited and shown with a warning, the dialog staying open;
    // the range is put in order only by the OK that accepts it.
    void dispRangeOkLimitsAndOrdersTheRange_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("shown"); // after the first OK
        QTest::addColumn<bool>("warned");
        QTest::addColumn<QList<double>>("range");
        QTest::newRow("in order") << QStringList{"20", "50"} << QStringList{"20.0", "50.0"} << false
                                  << QList<double>{20, 50};
        QTest::newRow("exchanged") << QStringList{"50", "20"} << QStringList{"20.0", "50.0"}
                                   << false << QList<double>{20, 50};
        QTest::newRow("limits are allowed")
            << QStringList{"-100", "600"} << QStringList{"-100.0", "600.0"} << false
            << QList<double>{-100, 600};
        QTest::newRow("upper above") << QStringList{"0", "800"} << QStringList{"0.0", "600.0"}
                                     << true << QList<double>{0, 600};
        QTest::newRow("lower below") << QStringList{"-200", "50"} << QStringList{"-100.0", "50.0"}
                                     << true << QList<double>{-100, 50};
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
        QCOMPARE(child<QLabel>(&form, "LabelUnit_1")->text(), QStringLiteral("°C"));
        type(&form, "Text1_0", typed[0]);
        type(&form, "Text1_1", typed[1]);
        click(&form, "Command1_0");
        QTEST(texts(&form, {"Text1_0", "Text1_1"}), "shown");
        QCOMPARE(form.isVisible(), warned);
        QCOMPARE(form.result().has_value(), !warned);
        if (warned) {
            QCOMPARE(m_prompter->texts(),
                     QStringList{QStringLiteral("Out of range Temp axis.\r-100.0°C~600.0°C")});
            click(&form, "Command1_0");
        }
        QCOMPARE(m_prompter->shown().size(), warned ? 1 : 0);
        QVERIFY(form.result().has_value());
        QTEST((QList<double>{form.result()->lower, form.result()->upper}), "range");
    }

    // Absent channels have nothing to change; a cancelled picker leaves the colour.
    void chSetResultFollowsChecksAndPicker()
    {
        FormCHSet form;
        const FormCHSet::Channels channels = sampleChannels();
        form.load(channels);
        form.show();
        for (int ch = 0; ch < 8; ++ch) {
            const QString n = QString::number(ch);
            QCOMPARE(child<QLabel>(&form, "LabelCHName_" + n)->text(),
                     "CH" + QString::number(ch + 1));
            QCOMPARE(child<QCheckBox>(&form, "Check1_" + n)->isEnabled(), channels[ch].present);
            auto *button = child<QPushButton>(&form, "ButtonChangeColor_" + n);
            QCOMPARE(button->isEnabled(), channels[ch].present);
            QCOMPARE(button->text(), QStringLiteral("Change..."));
            QCOMPARE(boxColour(&form, ch), channels[ch].colour);
        }
        m_prompter->answerColor(0x00FF00);
        click(&form, "ButtonChangeColor_1");
        m_prompter->answerColor(-1);
        click(&form, "ButtonChangeColor_2");
        QCOMPARE(m_prompter->colorDialogs(), 2);
        QCOMPARE(boxColour(&form, 1), 0x00FF00u);
        QCOMPARE(boxColour(&form, 2), channels[2].colour);
        click(&form, "Check1_0");
        click(&form, "Check1_1");
        click(&form, "Command1_0");

        QVERIFY(!form.isVisible());
        QVERIFY(form.result().has_value());
        const FormCHSet::Channels result = *form.result();
        for (int ch = 0; ch < 8; ++ch) {
            QCOMPARE(result[ch].shown, ch < 2 ? !channels[ch].shown : channels[ch].shown);
            QCOMPARE(result[ch].colour, ch == 1 ? 0x00FF00u : channels[ch].colour);
        }
    }

    void cancelAfterOkGivesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelAfterOkGivesNothing()
    {
        QFETCH(int, how);
        FormCurMove curMove;
        curMove.load(60, 3600);
        checkCancelAfterOk(curMove, how);
        FormGraphMove graphMove;
        graphMove.load(60);
        checkCancelAfterOk(graphMove, how);
        FormDispRange range;
        range.load(20, 50, -100, 600, 0);
        checkCancelAfterOk(range, how);
        FormCHSet chSet;
        chSet.load(sampleChannels());
        checkCancelAfterOk(chSet, how);
    }

private:
    std::unique_ptr<ScriptedPrompter> m_prompter;
};

QTEST_MAIN(TestGraphDialogs)
#include "tst_graphdialogs.moc"
