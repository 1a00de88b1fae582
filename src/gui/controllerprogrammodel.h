#pragma once

#include <QtCore/QAbstractListModel>
#include <QtCore/QHash>
#include <QtCore/QMap>
#include <QtCore/QString>

namespace quelta::gui {

// The program slots of one chamber controller: one row per slot, in
// ascending slot number, with the program name stored in it. A slot whose
// name is a null text holds no program. isReady tells whether a program list
// has been read since the last reset.
class ControllerProgramModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(bool isReady READ isReady NOTIFY signalIsReady)

public:
    // The spelling is the one the program-transfer dialogs bind to.
    enum ConrollerProgramModelRoles {
        PROGRAM_INDEX = Qt::UserRole + 1, // 257
        PROGRAM_NAME,
        IS_EMPTY,
        IS_STARTABLE // 260
    };
    Q_ENUM(ConrollerProgramModelRoles)

    // Empty and not ready.
    explicit ControllerProgramModel(QObject *parent = nullptr);
    // Ready, with the slots as they are given.
    explicit ControllerProgramModel(const QMap<int, QString> &programs, QObject *parent = nullptr);

    bool isReady() const { return m_isReady; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces the slots and makes the model ready. A list without a slot
    // above 0 leaves the model empty.
    void setPrograms(const QMap<int, QString> &programs);
    // Empties the model; it is no longer ready.
    void resetPrograms();
    // Removes the slot; a slot the model does not hold changes nothing.
    void removeProgram(int programIndex);

Q_SIGNALS:
    void signalIsReady();

private:
    QMap<int, QString> m_programs;
    bool m_isReady = false;
};

} // namespace quelta::gui
