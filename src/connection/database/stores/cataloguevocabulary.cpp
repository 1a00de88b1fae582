#include "connection/database/stores/cataloguevocabulary.h"

#include "domain/types/chambersignal.h"
#include "domain/types/controlleraddress.h"
#include "domain/types/int10.h"

#include <QtCore/QMap>
#include <QtCore/QMetaType>

namespace quelta::base::connection::databaseconnection {

namespace {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;

// Lookups miss into 0 in every table: read-only access, no value type, a
// process value.
constexpr int UnknownText = 0;

const QMap<QString, int> &accessModeIds()
{
    static const QMap<QString, int> ids{
        {QStringLiteral("RO"), ControllerAddress::ReadOnly},
        {QStringLiteral("WO"), ControllerAddress::WriteOnly},
        {QStringLiteral("RW"), ControllerAddress::ReadWrite},
        {QString(), ControllerAddress::NoAccess},
    };
    return ids;
}

const QMap<QString, int> &dataTypeIds()
{
    // INT8 shares the id of INT32: the controllers' 8-bit values travel in
    // an int like the 32-bit ones.
    static const QMap<QString, int> ids{
        {QStringLiteral("BOOL"), QMetaType::Bool},
        {QStringLiteral("CHAR"), QMetaType::Char},
        {QStringLiteral("FLOAT"), QMetaType::Float},
        {QStringLiteral("INT8"), QMetaType::Int},
        {QStringLiteral("INT16"), QMetaType::Short},
        {QStringLiteral("INT32"), QMetaType::Int},
        {QStringLiteral("TIME"), QMetaType::QTime},
        {QStringLiteral("UINT8"), QMetaType::UChar},
        {QStringLiteral("UINT16"), QMetaType::UShort},
        {QStringLiteral("UINT32"), QMetaType::UInt},
        {QStringLiteral("INT10"), qMetaTypeId<domain::types::Int10>()},
    };
    return ids;
}

const QMap<QString, int> &signalTypeIds()
{
    static const QMap<QString, int> ids{
        {QStringLiteral("process_value"), ChamberSignal::ProcessValue},
        {QStringLiteral("set_point"), ChamberSignal::SetPoint},
        {QStringLiteral("set_point_process_value"), ChamberSignal::SetPointProcessValue},
        {QString(), ChamberSignal::NoSignalType},
    };
    return ids;
}

bool isBracket(QChar character)
{
    return character == QLatin1Char('[') || character == QLatin1Char(']');
}

int indexOfBracket(const QString &text, int from)
{
    for (int index = from; index < text.size(); ++index) {
        if (isBracket(text.at(index)))
            return index;
    }
    return -1;
}

} // namespace

int accessModeId(const QString &text)
{
    return accessModeIds().value(text, UnknownText);
}

int dataTypeId(const QString &name)
{
    return dataTypeIds().value(name, UnknownText);
}

QPair<int, int> parseVariableType(const QString &variableType)
{
    // The text splits at every bracket into the type name, the count text
    // and whatever follows; only the first two parts are read.
    const int opening = indexOfBracket(variableType, 0);
    if (opening < 0)
        return {dataTypeId(variableType), 1};

    const int closing = indexOfBracket(variableType, opening + 1);
    const QString countText =
        variableType.mid(opening + 1, closing < 0 ? -1 : closing - opening - 1);
    bool isNumber = false;
    const int count = countText.toInt(&isNumber, 10);
    return {dataTypeId(variableType.left(opening)), isNumber ? count : 0};
}

int signalTypeId(const QString &text)
{
    return signalTypeIds().value(text, UnknownText);
}

QString signalTypeText(int signalType)
{
    return signalTypeIds().key(signalType);
}

} // namespace quelta::base::connection::databaseconnection
