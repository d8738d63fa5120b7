#include "FieldHelpers.h"

#include "Strings.h"

#include <QHBoxLayout>
#include <QPushButton>

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

void selectAllText(QLineEdit *field)
{
    if (field)
        field->selectAll();
}

int filterEnterKey(int key)
{
    switch (key) {
    case 13:
    case 9:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        return 0;
    default:
        return key;
    }
}

namespace
{
class FieldFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *field = qobject_cast<QLineEdit *>(watched);
        if (!field)
            return false;
        if (event->type() == QEvent::FocusIn) {
            // A mouse click after the focus change would undo an immediate selection.
            QTimer::singleShot(0, field, [field] { selectAllText(field); });
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (filterEnterKey(key) == 0 && key != Qt::Key_Tab)
                return true;
        }
        return false;
    }
};
} // namespace

void installFieldBehaviour(QLineEdit *field)
{
    field->installEventFilter(new FieldFilter(field));
}

QPushButton *dialogButton(QWidget *parent, const QString &name, int stringId)
{
    auto *b = named(new QPushButton(loadString(stringId), parent), name);
    b->setAutoDefault(false);
    return b;
}

QHBoxLayout *okCancelRow(QWidget *dialog, QPushButton *buttons[2], int okId,
                         const std::function<void(int)> &click)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        buttons[i] = dialogButton(dialog, QStringLiteral("Command1_%1").arg(i), okId + i);
        QObject::connect(buttons[i], &QPushButton::clicked, dialog, [click, i] { click(i); });
        row->addWidget(buttons[i]);
    }
    return row;
}
