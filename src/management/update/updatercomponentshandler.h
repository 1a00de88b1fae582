#pragma once

#include "management/update/updatercomponent.h"

#include <QtCore/QList>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtCore/QVector>
#include <QtXml/QXmlDefaultHandler>

namespace quelta::base::management::updatemanager {

QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED

// Collects the installed components while Qt's simple XML reader parses the
// installer's component list. Serves the reader as content handler and as
// error handler; a fatal error ends the parse.
class UpdaterComponentsHandler : public QXmlDefaultHandler
{
public:
    bool startDocument() override;
    bool endDocument() override;
    bool startElement(const QString &namespaceURI, const QString &localName, const QString &qName,
                      const QXmlAttributes &attributes) override;
    bool endElement(const QString &namespaceURI, const QString &localName, const QString &qName) override;
    bool characters(const QString &text) override;

    // The components in document order.
    QList<QSharedPointer<UpdaterComponent>> components() const;

private:
    struct OpenElement
    {
        QString name;
        QString text;
    };

    OpenElement m_currentElement;
    QList<QSharedPointer<UpdaterComponent>> m_components;
    QSharedPointer<UpdaterComponent> m_currentComponent;
    QVector<OpenElement> m_enclosingElements;
};

QT_WARNING_POP

} // namespace quelta::base::management::updatemanager
