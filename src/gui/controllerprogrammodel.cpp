#include "gui/controllerprogrammodel.h"

#include <algorithm>
#include <iterator>

namespace quelta::gui {

namespace {

const QHash<int, QByteArray> &roleNameTable()
{
    static const QHash<int, QByteArray> roleNames{
        {ControllerProgramModel::PROGRAM_INDEX, QByteArrayLiteral("programIndex")},
        {ControllerProgramModel::PROGRAM_NAME, QByteArrayLiteral("programName")},
        {ControllerProgramModel::IS_EMPTY, QByteArrayLiteral("isEmpty")},
        {ControllerProgramModel::IS_STARTABLE, QByteArrayLiteral("isStartable")},
    };
    return roleNames;
}

} // namespace

ControllerProgramModel::ControllerProgramModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

ControllerProgramModel::ControllerProgramModel(const QMap<int, QString> &programs, QObject *parent)
    : QAbstractListModel(parent)
    , m_programs(programs)
    , m_isReady(true)
{
}

int ControllerProgramModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_programs.size();
}

QVariant ControllerProgramModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int programIndex = row < m_programs.size() ? std::next(m_programs.cbegin(), row).key() : 0;
    switch (role) {
    case PROGRAM_INDEX:
        return programIndex;
    case PROGRAM_NAME:
        return m_programs.value(programIndex, QLatin1String(""));
    case IS_EMPTY:
        return !m_programs.contains(programIndex) || m_programs.value(programIndex).isNull();
    case IS_STARTABLE:
        return true;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> ControllerProgramModel::roleNames() const
{
    return roleNameTable();
}

void ControllerProgramModel::setPrograms(const QMap<int, QString> &programs)
{
    beginResetModel();
    m_programs.clear();
    endResetModel();
    // The controller numbers its slots from 1; a list without such a slot
    // holds nothing to show.
    if (!programs.isEmpty() && programs.lastKey() > 0) {
        beginInsertRows(QModelIndex(), 0, programs.size() - 1);
        m_programs = programs;
        endInsertRows();
    }
    m_isReady = true;
    Q_EMIT signalIsReady();
}

void ControllerProgramModel::resetPrograms()
{
    beginResetModel();
    m_programs.clear();
    endResetModel();
    m_isReady = false;
    Q_EMIT signalIsReady();
}

void ControllerProgramModel::removeProgram(int programIndex)
{
    const auto slot = m_programs.constFind(programIndex);
    if (slot == m_programs.cend())
        return;
    const int row = static_cast<int>(std::distance(m_programs.cbegin(), slot));
    beginRemoveRows(QModelIndex(), row, row);
    m_programs.remove(programIndex);
    endRemoveRows();
}

} // namespace quelta::gui
