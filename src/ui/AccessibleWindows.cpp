#include "ui/AccessibleWindows.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QWidget>

namespace rk {

namespace {

// A widget's interface whose children are its child widgets that are not hidden.
class ShownChildren : public QAccessibleWidget {
public:
    ShownChildren(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    int childCount() const override { return int(shown().size()); }

    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = shown();
        if (index < 0 || index >= children.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(children[index]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        return int(shown().indexOf(qobject_cast<QWidget*>(child->object())));
    }

    QString text(QAccessible::Text t) const override {
        // A window is known by its title.
        if (t == QAccessible::Name && widget()->isWindow() && widget()->accessibleName().isEmpty())
            return widget()->windowTitle();
        return QAccessibleWidget::text(t);
    }

private:
    QList<QWidget*> shown() const {
        QList<QWidget*> children;
        for (QObject* o : widget()->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !w->isWindow() && !w->isHidden()) children.append(w);
        }
        return children;
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w) return nullptr;
    if (className == QLatin1String("rk::TfrmMain") || className == QLatin1String("rk::HelpWindow"))
        return new ShownChildren(w, QAccessible::Window);
    if (className == QLatin1String("rk::DriveCheckPanel"))
        return new ShownChildren(w, QAccessible::Grouping);
    // Every dialog of the program: the tool windows keep hidden lists and drive boxes.
    if (className == QLatin1String("QDialog")) return new ShownChildren(w, QAccessible::Dialog);
    return nullptr;
}

}  // namespace

void installAccessibleWindows() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

}  // namespace rk
