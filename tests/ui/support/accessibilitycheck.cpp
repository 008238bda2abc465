#include "accessibilitycheck.h"

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>

namespace {

// Roles that a user operates; each must carry a name.
bool isControlRole(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Slider:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::ListItem:
    case QAccessible::MenuItem:
    case QAccessible::ScrollBar:
    case QAccessible::Link:
    case QAccessible::Dialog:
        return true;
    default:
        return false;
    }
}

// The Accessible attached object of an item, if the document gave it one.
QObject* attachedOf(const QQuickItem* item)
{
    for (QObject* child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0)
            return child;
    }
    return nullptr;
}

QString describeItem(const QQuickItem* item)
{
    QStringList path;
    for (const QQuickItem* at = item; at != nullptr; at = at->parentItem()) {
        if (!at->objectName().isEmpty()) {
            path.prepend(at->objectName());
            if (path.size() == 3)
                break;
        }
    }
    return QStringLiteral("%1 in %2").arg(QString::fromLatin1(item->metaObject()->className()),
                                          path.join(QLatin1Char('/')));
}

void collectTree(QAccessibleInterface* node, QSet<QObject*>& seen, QList<QAccessibleInterface*>& order, int depth)
{
    if (node == nullptr || depth > 64)
        return;
    if (node->object() != nullptr)
        seen.insert(node->object());
    order.append(node);
    for (int i = 0; i < node->childCount(); ++i)
        collectTree(node->child(i), seen, order, depth + 1);
}

bool isInteractive(const QQuickItem* item)
{
    return item->inherits("QQuickMouseArea") || item->inherits("QQuickTextInput") || item->activeFocusOnTab();
}

void collectItems(QQuickItem* item, QList<QQuickItem*>& out)
{
    if (!item->isVisible())
        return;
    out.append(item);
    for (QQuickItem* child : item->childItems())
        collectItems(child, out);
}

QList<QAccessibleInterface*> treeOf(QQuickItem* root, QSet<QObject*>& seen)
{
    QAccessible::setActive(true);
    QList<QAccessibleInterface*> order;
    collectTree(QAccessible::queryAccessibleInterface(root->window()), seen, order, 0);
    return order;
}

} // namespace

QStringList AccessibilityCheck::problems(QQuickItem* root) const
{
    QStringList out;
    if (root == nullptr || root->window() == nullptr)
        return {QStringLiteral("no scene")};
    QSet<QObject*> seen;
    const QList<QAccessibleInterface*> tree = treeOf(root, seen);
    if (!seen.contains(root))
        out << QStringLiteral("the scene's root is not in the accessibility tree");

    for (QAccessibleInterface* node : tree) {
        if (node->state().invisible)
            continue;
        const QString name = node->text(QAccessible::Name);
        if (isControlRole(node->role()) && name.trimmed().isEmpty()) {
            auto* item = qobject_cast<QQuickItem*>(node->object());
            out << QStringLiteral("control without a name: role %1, %2")
                       .arg(node->role())
                       .arg(item != nullptr ? describeItem(item) : QStringLiteral("?"));
        }
        if (node->role() == QAccessible::Graphic && name.trimmed().isEmpty()) {
            auto* item = qobject_cast<QQuickItem*>(node->object());
            out << QStringLiteral("picture exposed without a name: %1")
                       .arg(item != nullptr ? describeItem(item) : QStringLiteral("?"));
        }
    }

    QList<QQuickItem*> items;
    collectItems(root, items);
    for (QQuickItem* item : items) {
        if (!isInteractive(item) || !item->isEnabled())
            continue;
        QQuickItem* owner = nullptr;
        bool ignored = false;
        QQuickItem* at = item;
        for (int level = 0; level < 3 && at != nullptr && owner == nullptr && !ignored; ++level, at = at->parentItem()) {
            QObject* attached = attachedOf(at);
            if (attached == nullptr)
                continue;
            if (attached->property("ignored").toBool())
                ignored = true;
            else if (attached->property("role").toInt() != QAccessible::NoRole)
                owner = at;
        }
        if (ignored)
            continue;
        if (owner == nullptr) {
            out << QStringLiteral("interactive item without a role: %1").arg(describeItem(item));
            continue;
        }
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(owner);
        if (!seen.contains(owner))
            out << QStringLiteral("interactive item not in the tree: %1").arg(describeItem(owner));
        else if (iface == nullptr || !isControlRole(iface->role()))
            out << QStringLiteral("interactive item under a non-control role %1: %2")
                       .arg(iface != nullptr ? iface->role() : -1)
                       .arg(describeItem(item));
    }
    out.removeDuplicates();
    return out;
}

QVariantMap AccessibilityCheck::describe(QQuickItem* item) const
{
    QVariantMap out;
    if (item == nullptr)
        return out;
    QSet<QObject*> seen;
    treeOf(item, seen);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(item);
    if (iface == nullptr)
        return out;
    out[QStringLiteral("role")] = int(iface->role());
    out[QStringLiteral("name")] = iface->text(QAccessible::Name);
    out[QStringLiteral("description")] = iface->text(QAccessible::Description);
    out[QStringLiteral("checkable")] = bool(iface->state().checkable);
    out[QStringLiteral("checked")] = bool(iface->state().checked);
    out[QStringLiteral("focused")] = bool(iface->state().focused);
    out[QStringLiteral("inTree")] = seen.contains(item);
    if (QAccessibleValueInterface* value = iface->valueInterface()) {
        out[QStringLiteral("value")] = value->currentValue();
        out[QStringLiteral("minimum")] = value->minimumValue();
        out[QStringLiteral("maximum")] = value->maximumValue();
    }
    return out;
}

QStringList AccessibilityCheck::controlNames(QQuickItem* root) const
{
    QStringList out;
    if (root == nullptr || root->window() == nullptr)
        return out;
    QSet<QObject*> seen;
    for (QAccessibleInterface* node : treeOf(root, seen)) {
        if (!node->state().invisible && isControlRole(node->role()))
            out << node->text(QAccessible::Name);
    }
    return out;
}
