#pragma once

#include <QtCore/QDebug>
#include <QtCore/QList>
#include <QtCore/QVariant>
#include <QtQml/QQmlContext>
#include <QtQml/QQmlEngine>
#include <QtQml/QQmlExpression>
#include <QtQml/QQmlListProperty>

// Evaluates a JavaScript expression in a fresh QML engine, with the value as
// the context property "item", the way a document reads it. Properties and
// methods are found by name only, so a renamed one yields an invalid result
// and a logged error.
inline QVariant evaluateInQml(const QVariant &item, const QString &expression)
{
    QQmlEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("item"), item);
    QQmlExpression qmlExpression(engine.rootContext(), nullptr, expression);
    const QVariant result = qmlExpression.evaluate();
    if (qmlExpression.hasError())
        qWarning() << qmlExpression.error();
    return result;
}

// The elements of a list property, read through its count and at functions
// as QML reads them.
template<typename T>
QList<T *> elementsOf(QQmlListProperty<T> list)
{
    QList<T *> elements;
    for (int i = 0; i < list.count(&list); ++i)
        elements.append(list.at(&list, i));
    return elements;
}
