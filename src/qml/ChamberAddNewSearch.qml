import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import ChamberCreationControl 1.0
import ChamberCreationModel 1.0
import ChamberTypeModel 1.0
import "customGuiElements"
import "customGuiElements/chamberTypeValue.js" as ChamberTypes
import "messageDialogs"

// The search page: finds devices automatically or takes one by hand, and
// lets the user select results for the configuration page.
Rectangle {
    id: searchPage
    objectName: "searchPage"

    property bool closable: true
    // From "Suche starten" until the control reports the end of the search.
    property bool broadcastRunning: false
    property bool automaticSearch: true
    property bool searchStarted: false
    // The address field that focus moved into after a third digit; a dot
    // typed next belongs to that digit and stays there.
    property int advancedIpField: -1

    signal configureSelection()
    signal closeRequested()

    // Resets the manual entry; the results and their selection stay.
    function cleanup() {
        advancedIpField = -1;
        automaticSearch = true;
        var entry = manualEntry.item;
        if (!entry)
            return;
        for (var i = 0; i < entry.ipFields.count; ++i)
            entry.ipFields.itemAt(i).text = "";
        entry.comPortSpinBox.value = 1;
        entry.deviceCountSpinBox.value = 1;
        entry.ipAddressRadio.checked = true;
    }

    function startSearch() {
        ChamberCreationControlProperty.clearSearchResults();
        eventHandler.slotStartChamberBroadcast();
        broadcastRunning = true;
        searchAnimation.restart();
        searchStarted = true;
    }

    // Each field's decimal value: a zero-padded "010" is 10, never an octal 8.
    // Empty when a field is empty (a field that shows only its placeholder
    // holds nothing) or holds a value above 255.
    function enteredIpAddress() {
        var ipFields = manualEntry.item.ipFields;
        var groups = [];
        for (var i = 0; i < ipFields.count; ++i) {
            var text = ipFields.itemAt(i).text;
            var value = parseInt(text, 10);
            if (!/^[0-9]{1,3}$/.test(text) || value > 255)
                return "";
            groups.push(String(value));
        }
        return groups.join(".");
    }

    // Focus on the address field at position, its text selected so that
    // what is typed next replaces it.
    function editIpField(position) {
        var field = manualEntry.item.ipFields.itemAt(position);
        field.forceActiveFocus();
        field.selectAll();
        return field;
    }

    function addManualEntry() {
        var entry = manualEntry.item;
        if (entry.comPortRadio.checked) {
            ChamberCreationControlProperty.addSerialChambers("COM" + entry.comPortSpinBox.value,
                                                             entry.deviceCountSpinBox.value);
            return;
        }
        var ipAddress = enteredIpAddress();
        if (ipAddress === "") {
            errorDialog.text = qsTr("Keine gültige IP-Adresse: Jedes der vier Felder braucht eine Zahl von 0 bis 255.");
            errorDialog.open();
            return;
        }
        ChamberCreationControlProperty.addIpChamber(ipAddress);
    }

    color: mainWindow.color_background_lightgrey

    // The manual entry's controls come when it is first chosen and stay, so
    // that what was entered is kept while the mode changes.
    onAutomaticSearchChanged: {
        if (!automaticSearch)
            manualEntry.active = true;
    }

    Connections {
        target: ChamberCreationControlProperty

        function onSignalError(errorMessage) {
            errorDialog.text = errorMessage;
            errorDialog.open();
        }
        function onSignalBroadcastFinished() {
            searchPage.broadcastRunning = false;
            searchAnimation.stop();
            searchProgress.value = 1;
        }
    }

    // Lasts a little longer than the search, whose end fills the bar at once.
    NumberAnimation {
        id: searchAnimation
        target: searchProgress
        property: "value"
        from: 0
        to: 1
        duration: 6500
        easing.type: Easing.InOutQuad
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        RowLayout {
            Layout.fillWidth: true

            CustomText {
                Layout.fillWidth: true
                text: qsTr("Gerätesuche")
                font.family: velmarFontBold.name
                font.bold: true
                font.pixelSize: 22
            }
            CustomButton {
                objectName: "closeButton"
                visible: searchPage.closable
                iconText: "\uf00d"
                onClicked: searchPage.closeRequested()
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 40

            // Wide enough for the COM-port entry, the widest of the modes, so
            // that the filter beside it stays put when the mode changes.
            ColumnLayout {
                Layout.alignment: Qt.AlignTop
                Layout.preferredWidth: 660
                spacing: 8

                CustomText {
                    text: qsTr("Sucheinstellungen")
                    font.family: velmarFontBold.name
                    font.bold: true
                    font.pixelSize: 16
                }
                Row {
                    spacing: 4

                    CustomButton {
                        objectName: "automaticSearchButton"
                        text: qsTr("Automatische Suche")
                        selected: searchPage.automaticSearch
                        onClicked: searchPage.automaticSearch = true
                    }
                    CustomButton {
                        objectName: "manualEntryButton"
                        text: qsTr("Manuelle Eingabe")
                        selected: !searchPage.automaticSearch
                        enabled: !searchPage.broadcastRunning
                        opacity: searchPage.broadcastRunning ? 0.5 : 1
                        onClicked: searchPage.automaticSearch = false
                    }
                }

                Row {
                    visible: searchPage.automaticSearch
                    spacing: 12

                    CustomButton {
                        objectName: "startSearchButton"
                        text: qsTr("Suche starten")
                        toolTipText: qsTr("Suche starten")
                        iconText: "\uf002"
                        // A second start would clear the serial ports that the running search listed.
                        enabled: !searchPage.broadcastRunning
                        onClicked: searchPage.startSearch()
                    }
                    ProgressBar {
                        id: searchProgress
                        objectName: "searchProgressBar"
                        anchors.verticalCenter: parent.verticalCenter
                        width: 200
                        from: 0
                        to: 1
                    }
                    CustomText {
                        objectName: "searchStatusText"
                        anchors.verticalCenter: parent.verticalCenter
                        visible: searchPage.searchStarted
                        text: qsTr("Status Suchvorgang:") + " "
                              + (searchPage.broadcastRunning ? "..." : qsTr("Abgeschlossen"))
                    }
                }

                Loader {
                    id: manualEntry
                    visible: !searchPage.automaticSearch
                    active: false

                    sourceComponent: Row {
                        property alias ipAddressRadio: ipAddressRadio
                        property alias comPortRadio: comPortRadio
                        property alias ipFields: ipFields
                        property alias comPortSpinBox: comPortSpinBox
                        property alias deviceCountSpinBox: deviceCountSpinBox

                        spacing: 12

                        Column {
                            RadioButton {
                                id: ipAddressRadio
                                objectName: "ipAddressRadio"
                                checked: true
                                text: qsTr("IP Adresse")
                                font.family: velmarFontNormal.name
                                font.pixelSize: 12
                            }
                            RadioButton {
                                id: comPortRadio
                                objectName: "comPortRadio"
                                text: qsTr("COM-Port")
                                font.family: velmarFontNormal.name
                                font.pixelSize: 12
                            }
                        }

                        Row {
                            anchors.verticalCenter: parent.verticalCenter
                            visible: ipAddressRadio.checked
                            spacing: 10

                            Repeater {
                                id: ipFields

                                CustomTextField {
                                    objectName: "ipField" + index
                                    width: 48
                                    leftPadding: 4
                                    rightPadding: 4
                                    placeholderText: "000"
                                    maximumLength: 3
                                    horizontalAlignment: TextInput.AlignHCenter
                                    validator: IntValidator { bottom: 0; top: 255 }
                                    onTextEdited: {
                                        if (text.length === maximumLength && index + 1 < ipFields.count) {
                                            searchPage.editIpField(index + 1);
                                            searchPage.advancedIpField = index + 1;
                                        }
                                    }
                                    onActiveFocusChanged: {
                                        if (!activeFocus && searchPage.advancedIpField === index)
                                            searchPage.advancedIpField = -1;
                                    }
                                    // An address is typed with its dots: a dot moves on
                                    // to the next field and is not entered. A digit
                                    // typed into a full field goes to the next one.
                                    Keys.onPressed: {
                                        var next = index + 1 < ipFields.count ? index + 1 : -1;
                                        var advancedHere = searchPage.advancedIpField === index;
                                        searchPage.advancedIpField = -1;
                                        if (event.text === ".") {
                                            event.accepted = true;
                                            if (next >= 0 && !advancedHere)
                                                searchPage.editIpField(next);
                                        } else if (/^[0-9]$/.test(event.text) && next >= 0
                                                   && length === maximumLength && selectedText === "") {
                                            event.accepted = true;
                                            var field = searchPage.editIpField(next);
                                            field.remove(0, field.length);
                                            field.insert(0, event.text);
                                        }
                                    }

                                    CustomText {
                                        anchors.right: parent.left
                                        anchors.bottom: parent.bottom
                                        visible: index > 0
                                        text: "."
                                    }
                                }
                                model: 4
                            }
                        }

                        Row {
                            anchors.verticalCenter: parent.verticalCenter
                            visible: comPortRadio.checked
                            spacing: 8

                            SpinBox {
                                id: comPortSpinBox
                                objectName: "comPortSpinBox"
                                from: 1
                                to: 255
                                value: 1
                                editable: true
                            }
                            CustomText {
                                anchors.verticalCenter: parent.verticalCenter
                                text: qsTr("Anzahl der Geräte")
                            }
                            SpinBox {
                                id: deviceCountSpinBox
                                objectName: "deviceCountSpinBox"
                                from: 1
                                to: 255
                                value: 1
                                editable: true
                            }
                        }

                        CustomButton {
                            objectName: "addButton"
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTr("Hinzufügen")
                            toolTipText: qsTr("Einstellung zur Ergebnisliste hinzufügen")
                            iconText: "\uf067"
                            onClicked: searchPage.addManualEntry()
                        }
                    }
                }
            }

            ColumnLayout {
                Layout.alignment: Qt.AlignTop
                spacing: 8

                CustomText {
                    text: qsTr("Ergebnisfilter")
                    font.family: velmarFontBold.name
                    font.bold: true
                    font.pixelSize: 16
                }
                Row {
                    spacing: 4

                    CustomText {
                        width: 110
                        height: 30
                        text: qsTr("Schnittstellen")
                    }
                    Repeater {
                        model: [
                            { name: "interfaceFilterAll", text: qsTr("Alle"), filter: ChamberCreationControl.INTERFACES_ALL },
                            { name: "interfaceFilterCom", text: qsTr("COM"), filter: ChamberCreationControl.INTERFACES_COM },
                            { name: "interfaceFilterIp", text: qsTr("IP"), filter: ChamberCreationControl.INTERFACES_IP }
                        ]

                        CustomButton {
                            objectName: modelData.name
                            text: modelData.text
                            selected: ChamberCreationControlProperty.interfaceFilter === modelData.filter
                            onClicked: ChamberCreationControlProperty.interfaceFilter = modelData.filter
                        }
                    }
                }
                // Only hosts that know existing chambers filter by them.
                Loader {
                    visible: searchPage.closable
                    active: searchPage.closable

                    sourceComponent: Row {
                        spacing: 4

                        CustomText {
                            width: 110
                            height: 30
                            text: qsTr("Gerät angelegt")
                        }
                        Repeater {
                            model: [
                                { name: "knownFilterAll", text: qsTr("Alle"),
                                  filter: ChamberCreationControl.ALL },
                                { name: "knownFilterYes", text: qsTr("Ja"),
                                  filter: ChamberCreationControl.ONLY_KNOWN },
                                { name: "knownFilterNo", text: qsTr("Nein"),
                                  filter: ChamberCreationControl.ONLY_NEW }
                            ]

                            CustomButton {
                                objectName: modelData.name
                                text: modelData.text
                                selected: ChamberCreationControlProperty.knownFilter === modelData.filter
                                onClicked: ChamberCreationControlProperty.knownFilter = modelData.filter
                            }
                        }
                    }
                }
            }
        }

        CustomText {
            text: qsTr("Ergebnisliste")
            font.family: velmarFontBold.name
            font.bold: true
            font.pixelSize: 16
        }

        ListView {
            id: resultList
            objectName: "resultList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: ChamberCreationControlProperty.chamberModels
            headerPositioning: ListView.OverlayHeader
            ScrollBar.vertical: ScrollBar {}

            header: Rectangle {
                z: 2
                width: ListView.view.width
                height: 24
                color: mainWindow.color_grey_semi

                Row {
                    anchors.fill: parent

                    Item {
                        width: 20
                        height: parent.height
                        visible: !searchPage.closable
                    }
                    Repeater {
                        model: [
                            { text: qsTr("Auswahl"), width: 55 },
                            { text: qsTr("MAC-Adresse"), width: 110 },
                            { text: qsTr("IP-Adresse"), width: 110 },
                            { text: qsTr("COM-Port"), width: 70 },
                            { text: qsTr("Modbus-Adresse"), width: 110 },
                            { text: qsTr("Gerätename"), width: 180 },
                            { text: qsTr("Gerätetyp"), width: 100 },
                            { text: qsTr("Reglertyp"), width: 100 }
                        ]

                        CustomText {
                            width: modelData.width
                            height: parent.height
                            text: modelData.text
                        }
                    }
                }
            }

            delegate: Rectangle {
                objectName: "resultRow" + index
                width: ListView.view.width
                height: 24
                color: mainWindow.color_grey_light
                opacity: index % 2 ? 0.7 : 1

                Row {
                    anchors.fill: parent

                    Item {
                        width: 20
                        height: parent.height
                        visible: !searchPage.closable

                        ActivationIcon {
                            objectName: "activationIcon"
                            anchors.centerIn: parent
                            activationState: modelData.activationState
                        }
                    }
                    Item {
                        width: 55
                        height: parent.height

                        CheckBox {
                            objectName: "resultCheckBox"
                            anchors.centerIn: parent
                            scale: 0.7
                            checked: modelData.selected
                            enabled: modelData.creationState !== ChamberCreationModel.CREATED
                            onToggled: modelData.selected = checked
                        }
                    }
                    Repeater {
                        model: [
                            { width: 110, text: modelData.macAddress },
                            { width: 110, text: modelData.ipAddress },
                            { width: 70, text: modelData.comPort },
                            { width: 110, text: modelData.modbusAddress === 0 ? "" : String(modelData.modbusAddress) },
                            { width: 180, text: modelData.chamberName },
                            { width: 100, text: ChamberTypes.chamberTypeValue(ChamberTypeModelProperty, modelData,
                                                                              ChamberTypeModel.TYPE_NAME) },
                            { width: 100, text: ChamberTypes.chamberTypeValue(ChamberTypeModelProperty, modelData,
                                                                              ChamberTypeModel.CONTROLLER) }
                        ]

                        CustomText {
                            objectName: "cell" + index
                            width: modelData.width
                            height: parent.height
                            text: modelData.text
                        }
                    }
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true

            CustomText {
                objectName: "selectedCountText"
                Layout.fillWidth: true
                text: qsTr("Anzahl ausgewählter Geräte: %1").arg(ChamberCreationControlProperty.selectedCounts)
            }
            CustomButton {
                objectName: "configureButton"
                text: qsTr("Auswahl konfigurieren")
                toolTipText: qsTr("Ausgewählte Geräte konfigurieren")
                iconText: "\uf085"
                enabled: ChamberCreationControlProperty.selectedCounts > 0
                opacity: enabled ? 1 : 0.25
                onClicked: searchPage.configureSelection()
            }
        }
    }

    MessageDialogOneButton {
        id: errorDialog
        objectName: "errorDialog"
    }
}
