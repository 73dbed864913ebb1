#include "ui/Keyboard.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QRadioButton>

namespace ui {
namespace {
class ListAccessible : public QAccessibleWidget {
  public:
    explicit ListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    int childCount() const override { return List()->lineEdit() != nullptr ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(List()->view());
        if (index == 1 && List()->lineEdit() != nullptr)
            return QAccessible::queryAccessibleInterface(List()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr)
            return -1;
        if (child->object() == List()->view())
            return 0;
        if (List()->lineEdit() != nullptr && child->object() == List()->lineEdit())
            return 1;
        return -1;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return List()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction())
            List()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

  private:
    QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ListFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox") && object != nullptr && object->isWidgetType())
        return new ListAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}
}  // namespace

void NameListsByTheirLabels() {
    static const bool installed = [] {
        QAccessible::installFactory(ListFactory);
        return true;
    }();
    (void)installed;
}

QString WithAccessKey(const QString& text, QChar key) {
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return text;
    QString keyed = text;
    keyed.insert(at, QLatin1Char('&'));
    return keyed;
}

void TabStopOnCheckedButton(std::initializer_list<QRadioButton*> group) {
    const QList<QRadioButton*> buttons(group);
    auto follow = [buttons] {
        bool anyChecked = false;
        for (QRadioButton* b : buttons)
            anyChecked = anyChecked || b->isChecked();
        // With none checked, the first button takes the stop, so that the group stays reachable.
        for (QRadioButton* b : buttons) {
            const bool stop = b->isChecked() || (!anyChecked && b == buttons.front());
            b->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    for (QRadioButton* b : buttons)
        QObject::connect(b, &QRadioButton::toggled, b, follow);
    follow();
}

}  // namespace ui
