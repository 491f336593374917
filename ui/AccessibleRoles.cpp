#include "AccessibleRoles.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* AccessibleRole(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (className == QLatin1String("frmConvert") || className == QLatin1String("PreviewWindow")) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    if (className == QLatin1String("ColourSwatch") || className == QLatin1String("PreviewFrame")) {
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    if (className == QLatin1String("ControlGroup")) {
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    }
    return nullptr;
}

} // namespace

void InstallAccessibleRoles()
{
    // Qt installs a factory only once, however often it is asked to.
    QAccessible::installFactory(AccessibleRole);
}
