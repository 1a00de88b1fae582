#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QtGlobal>

class QDebug;

namespace quelta::domain::types {

// The key of a chamber type: the type id and the article variant. An
// additionalInfoId of 0 means "all variants" in a lookup and "no variant" in a
// record.
class ChamberTypeKey
{
public:
    ChamberTypeKey() = default;
    ChamberTypeKey(quint64 chamberTypeId, quint64 additionalInfoId);

    quint64 chamberTypeId() const { return m_chamberTypeId; }
    void setChamberTypeId(quint64 id) { m_chamberTypeId = id; }
    quint64 additionalInfoId() const { return m_additionalInfoId; }
    void setAdditionalInfoId(quint64 id) { m_additionalInfoId = id; }

    friend bool operator==(const ChamberTypeKey &lhs, const ChamberTypeKey &rhs)
    {
        return lhs.m_chamberTypeId == rhs.m_chamberTypeId && lhs.m_additionalInfoId == rhs.m_additionalInfoId;
    }
    friend bool operator!=(const ChamberTypeKey &lhs, const ChamberTypeKey &rhs) { return !(lhs == rhs); }

private:
    quint64 m_chamberTypeId = 0;
    quint64 m_additionalInfoId = 0;
};

QDebug operator<<(QDebug debug, const ChamberTypeKey &key);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ChamberTypeKey)
