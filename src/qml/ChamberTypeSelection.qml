import QtQuick 2.12
import QtQuick.Controls 2.12
import ChamberTypeModel 1.0
import "customGuiElements"

// The chamber-type catalogue as a list, with a filter field above each
// column. Reports the type of the current row whenever the row changes, and
// (0, 0, false, false) when no row is current; a new filter or a new
// catalogue leaves no row current.
Rectangle {
    id: selection

    property alias currentIndex: typeList.currentIndex

    signal chosenTypeIndexChanged(int chamberTypeId, int additionalInfoId, bool requiresModbusAddress,
                                  bool isSerial)

    function positionViewAtIndex(row) {
        typeList.positionViewAtIndex(row, ListView.Center);
        typeList.forceActiveFocus();
    }

    function rowValue(row, role) {
        var typeModel = ChamberTypeFilterModelProperty;
        return typeModel.data(typeModel.index(row, 0), role);
    }

    readonly property var columns: [
        { title: qsTr("Artikelnummer"), filter: "filterArticleNumber", role: "articleNumber", width: 120 },
        { title: qsTr("Gerätetyp"), filter: "filterTypeName", role: "typeName", width: 160 },
        { title: qsTr("Gerätegröße"), filter: "filterSize", role: "size", width: 100 },
        { title: qsTr("E-Stand"), filter: "filterELevel", role: "eLevel", width: 80 },
        { title: qsTr("Spannung"), filter: "filterVoltage", role: "voltage", width: 100 },
        { title: qsTr("Reglertyp"), filter: "filterController", role: "controller", width: 100 }
    ]

    color: mainWindow.color_white
    border.color: mainWindow.color_grey_dark

    Connections {
        target: ChamberTypeFilterModelProperty

        function onSignalFilterChanged() { typeList.currentIndex = -1; }
        function onModelReset() { typeList.currentIndex = -1; }
    }

    ListView {
        id: typeList
        objectName: "typeList"
        anchors.fill: parent
        anchors.margins: 1
        clip: true
        focus: true
        keyNavigationEnabled: true
        model: ChamberTypeFilterModelProperty
        headerPositioning: ListView.OverlayHeader
        highlightMoveDuration: 0
        ScrollBar.vertical: ScrollBar {}

        onCurrentIndexChanged: {
            if (currentIndex < 0) {
                selection.chosenTypeIndexChanged(0, 0, false, false);
                return;
            }
            selection.chosenTypeIndexChanged(selection.rowValue(currentIndex, ChamberTypeModel.CHAMBER_TYPE_ID),
                                             selection.rowValue(currentIndex, ChamberTypeModel.ADDITIONAL_INFO_ID),
                                             selection.rowValue(currentIndex, ChamberTypeModel.REQUIRES_MODBUS_ADDRESS),
                                             selection.rowValue(currentIndex, ChamberTypeModel.IS_SERIAL));
        }

        header: Rectangle {
            z: 2
            width: ListView.view.width
            height: 56
            color: mainWindow.color_grey_semi

            Row {
                anchors.fill: parent
                anchors.leftMargin: 4

                Repeater {
                    model: selection.columns

                    Column {
                        width: modelData.width
                        spacing: 2

                        CustomText {
                            width: parent.width
                            height: 22
                            text: modelData.title
                            font.family: velmarFontBold.name
                            font.bold: true
                        }
                        CustomTextField {
                            objectName: modelData.filter
                            width: parent.width - 6
                            height: 28
                            text: ChamberTypeFilterModelProperty[modelData.filter]
                            onTextEdited: ChamberTypeFilterModelProperty[modelData.filter] = text
                        }
                    }
                }
            }
        }

        delegate: Rectangle {
            id: typeRow
            objectName: "typeRow" + index

            readonly property var roles: model

            width: ListView.view.width
            height: 24
            color: ListView.isCurrentItem ? mainWindow.color_grey_dark
                                          : index % 2 ? mainWindow.color_grey_light : mainWindow.color_white

            Row {
                anchors.fill: parent
                anchors.leftMargin: 4

                Repeater {
                    model: selection.columns

                    CustomText {
                        width: modelData.width
                        height: parent.height
                        text: typeRow.roles[modelData.role] || ""
                    }
                }
            }

            MouseArea {
                anchors.fill: parent
                onClicked: {
                    typeList.currentIndex = index;
                    typeList.forceActiveFocus();
                }
            }
        }
    }
}
