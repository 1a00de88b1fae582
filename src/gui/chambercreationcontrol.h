#pragma once

#include "domain/types/activationstate.h"
#include "domain/types/chamberdata.h"
#include "domain/types/networkconfiguration.h"
#include "gui/chambercreationmodel.h"

#include <QtCore/QList>
#include <QtCore/QMultiMap>
#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QStringList>
#include <QtQml/QQmlListProperty>

#include <functional>

class QSerialPortInfo;

namespace quelta::gui {

// The results of the chamber search and what the search and configuration
// pages ask about them.
//
// Results are ordered by a key: serial ports by the number of their COM name,
// network devices by their IPv4 address as a number, so serial ports come
// first, each group ascending; among equal keys the newest comes first.
// chamberModels lists the results under the two filters; selectedChamberModel
// lists the selected new results under the interface filter, and every
// index that the pages pass in is a position in that list. The control owns
// its results and deletes them when the results are cleared.
//
// Serial ports carry COM names (see SerialPortNaming): the search hands the
// PC's port list in, manual entries are looked up among the PC's ports.
class ChamberCreationControl : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QQmlListProperty<quelta::gui::ChamberCreationModel> chamberModels READ chamberModels
                   NOTIFY signalChamberModelChanged)
    Q_PROPERTY(QQmlListProperty<quelta::gui::ChamberCreationModel> selectedChamberModel READ selectedChamberModel
                   NOTIFY signalChamberModelChanged)
    Q_PROPERTY(int selectedCounts READ selectedCounts NOTIFY signalSelectedCountsChanged)
    Q_PROPERTY(int selectedCreatedCounts READ selectedCreatedCounts NOTIFY signalSelectedCreatedCountsChanged)
    Q_PROPERTY(int selectedCheckedCounts READ selectedCheckedCounts NOTIFY signalSelectedCheckedCountsChanged)
    Q_PROPERTY(InterfaceFilter interfaceFilter READ interfaceFilter WRITE setInterfaceFilter
                   NOTIFY signalInterfaceFilterChanged)
    Q_PROPERTY(KnownFilter knownFilter READ knownFilter WRITE setKnownFilter NOTIFY signalKnownFilterChanged)

public:
    enum KnownFilter : int { ALL = 0, ONLY_NEW = 1, ONLY_KNOWN = 2 };
    Q_ENUM(KnownFilter)
    enum InterfaceFilter : int { INTERFACES_ALL = 0, INTERFACES_IP = 1, INTERFACES_COM = 2 };
    Q_ENUM(InterfaceFilter)

    // The names of the PC's serial ports, as QSerialPortInfo::portName()
    // gives them.
    using PortNamesSource = std::function<QStringList()>;

    explicit ChamberCreationControl(QObject *parent = nullptr);

    QQmlListProperty<ChamberCreationModel> chamberModels();
    QQmlListProperty<ChamberCreationModel> selectedChamberModel();
    int selectedCounts() const;
    int selectedCreatedCounts() const;
    int selectedCheckedCounts() const;
    InterfaceFilter interfaceFilter() const { return static_cast<InterfaceFilter>(m_interfaceFilter); }
    void setInterfaceFilter(int filter);
    KnownFilter knownFilter() const { return static_cast<KnownFilter>(m_knownFilter); }
    void setKnownFilter(int filter);

    // Adds a result for the IPv4 address in the text: four decimal groups of
    // 0 to 255, leading zeros allowed. Any other text gives a result without
    // an address.
    Q_INVOKABLE void addIpChamber(const QString &ipAddress);
    // Adds count results for the PC's serial port with this COM name, or
    // reports "'<name>' is not valid" when the PC has no such port.
    Q_INVOKABLE void addSerialChambers(const QString &comPort, int count);
    // Clears the results and resets both filters.
    Q_INVOKABLE void clear();
    // Announces the empty lists, then deletes every result.
    Q_INVOKABLE void clearSearchResults();
    // Makes the first selected result that is not created (and not at
    // currentIndex) current and returns its position; -1 and no current
    // result when there is none.
    Q_INVOKABLE int getFirstUncreatedIndex(int currentIndex = -1);
    // Makes the next selected result without a check result current, looking
    // after currentIndex first and then from the start, and returns its
    // position; currentIndex and the current result stay when all are checked.
    Q_INVOKABLE int getNextUncheckedIndex(int currentIndex = -1);
    Q_INVOKABLE void setCurrentSelectedModel(int currentIndex);

    // One result per answer of a search (or per address entered by hand),
    // then signalChamberModelChanged and signalBroadcastFinished.
    void addNetworkChambers(const QList<quelta::domain::types::NetworkConfiguration> &configurations,
                            bool manuallyConfigured);
    // One result per port. Pass the PC's complete port list: the COM name of
    // a port depends on the other ports.
    void addAvailableSerialChambers(const QList<QSerialPortInfo> &ports);
    // One created result per existing chamber.
    void addKnownChambers(const QList<quelta::domain::types::ChamberData> &chambers);
    // Stores a check result on the current result (not necessarily the one
    // that the record came from) and announces it with the record's name.
    void handleCommunicationCheckResult(const quelta::domain::types::ChamberData &chamberData,
                                        quelta::domain::types::ActivationState::State state);
    // Marks the first selected, not yet created result that matches the
    // record (serial: port and Modbus address; network: IP address).
    void setChamberCreated(const quelta::domain::types::ChamberData &chamberData, bool created);

    // Where manual serial entries look their port up; the PC's ports unless
    // a test sets another source.
    void setPortNamesSource(PortNamesSource source);

Q_SIGNALS:
    void signalChamberModelChanged();
    void signalSelectedCountsChanged();
    void signalSelectedCreatedCountsChanged();
    void signalSelectedCheckedCountsChanged();
    void signalKnownFilterChanged();
    void signalInterfaceFilterChanged();
    void signalError(const QString &errorMessage);
    void chamberCommunicationCheckSuccessful(const QString &chamberName);
    void chamberCommunicationCheckFailed(const QString &chamberName);
    void signalBroadcastFinished();

private:
    using ResultMap = QMultiMap<quint32, ChamberCreationModel *>;

    void insert(ResultMap &map, quint32 key, ChamberCreationModel *model);
    void addSerialPorts(const QStringList &comNames);
    bool passesInterfaceFilter(const ChamberCreationModel *model) const;
    QList<ChamberCreationModel *> filtered(const ResultMap &map) const;
    QList<ChamberCreationModel *> filteredChamberModels() const;
    QList<ChamberCreationModel *> selectedModels() const;

    int m_knownFilter = ALL;
    int m_interfaceFilter = INTERFACES_ALL;
    ResultMap m_newChamberModels;
    ResultMap m_knownChamberModels;
    QPointer<ChamberCreationModel> m_currentModel;
    PortNamesSource m_portNamesSource;
};

} // namespace quelta::gui
