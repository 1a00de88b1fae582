#pragma once

#include "domain/types/chambertypedata.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One stored setpoint program and the chamber type it is made for.
class ProgramData
{
public:
    ProgramData() = default;
    ProgramData(int id, const QString &programName, int userId, const QString &infoText, int programType,
                bool edited, const ChamberTypeData &chamberType);

    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    QString programName() const { return m_programName; }
    void setProgramName(const QString &name) { m_programName = name; }
    // 0 for none.
    int userId() const { return m_userId; }
    void setUserId(int userId) { m_userId = userId; }
    QString infoText() const { return m_infoText; }
    void setInfoText(const QString &text) { m_infoText = text; }
    int programType() const { return m_programType; }
    void setProgramType(int type) { m_programType = type; }
    bool isEdited() const { return m_edited; }
    void setEdited(bool edited) { m_edited = edited; }
    ChamberTypeData chamberType() const { return m_chamberType; }
    void setChamberType(const ChamberTypeData &type) { m_chamberType = type; }

    friend bool operator==(const ProgramData &lhs, const ProgramData &rhs)
    {
        return lhs.m_id == rhs.m_id && lhs.m_programName == rhs.m_programName && lhs.m_userId == rhs.m_userId
            && lhs.m_infoText == rhs.m_infoText && lhs.m_programType == rhs.m_programType
            && lhs.m_edited == rhs.m_edited && lhs.m_chamberType == rhs.m_chamberType;
    }
    friend bool operator!=(const ProgramData &lhs, const ProgramData &rhs) { return !(lhs == rhs); }

private:
    int m_id = -1;
    QString m_programName;
    int m_userId = 0;
    QString m_infoText;
    int m_programType = 0;
    bool m_edited = false;
    ChamberTypeData m_chamberType;
};

QDebug operator<<(QDebug debug, const ProgramData &program);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ProgramData)
