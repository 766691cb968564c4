// What assistive technology sees of a SkinButton: a push button named by its caption that can
// be pressed.
#include "ui/controls/skinbutton.h"

#include <QAccessibleWidget>
#include <QPointer>

namespace {

class SkinButtonAccessible : public QAccessibleWidget
{
public:
    explicit SkinButtonAccessible(SkinButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("click()"));
    }

    SkinButton *button() const { return static_cast<SkinButton *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && button()->accessibleName().isEmpty())
            return button()->caption();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (button()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction() && button()->isEnabled()) {
            const QPointer<SkinButton> self(button());
            Q_EMIT self->click();
            if (self)
                Q_EMIT self->clickBtn(1);
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *skinButtonFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("SkinButton") && object && object->isWidgetType()) {
        if (auto *button = qobject_cast<SkinButton *>(object))
            return new SkinButtonAccessible(button);
    }
    return nullptr;
}

} // namespace

void SkinButton::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(skinButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
