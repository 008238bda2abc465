// What assistive technology sees of a running scene, read in process through
// Qt's QAccessible interfaces, for the Qt Quick tests (context property
// `accessibility`).
#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>

class QQuickItem;

class AccessibilityCheck : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Every fault of the scene under `root`, one line each: an interactive
    // item (a mouse area, a text field, a Tab stop) that no accessible control
    // of its own or of its parent or grandparent covers, a control without a
    // name, or a picture exposed without one. Empty when all is well.
    Q_INVOKABLE QStringList problems(QQuickItem* root) const;

    // { role, name, description, checked, checkable, value, minimum, maximum,
    //   focused, inTree } of one item as its accessible interface reports it.
    Q_INVOKABLE QVariantMap describe(QQuickItem* item) const;

    // The names of the interactive controls a client sees, in tree order.
    Q_INVOKABLE QStringList controlNames(QQuickItem* root) const;
};
