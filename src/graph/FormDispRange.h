#pragma once

#include <QDialog>

#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Temp Display Range": the lower and upper temperature of the vertical axis.
class FormDispRange : public QDialog
{
    Q_OBJECT
public:
    struct Range {
        double lower = 0.0;
        double upper = 0.0;
    };

    explicit FormDispRange(QWidget *parent = nullptr);

    // Temperatures in `unit`; OK refuses values outside lowLimit..highLimit.
    void load(double bottom, double top, double lowLimit, double highLimit, int unit);
    // lower <= upper.
    std::optional<Range> result() const { return m_result; }
    static std::optional<Range> ask(QWidget *parent, double bottom, double top, double lowLimit,
                                    double highLimit, int unit);

    // 0 OK, 1 Cancel.
    void Command1_Click(int index);

    QGroupBox *Frame1 = nullptr;
    QLineEdit *Text1[2] = {}; // lower, upper
    QLabel *LabelUnit[2] = {};
    QLabel *Label1 = nullptr; // between the two
    QPushButton *Command1[2] = {};

public Q_SLOTS:
    // Closing the window or pressing Escape counts as Cancel.
    void reject() override;

private:
    double m_lowLimit = 0.0;
    double m_highLimit = 0.0;
    int m_unit = 0;
    std::optional<Range> m_result;
};
