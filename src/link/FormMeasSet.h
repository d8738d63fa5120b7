#pragma once

#include "MeasSettingCheck.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The instrument settings dialog: resolution, unit, emissivity (free text or a material of
// the emissivity list) and the analog output scale. Callers run initShow(), exec() it and
// then read cancelled() and changed(). In the memory mode only unit and emissivity are
// shown; OK still checks the hidden scale with the values loaded from the record.
class FormMeasSet : public QDialog
{
    Q_OBJECT
public:
    explicit FormMeasSet(QWidget *parent = nullptr);

    void initShow();
    // Record -> controls, normalising emissivity and scale on the way.
    void loadMeasSetting();
    // Controls -> record.
    void setMeasSetting();
    // Refills the emissivity combo's list from the record; the typed text stays.
    void loadEmissivityList();

    // checkScalePrim with the stored unit; remembers the limits in scaleMin()/scaleMax().
    bool checkScale0(float &zero, float &full);

    bool cancelled() const { return m_cancelled; }
    bool changed() const { return m_changed; }
    float scaleMin() const { return m_scaleMin; }
    float scaleMax() const { return m_scaleMax; }
    // Name and value text found by the last emissivity check of the combo.
    QString emissivityName() const { return m_emissivityName; }
    QString emissivityValueText() const { return m_emissivityValueText; }

    void Command1_Click();
    void Command2_Click();
    void CommandEdit_Click();

    QLabel *Label1[10] = {};
    QComboBox *ComboResolution = nullptr;
    QComboBox *ComboUnit = nullptr;
    QComboBox *ComboEmissivity = nullptr;
    QLineEdit *TextScaleZero = nullptr;
    QLineEdit *TextScaleFull = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *CommandEdit = nullptr;

public Q_SLOTS:
    // Closing the window or pressing Escape counts as Cancel.
    void reject() override;

private:
    bool checkEmissivityCombo();
    bool checkScaleRange();
    bool checkScaleSpan();
    void orderScale();
    void setScaleTexts(float zero, float full);

    bool m_cancelled = true;
    bool m_changed = false;
    float m_scaleMin = 0.0f;
    float m_scaleMax = 0.0f;
    QString m_emissivityName;
    QString m_emissivityValueText;
    MeasSettingSnapshot m_snapshot;
};
