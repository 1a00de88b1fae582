#include "domain/types/activationstate.h"
#include "domain/types/chamberoption.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/networkconfiguration.h"
#include "gui/chambercreationcontrol.h"
#include "gui/chamberdataprovider.h"
#include "gui/chambercreationmodel.h"
#include "gui/chambertypefiltermodel.h"
#include "gui/chambertypemodel.h"

#include <QtQml/QQmlContext>
#include <QtQml/QQmlEngine>
#include <QtQuickTest/quicktest.h>

#include <optional>

using namespace quelta::domain::types;
using namespace quelta::gui;

// The event handler's slots and signal as the pages call them, each call
// logged. A search or a check ends when the test says so; a stop ends a
// running check as undefined, as the connection factory does.
class FakeEventHandler : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList calls MEMBER m_calls NOTIFY callsChanged)

public:
    explicit FakeEventHandler(ChamberCreationControl *control) : m_control(control) {}

    Q_INVOKABLE void reset()
    {
        m_calls.clear();
        m_checkedChamber.reset();
    }
    Q_INVOKABLE void finishSearch(const QStringList &comPorts, const QStringList &ipAddresses)
    {
        for (const QString &comPort : comPorts)
            m_control->addSerialChambers(comPort, 1);
        QList<NetworkConfiguration> answers;
        for (const QString &ipAddress : ipAddresses)
            answers.append(NetworkConfiguration(QHostAddress(ipAddress),
                                                MacAddress::fromString("00:20:4a:12:34:56"), 1));
        m_control->addNetworkChambers(answers, false);
    }
    Q_INVOKABLE bool finishCheck(int state)
    {
        if (!m_checkedChamber)
            return false;
        const ChamberData chamber = *m_checkedChamber;
        m_checkedChamber.reset();
        m_control->handleCommunicationCheckResult(chamber, static_cast<ActivationState::State>(state));
        return true;
    }

public Q_SLOTS:
    void slotStartChamberBroadcast() { log("start"); }
    void slotCheckCommunication(quelta::gui::ChamberCreationModel *chamberModel)
    {
        log("check " + chamberModel->ipAddress());
        m_checkedChamber = chamberModel->chamberData();
    }
    void slotStopCheckCommunication()
    {
        log("stop");
        finishCheck(ActivationState::STATE_UNDEFINED);
    }
    void slotCreateChamber(quelta::gui::ChamberCreationModel *chamberModel)
    {
        log("create " + chamberModel->ipAddress());
        Q_EMIT signalChamberCreated();
    }

Q_SIGNALS:
    void signalChamberCreated();
    void callsChanged();

private:
    void log(const QString &call)
    {
        m_calls.append(call);
        Q_EMIT callsChanged();
    }

    ChamberCreationControl *m_control;
    QStringList m_calls;
    std::optional<ChamberData> m_checkedChamber;
};

namespace {

ChamberTypeData makeType(quint64 typeId, quint64 infoId, const QString &name, int size, const QString &controller,
                         const QList<int> &interfaces, const QString &option, const QString &image = {})
{
    return ChamberTypeData(ChamberTypeKey(typeId, infoId), name, "E2", size, "230 V", image, {}, {}, {}, {}, -1, -1,
                           {}, "ART-" + QString::number(typeId), {}, controller, interfaces, {}, {},
                           {ChamberOption(option, false)}, {});
}

} // namespace

// Publishes the real search models and control, and the fake handler, under
// the names that start-up gives them.
class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        m_control.setPortNamesSource([] { return QStringList{"ttyS0", "ttyS2"}; });
        // The third type's picture was never installed.
        m_typeModel.addChamberTypes({makeType(1, 0, "LAB 100", 100, "ZK4", {3}, "TimeProgram"),
                                     makeType(2, 7, "KB 23", 23, "QX2", {1}, "Readable_DataStorage"),
                                     makeType(3, 0, "VT 5", 5, "TJV", {4}, "TimeProgram", "vt5.png")});
        m_filterModel.setSourceModel(&m_typeModel);
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        qmlRegisterType<ActivationState>("ActivationState", 1, 0, "ActivationState");
        qmlRegisterType<ChamberCreationControl>("ChamberCreationControl", 1, 0, "ChamberCreationControl");
        qmlRegisterType<ChamberCreationModel>("ChamberCreationModel", 1, 0, "ChamberCreationModel");
        qmlRegisterType<ChamberDataProvider>("ChamberDataProvider", 1, 0, "ChamberDataProvider");
        qmlRegisterType<ChamberTypeModel>("ChamberTypeModel", 1, 0, "ChamberTypeModel");

        QQmlContext *context = engine->rootContext();
        context->setContextProperty("eventHandler", &m_eventHandler);
        context->setContextProperty("ChamberCreationControlProperty", &m_control);
        context->setContextProperty("ChamberTypeModelProperty", &m_typeModel);
        context->setContextProperty("ChamberTypeFilterModelProperty", &m_filterModel);
    }

private:
    ChamberCreationControl m_control;
    ChamberTypeModel m_typeModel;
    ChamberTypeFilterModel m_filterModel;
    FakeEventHandler m_eventHandler{&m_control};
};

QUICK_TEST_MAIN_WITH_SETUP(tst_windowpages, Setup)

#include "tst_windowpages.moc"
