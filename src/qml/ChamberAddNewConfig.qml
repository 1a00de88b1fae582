import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import ActivationState 1.0
import ChamberCreationModel 1.0
import ChamberTypeModel 1.0
import "customGuiElements"
import "customGuiElements/chamberTypeValue.js" as ChamberTypes
import "messageDialogs"

// The configuration page: walks through the selected results one by one
// (device data, chamber type, communication check). The bottom list and the
// search-results control count positions in the same list of selected
// results, so the control's current result is this page's chamberModel.
Rectangle {
    id: configPage
    objectName: "configPage"

    property bool closable: true
    readonly property ChamberCreationModel chamberModel: {
        var position = configurationList.currentIndex;
        if (position < 0)
            return null;
        return ChamberCreationControlProperty.selectedChamberModel[position] || null;
    }
    readonly property bool modelSet: chamberModel !== null
    readonly property bool lastEntry: configurationList.currentIndex === configurationList.count - 1
    // Counts the filter model's changes, so that the option check boxes,
    // which ask the model through a method, read their state again.
    property int optionFilterRevision: 0

    // The page is done; the host takes it away.
    signal finished()
    signal closeRequested()

    function typeValue(role) {
        return ChamberTypes.chamberTypeValue(ChamberTypeModelProperty, chamberModel, role);
    }

    function showEntry(position) {
        // A running check reports on the control's current result: end it
        // before another result becomes current.
        eventHandler.slotStopCheckCommunication();
        configurationList.currentIndex = position;
        ChamberCreationControlProperty.setCurrentSelectedModel(position);
        stepView.currentIndex = 0;
    }

    function leave() {
        eventHandler.slotStopCheckCommunication();
        finished();
    }

    function checkDone() {
        if (lastEntry)
            completionDialog.open();
        eventHandler.slotCreateChamber(chamberModel);
        stepView.currentIndex = 0;
    }

    color: mainWindow.color_background_lightgrey

    Component.onCompleted: configurationList.currentIndex = ChamberCreationControlProperty.getFirstUncreatedIndex()

    Connections {
        target: eventHandler

        function onSignalChamberCreated() {
            var position = configurationList.currentIndex;
            configurationList.currentIndex = configPage.closable
                    ? ChamberCreationControlProperty.getFirstUncreatedIndex(position)
                    : ChamberCreationControlProperty.getNextUncheckedIndex(position);
        }
    }

    Connections {
        target: configPage.chamberModel

        function onSignalActivationStateChanged() { communicationCheck.resultReceived(); }
    }

    Connections {
        target: ChamberTypeFilterModelProperty

        function onSignalFilterChanged() { ++configPage.optionFilterRevision; }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        RowLayout {
            Layout.fillWidth: true

            CustomText {
                Layout.fillWidth: true
                text: qsTr("Gerätekonfiguration")
                font.family: velmarFontBold.name
                font.bold: true
                font.pixelSize: 22
            }
            CustomButton {
                objectName: "closeButton"
                visible: configPage.closable
                iconText: "\uf00d"
                onClicked: {
                    eventHandler.slotStopCheckCommunication();
                    configPage.closeRequested();
                }
            }
        }

        // Only the page's buttons move between the steps.
        TabBar {
            id: stepBar
            Layout.fillWidth: true
            currentIndex: stepView.currentIndex

            Repeater {
                model: [qsTr("Geräteinfo"), qsTr("Geräteauswahl"), qsTr("Überprüfung")]

                TabButton {
                    id: stepButton
                    text: modelData
                    enabled: false
                    contentItem: CustomText {
                        text: stepButton.text
                        horizontalAlignment: Text.AlignHCenter
                        color: stepButton.checked ? mainWindow.color_velmar_red : mainWindow.color_font_semi_dark
                    }
                    background: Rectangle {
                        implicitHeight: 36
                        color: stepButton.checked ? mainWindow.color_white : mainWindow.color_grey_semi
                    }
                }
            }
        }

        // The steps change at once, as the pages do.
        StackLayout {
            id: stepView
            objectName: "stepView"
            Layout.fillWidth: true
            Layout.fillHeight: true

            Item {
                ColumnLayout {
                    anchors.fill: parent
                    spacing: 10

                    CustomText {
                        text: qsTr("Geräteinformationen")
                        font.family: velmarFontBold.name
                        font.bold: true
                        font.pixelSize: 16
                    }
                    GridLayout {
                        columns: 2
                        columnSpacing: 12

                        CustomText { text: qsTr("Gerätename:") }
                        CustomTextField {
                            objectName: "chamberNameField"
                            Layout.preferredWidth: 300
                            text: configPage.modelSet ? configPage.chamberModel.chamberName : ""
                            onTextEdited: configPage.chamberModel.chamberName = text
                        }

                        CustomText {
                            text: configPage.modelSet && configPage.chamberModel.isSerial ? qsTr("COM Port:")
                                                                                          : qsTr("IP-Adresse:")
                        }
                        CustomText {
                            objectName: "addressText"
                            text: !configPage.modelSet ? ""
                                  : configPage.chamberModel.isSerial ? configPage.chamberModel.comPort
                                                                     : configPage.chamberModel.ipAddress
                        }

                        CustomText {
                            visible: macAddressField.visible
                            text: qsTr("MAC-Adresse:")
                        }
                        CustomTextField {
                            id: macAddressField
                            objectName: "macAddressField"
                            Layout.preferredWidth: 300
                            visible: configPage.modelSet && !configPage.chamberModel.isSerial
                            text: configPage.modelSet ? configPage.chamberModel.macAddress : ""
                            onEditingFinished: configPage.chamberModel.macAddress = text
                        }

                        CustomText { text: qsTr("Seriennummer:") }
                        CustomTextField {
                            objectName: "serialNumberField"
                            Layout.preferredWidth: 300
                            validator: RegExpValidator { regExp: /^(\d{2}-\d{5})|(\d{14})$/ }
                            text: configPage.modelSet ? configPage.chamberModel.serialNumber : ""
                            onTextEdited: configPage.chamberModel.serialNumber = text
                        }
                    }
                    Item { Layout.fillHeight: true }
                    CustomButton {
                        objectName: "infoNextButton"
                        Layout.alignment: Qt.AlignRight
                        text: qsTr("Weiter")
                        toolTipText: qsTr("Weiter zur Geräteauswahl")
                        enabled: configPage.modelSet
                        onClicked: {
                            ChamberTypeFilterModelProperty.resetFilter();
                            var row = ChamberTypeModelProperty.findChamberTypeIndex(
                                        configPage.chamberModel.chamberTypeId, configPage.chamberModel.additionalInfoId);
                            typeSelection.currentIndex = row;
                            typeSelection.positionViewAtIndex(row);
                            stepView.currentIndex = 1;
                        }
                    }
                }
            }

            Item {
                ColumnLayout {
                    anchors.fill: parent
                    spacing: 10

                    CustomText {
                        text: qsTr("Geräteauswahl")
                        font.family: velmarFontBold.name
                        font.bold: true
                        font.pixelSize: 16
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        spacing: 20

                        ChamberTypeSelection {
                            id: typeSelection
                            objectName: "typeSelection"
                            Layout.fillWidth: true
                            Layout.fillHeight: true
                            onChosenTypeIndexChanged: {
                                if (stepView.currentIndex === 1 && configPage.modelSet)
                                    configPage.chamberModel.setChamberType(chamberTypeId, additionalInfoId,
                                                                           requiresModbusAddress, isSerial);
                            }
                        }

                        ColumnLayout {
                            Layout.preferredWidth: 260
                            Layout.fillWidth: false
                            Layout.fillHeight: true
                            spacing: 8

                            RowLayout {
                                CustomText {
                                    Layout.fillWidth: true
                                    text: qsTr("Optionen")
                                    font.family: velmarFontBold.name
                                    font.bold: true
                                }
                                CustomButton {
                                    id: optionListButton
                                    objectName: "optionListButton"
                                    iconText: "\uf0c9"
                                    toolTipText: qsTr("Optionenliste")
                                    selected: true
                                    onClicked: selected = true
                                }
                                CustomButton {
                                    objectName: "optionFilterButton"
                                    iconText: "\uf0b0"
                                    toolTipText: qsTr("Optionen filtern")
                                    selected: !optionListButton.selected
                                    onClicked: optionListButton.selected = false
                                }
                            }
                            // The option lists give up height to the converter and the
                            // Modbus address, so that the step's buttons stay above
                            // the configuration list.
                            ListView {
                                objectName: "optionList"
                                Layout.fillWidth: true
                                Layout.fillHeight: true
                                Layout.minimumHeight: 66
                                Layout.preferredHeight: 200
                                visible: optionListButton.selected
                                clip: true
                                model: configPage.typeValue(ChamberTypeModel.OPTIONS)
                                ScrollBar.vertical: ScrollBar {}
                                delegate: CustomText {
                                    height: 22
                                    text: modelData
                                }
                            }
                            ListView {
                                objectName: "optionFilterList"
                                Layout.fillWidth: true
                                Layout.fillHeight: true
                                Layout.minimumHeight: 66
                                Layout.preferredHeight: 200
                                visible: !optionListButton.selected
                                clip: true
                                model: ChamberTypeFilterModelProperty.getAllOptions()
                                ScrollBar.vertical: ScrollBar {}
                                delegate: CheckBox {
                                    objectName: "optionFilter_" + modelData
                                    height: 28
                                    text: modelData
                                    font.family: velmarFontNormal.name
                                    checked: configPage.optionFilterRevision >= 0
                                             && ChamberTypeFilterModelProperty.isSelectedOption(modelData)
                                    onToggled: ChamberTypeFilterModelProperty.updateSelectedOptions(modelData)
                                }
                            }

                            CustomText {
                                visible: converterComboBox.visible
                                text: qsTr("Converter")
                            }
                            ComboBox {
                                id: converterComboBox
                                objectName: "converterComboBox"
                                Layout.fillWidth: true
                                visible: configPage.typeValue(ChamberTypeModel.IS_SERIAL) === true
                                         && configPage.chamberModel.manuallyConfigured
                                         && configPage.chamberModel.ipAddress !== ""
                                model: configPage.modelSet ? configPage.chamberModel.converterNames : []
                                currentIndex: configPage.modelSet
                                              ? configPage.chamberModel.converterNames.indexOf(configPage.chamberModel.converter)
                                              : -1
                                onActivated: configPage.chamberModel.converter = textAt(index)
                            }

                            CustomText {
                                visible: modbusAddressSpinBox.visible
                                text: qsTr("Modbus-Adresse")
                            }
                            SpinBox {
                                id: modbusAddressSpinBox
                                objectName: "modbusAddressSpinBox"
                                visible: configPage.typeValue(ChamberTypeModel.REQUIRES_MODBUS_ADDRESS) === true
                                from: 1
                                to: 255
                                editable: true
                                value: configPage.modelSet ? configPage.chamberModel.modbusAddress : 1
                                onValueModified: configPage.chamberModel.modbusAddress = value
                            }
                        }
                    }
                    RowLayout {
                        Layout.alignment: Qt.AlignRight

                        CustomButton {
                            objectName: "selectionBackButton"
                            text: qsTr("Zurück")
                            toolTipText: qsTr("Zurück zur Geräteinfo")
                            onClicked: stepView.currentIndex = 0
                        }
                        CustomButton {
                            objectName: "selectionNextButton"
                            text: qsTr("Weiter")
                            toolTipText: qsTr("Weiter zur Überprüfung")
                            enabled: configPage.modelSet && configPage.chamberModel.chamberTypeId !== 0
                            onClicked: stepView.currentIndex = 2
                        }
                    }
                }
            }

            Item {
                ColumnLayout {
                    anchors.fill: parent
                    spacing: 10

                    CustomText {
                        text: qsTr("Überprüfung")
                        font.family: velmarFontBold.name
                        font.bold: true
                        font.pixelSize: 16
                    }
                    RowLayout {
                        spacing: 30

                        ChamberTypeImage {
                            objectName: "typeImage"
                            Layout.preferredWidth: 200
                            Layout.preferredHeight: 160
                            source: configPage.typeValue(ChamberTypeModel.IMAGE_PATH)
                        }
                        ColumnLayout {
                            Layout.alignment: Qt.AlignTop

                            CustomText {
                                text: qsTr("Zusammenfassung")
                                font.family: velmarFontBold.name
                                font.bold: true
                            }
                            GridLayout {
                                objectName: "summary"
                                columns: 2
                                columnSpacing: 12

                                Repeater {
                                    model: {
                                        var result = configPage.chamberModel;
                                        if (!result)
                                            return [];
                                        return [
                                            qsTr("Gerätename:"), result.chamberName,
                                            result.isSerial ? qsTr("COM Port:") : qsTr("IP-Adresse:"),
                                            result.isSerial ? result.comPort : result.ipAddress,
                                            result.isSerial ? qsTr("Modbus-Adresse:") : qsTr("MAC-Adresse:"),
                                            result.isSerial ? String(result.modbusAddress) : result.macAddress,
                                            qsTr("Seriennummer:"), result.serialNumber,
                                            qsTr("Reglertyp:"), configPage.typeValue(ChamberTypeModel.CONTROLLER),
                                            qsTr("Gerätetyp:"), configPage.typeValue(ChamberTypeModel.TYPE_NAME),
                                            qsTr("E-Stand:"), configPage.typeValue(ChamberTypeModel.DEVELOPMENT_STATE)
                                        ];
                                    }

                                    CustomText { text: modelData }
                                }
                            }
                        }
                    }
                    CommunicationCheck {
                        id: communicationCheck
                        objectName: "communicationCheck"
                        activationState: configPage.modelSet ? configPage.chamberModel.activationState
                                                             : ActivationState.STATE_UNDEFINED
                        onSendStart: eventHandler.slotCheckCommunication(configPage.chamberModel)
                        onSendStop: eventHandler.slotStopCheckCommunication()
                    }
                    Item { Layout.fillHeight: true }
                    RowLayout {
                        Layout.alignment: Qt.AlignRight

                        CustomButton {
                            objectName: "checkBackButton"
                            text: qsTr("Zurück")
                            toolTipText: qsTr("Zurück zur Geräteauswahl")
                            onClicked: {
                                eventHandler.slotStopCheckCommunication();
                                stepView.currentIndex = 1;
                            }
                        }
                        CustomButton {
                            objectName: "checkNextButton"
                            text: configPage.closable || !configPage.lastEntry ? qsTr("Weiter") : qsTr("Fertig")
                            toolTipText: configPage.closable ? qsTr("Gerät wird angelegt")
                                         : configPage.lastEntry ? qsTr("Prüfung beenden")
                                                                : qsTr("Weiter mit nächstem Gerät")
                            enabled: !communicationCheck.running
                            onClicked: configPage.checkDone()
                        }
                    }
                }
            }
        }

        CustomText {
            text: qsTr("Konfigurationsliste")
            font.family: velmarFontBold.name
            font.bold: true
            font.pixelSize: 16
        }
        ListView {
            id: configurationList
            objectName: "configurationList"
            Layout.fillWidth: true
            Layout.preferredHeight: 110
            orientation: ListView.Horizontal
            spacing: 8
            clip: true
            model: ChamberCreationControlProperty.selectedChamberModel
            ScrollBar.horizontal: ScrollBar {}

            readonly property int entryWidth: 120

            // The list runs across, but an ordinary mouse wheel turns up and
            // down: each notch moves the list by one entry. Clicks go through
            // to the entries.
            MouseArea {
                parent: configurationList
                anchors.fill: parent
                acceptedButtons: Qt.NoButton
                onWheel: {
                    var list = configurationList;
                    var notches = (wheel.angleDelta.y !== 0 ? wheel.angleDelta.y : wheel.angleDelta.x) / 120;
                    var last = list.originX + Math.max(0, list.contentWidth - list.width);
                    var contentX = list.contentX - notches * (list.entryWidth + list.spacing);
                    list.contentX = Math.max(list.originX, Math.min(last, contentX));
                }
            }

            delegate: Rectangle {
                id: entry
                objectName: "configurationEntry" + index

                readonly property bool created: modelData.creationState === ChamberCreationModel.CREATED

                width: ListView.view.entryWidth
                height: 100
                color: mainWindow.color_white
                border.color: ListView.isCurrentItem ? mainWindow.color_velmar_red : mainWindow.color_grey_border
                opacity: configPage.closable && !created ? 0.5 : 1

                ChamberTypeImage {
                    objectName: "entryImage"
                    anchors.top: parent.top
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.topMargin: 4
                    width: 100
                    height: 60
                    source: modelData.chamberTypeId !== 0
                            ? ChamberTypes.chamberTypeValue(ChamberTypeModelProperty, modelData, ChamberTypeModel.IMAGE_PATH)
                            : "qrc:/images/no_thumb.png"
                }
                CustomText {
                    id: entryName
                    anchors.bottom: parent.bottom
                    anchors.left: parent.left
                    anchors.margins: 6
                    width: 84
                    height: 24
                    text: modelData.chamberName
                }
                // Above the entry: a tool tip over the entry would take the
                // click that was meant for it.
                ToolTip {
                    objectName: "entryToolTip"
                    y: -height - 4
                    delay: 500
                    visible: entryName.truncated && entryMouse.containsMouse
                    text: modelData.chamberName
                }
                ActivationIcon {
                    objectName: "activationIcon"
                    anchors.bottom: parent.bottom
                    anchors.right: parent.right
                    anchors.margins: 6
                    visible: !configPage.closable || entry.created
                    alwaysActive: configPage.closable
                    activationState: modelData.activationState
                }
                MouseArea {
                    id: entryMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    enabled: !configPage.closable || (stepView.currentIndex === 0 && !entry.created)
                    onClicked: configPage.showEntry(index)
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true

            CustomText {
                objectName: "countText"
                Layout.fillWidth: true
                text: configPage.closable
                      ? qsTr("Anzahl angelegter Geräte: %1 / %2").arg(ChamberCreationControlProperty.selectedCreatedCounts)
                                                                  .arg(ChamberCreationControlProperty.selectedCounts)
                      : qsTr("Anzahl überprüfter Geräte: %1 / %2").arg(ChamberCreationControlProperty.selectedCheckedCounts)
                                                                   .arg(ChamberCreationControlProperty.selectedCounts)
            }
            CustomButton {
                objectName: "backToSearchButton"
                text: configPage.closable ? qsTr("Konfiguration beenden") : qsTr("Zurück zur Gerätesuche")
                toolTipText: text
                iconText: "\uf060"
                onClicked: configPage.leave()
            }
        }
    }

    MessageDialogOneButton {
        id: completionDialog
        objectName: "completionDialog"
        text: {
            var count = configPage.closable ? ChamberCreationControlProperty.selectedCreatedCounts
                                            : ChamberCreationControlProperty.selectedCheckedCounts;
            if (configPage.closable)
                return count === 1 ? qsTr("Es wurde 1 Gerät erfolgreich angelegt.")
                                   : qsTr("Es wurden %1 Geräte erfolgreich angelegt.").arg(count);
            return count === 1 ? qsTr("Es wurde 1 Gerät überprüft.") : qsTr("Es wurden %1 Geräte überprüft.").arg(count);
        }
        onClosed: configPage.leave()
    }
}
