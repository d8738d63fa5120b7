#include "FormMeasSet.h"

#include "AppState.h"
#include "FieldHelpers.h"
#include "FormRadiation.h"
#include "Format.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormMeasSet::FormMeasSet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormMeasSet"));
    setWindowTitle(loadString(1300));
    setFont(QFont(dispFontName, dispFontSize));

    for (int i = 0; i < 10; ++i)
        Label1[i] =
            named(new QLabel(loadString(1301 + i), this), QStringLiteral("Label1_%1").arg(i));
    QFont headingFont = font();
    headingFont.setBold(true);
    Label1[0]->setFont(headingFont);
    Label1[4]->setFont(headingFont);

    ComboResolution = named(new QComboBox(this), QStringLiteral("ComboResolution"));
    ComboResolution->addItems({QStringLiteral("0.1"), QStringLiteral("1")});
    ComboUnit = named(new QComboBox(this), QStringLiteral("ComboUnit"));
    ComboUnit->addItems({unitText(0), unitText(1)});
    ComboEmissivity = named(new QComboBox(this), QStringLiteral("ComboEmissivity"));
    ComboEmissivity->setEditable(true);
    // The typed text is checked on OK, not added to the list: the list is the user's own.
    ComboEmissivity->setInsertPolicy(QComboBox::NoInsert);
    ComboEmissivity->setMinimumContentsLength(16);
    TextScaleZero = named(new QLineEdit(this), QStringLiteral("TextScaleZero"));
    TextScaleFull = named(new QLineEdit(this), QStringLiteral("TextScaleFull"));
    for (QLineEdit *field : {TextScaleZero, TextScaleFull}) {
        field->setAlignment(Qt::AlignRight);
        field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0000")) +
                               16);
        installFieldBehaviour(field);
    }

    Command1 = dialogButton(this, QStringLiteral("Command1"), 1311);
    Command2 = dialogButton(this, QStringLiteral("Command2"), 1312);
    CommandEdit = dialogButton(this, QStringLiteral("CommandEdit"), 1313);

    auto *grid = new QGridLayout;
    grid->addWidget(Label1[1], 0, 0);
    grid->addWidget(ComboResolution, 0, 1, Qt::AlignLeft);
    grid->addWidget(Label1[2], 1, 0);
    grid->addWidget(ComboUnit, 1, 1, Qt::AlignLeft);
    grid->addWidget(Label1[3], 2, 0);
    grid->addWidget(ComboEmissivity, 2, 1);
    grid->addWidget(CommandEdit, 2, 2);
    grid->setColumnStretch(1, 1);

    auto *scaleRow = new QHBoxLayout;
    scaleRow->addWidget(Label1[5]);
    scaleRow->addWidget(TextScaleZero);
    scaleRow->addWidget(Label1[7]);
    scaleRow->addSpacing(6);
    scaleRow->addWidget(Label1[9]);
    scaleRow->addSpacing(6);
    scaleRow->addWidget(Label1[6]);
    scaleRow->addWidget(TextScaleFull);
    scaleRow->addWidget(Label1[8]);
    scaleRow->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1[0]);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(Label1[4]);
    layout->addLayout(scaleRow);
    layout->addSpacing(8);
    layout->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (programMode == 1) {
        // The field-type instrument has no resolution choice and no analog output.
        for (QWidget *w : std::initializer_list<QWidget *>{
                 Label1[1], ComboResolution, Label1[4], Label1[5], Label1[6], Label1[7], Label1[8],
                 Label1[9], TextScaleZero, TextScaleFull})
            w->hide();
    }

    connect(Command1, &QPushButton::clicked, this, &FormMeasSet::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FormMeasSet::Command2_Click);
    connect(CommandEdit, &QPushButton::clicked, this, &FormMeasSet::CommandEdit_Click);

    loadEmissivityList();
    initShow();
}

void FormMeasSet::initShow()
{
    m_changed = false;
    loadMeasSetting();
    m_snapshot = takeMeasSnapshot(MeasSetting);
    Label1[7]->setText(unitText(MeasSetting.Unit));
    Label1[8]->setText(unitText(MeasSetting.Unit));
}

void FormMeasSet::loadMeasSetting()
{
    ComboResolution->setCurrentIndex(MeasSetting.Precision == 1 ? 1 : 0);
    ComboUnit->setCurrentIndex(MeasSetting.Unit == 1 ? 1 : 0);
    ComboEmissivity->setEditText(MeasSetting.EmissivityStr);
    checkEmissivityCombo();
    TextScaleZero->setText(precisionText(MeasSetting.ScaleZero, -1));
    TextScaleFull->setText(precisionText(MeasSetting.ScaleFull, -1));
    checkScaleRange();
    orderScale();
}

void FormMeasSet::setMeasSetting()
{
    MeasSetting.Precision = qint16(ComboResolution->currentIndex());
    MeasSetting.Unit = qint16(ComboUnit->currentIndex());
    MeasSetting.EmissivityValue = float(parseValue(m_emissivityValueText));
    MeasSetting.EmissivityStr = ComboEmissivity->currentText();
    MeasSetting.ScaleZero = float(parseValue(TextScaleZero->text()));
    MeasSetting.ScaleFull = float(parseValue(TextScaleFull->text()));
}

void FormMeasSet::loadEmissivityList()
{
    // Clearing an editable combo also clears its text; the emissivity being edited stays.
    const QString text = ComboEmissivity->currentText();
    ComboEmissivity->clear();
    ComboEmissivity->addItems(MeasSetting.EmissivityList.mid(0, 10));
    ComboEmissivity->setCurrentIndex(-1);
    ComboEmissivity->setEditText(text);
}

bool FormMeasSet::checkScale0(float &zero, float &full)
{
    return checkScalePrim(zero, full, MeasSetting.Unit, &m_scaleMin, &m_scaleMax);
}

bool FormMeasSet::checkEmissivityCombo()
{
    const bool ok = checkEmissivityStr(ComboEmissivity->currentText(), &m_emissivityName,
                                       &m_emissivityValueText);
    ComboEmissivity->setEditText(emissivityNormalText(m_emissivityName, m_emissivityValueText));
    return ok;
}

bool FormMeasSet::checkScaleRange()
{
    float zero = scaleTextValue(TextScaleZero->text());
    float full = scaleTextValue(TextScaleFull->text());
    const bool ok = checkScale0(zero, full);
    setScaleTexts(zero, full);
    return ok;
}

bool FormMeasSet::checkScaleSpan()
{
    const float zero = scaleTextValue(TextScaleZero->text());
    const float full = scaleTextValue(TextScaleFull->text());
    if (::checkScaleSpan(zero, full, MeasSetting.Unit))
        return true;
    showMessage(scaleSpanMessage(MeasSetting.Unit));
    return false;
}

void FormMeasSet::orderScale()
{
    float zero = scaleTextValue(TextScaleZero->text());
    float full = scaleTextValue(TextScaleFull->text());
    ::orderScale(zero, full);
    setScaleTexts(zero, full);
}

void FormMeasSet::setScaleTexts(float zero, float full)
{
    TextScaleZero->setText(integerText(zero));
    TextScaleFull->setText(integerText(full));
}

void FormMeasSet::Command1_Click()
{
    if (!checkEmissivityCombo()) {
        showMessage(emissivityRangeMessage());
        return;
    }
    if (!checkScaleRange()) {
        showMessage(scaleRangeMessage(MeasSetting.Unit));
        return;
    }
    // In the memory mode the scale boxes are hidden: a span the user cannot see or mend
    // must not lock the dialog.
    if (programMode != 1 && !checkScaleSpan())
        return;
    orderScale();
    setMeasSetting();
    m_changed = isChanged(m_snapshot, MeasSetting);
    m_cancelled = false;
    accept();
}

void FormMeasSet::Command2_Click()
{
    reject();
}

void FormMeasSet::reject()
{
    m_cancelled = true;
    QDialog::reject();
}

void FormMeasSet::CommandEdit_Click()
{
    FormRadiation editor(this);
    editor.exec();
}
