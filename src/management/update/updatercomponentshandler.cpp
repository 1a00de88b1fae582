#include "management/update/updatercomponentshandler.h"

namespace quelta::base::management::updatemanager {

namespace {
const QLatin1String packageElement("Package");
}

QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED

bool UpdaterComponentsHandler::startDocument()
{
    return true;
}

bool UpdaterComponentsHandler::endDocument()
{
    return true;
}

bool UpdaterComponentsHandler::startElement(const QString &, const QString &, const QString &qName,
                                            const QXmlAttributes &)
{
    // A component whose Package has not ended is dropped.
    if (qName == packageElement)
        m_currentComponent = QSharedPointer<UpdaterComponent>::create();
    m_enclosingElements.append(m_currentElement);
    m_currentElement = {qName, QString()};
    return true;
}

bool UpdaterComponentsHandler::endElement(const QString &, const QString &, const QString &qName)
{
    // The end tag of an outer Package after a nested one finds no component.
    if (qName == packageElement && m_currentComponent) {
        m_components.append(m_currentComponent);
        m_currentComponent.reset();
    }
    if (!m_enclosingElements.isEmpty())
        m_currentElement = m_enclosingElements.takeLast();
    return true;
}

bool UpdaterComponentsHandler::characters(const QString &text)
{
    // Only the Package's own field children count, not a field element
    // nested in another of its elements.
    if (!m_currentComponent || m_enclosingElements.isEmpty()
        || m_enclosingElements.constLast().name != packageElement)
        return true;
    // The reader may report one element's text in several chunks (around a
    // CDATA section, for instance), so the chunks are joined.
    m_currentElement.text += text;
    m_currentComponent->setField(m_currentElement.name, m_currentElement.text);
    return true;
}

QT_WARNING_POP

QList<QSharedPointer<UpdaterComponent>> UpdaterComponentsHandler::components() const
{
    return m_components;
}

} // namespace quelta::base::management::updatemanager
