#include "connection/database/stores/cataloguevocabulary.h"

#include "domain/types/chambersignal.h"
#include "domain/types/controlleraddress.h"
#include "domain/types/int10.h"

#include <QtCore/QMap>
#include <QtCore/QMetaType>

#include <algorithm>

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

bool isDecimalDigit(QChar character)
{
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
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
    // Only a suffix "[n]" with n in decimal digits carries a count.
    const auto bracket = std::find_if(variableType.cbegin(), variableType.cend(), isBracket);
    if (bracket == variableType.cend())
        return {dataTypeId(variableType), 1};

    const int opening = static_cast<int>(bracket - variableType.cbegin());
    const int typeId = dataTypeId(variableType.left(opening));
    if (*bracket != QLatin1Char('[') || !variableType.endsWith(QLatin1Char(']')))
        return {typeId, 0};
    const QStringRef countText = variableType.midRef(opening + 1, variableType.size() - opening - 2);
    if (!std::all_of(countText.cbegin(), countText.cend(), isDecimalDigit))
        return {typeId, 0};
    bool isNumber = false;
    const int count = countText.toInt(&isNumber, 10);
    return {typeId, isNumber ? count : 0};
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
