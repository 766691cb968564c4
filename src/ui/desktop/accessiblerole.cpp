#include "ui/desktop/accessiblerole.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

const char *const RoleProperty = "kirrelAccessibleRole";

QAccessibleInterface *roleFactory(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    const QVariant role = object->property(RoleProperty);
    if (!role.isValid())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Role(role.toInt()));
}

} // namespace

void setAccessibleRole(QWidget *widget, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(roleFactory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(RoleProperty, int(role));
}
