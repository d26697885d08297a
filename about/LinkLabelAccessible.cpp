// SPDX-License-Identifier: MIT
#include "LinkLabelAccessible.h"

#include "LinkLabel.h"

#include <QAccessibleWidget>

namespace velmora {

namespace {

class LinkLabelAccessible : public QAccessibleWidget {
  public:
    explicit LinkLabelAccessible(LinkLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const LinkLabel*>(widget());
        if (t == QAccessible::Name && label->accessibleName().isEmpty())
            return label->text();
        if (t == QAccessible::Value)
            return label->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& action) override {
        if (action == pressAction())
            Q_EMIT static_cast<LinkLabel*>(widget())->Click();
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String(LinkLabel::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new LinkLabelAccessible(static_cast<LinkLabel*>(object));
    return nullptr;
}

} // namespace

void InstallLinkLabelAccessible() {
    static const bool installed = (QAccessible::installFactory(Factory), true);
    Q_UNUSED(installed);
}

} // namespace velmora
