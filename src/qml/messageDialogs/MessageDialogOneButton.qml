import QtQuick 2.12
import QtQuick.Controls 2.12
import "../customGuiElements"

// A modal message that the user closes with its one button.
Popup {
    id: dialog

    property alias text: message.text

    modal: true
    closePolicy: Popup.NoAutoClose
    anchors.centerIn: Overlay.overlay
    padding: 20

    background: Rectangle {
        color: mainWindow.color_white
        border.color: mainWindow.color_grey_border
    }

    contentItem: Column {
        spacing: 16

        CustomText {
            id: message
            objectName: "messageText"
            width: 360
            wrapMode: Text.WordWrap
            elide: Text.ElideNone
        }
        CustomButton {
            objectName: "okButton"
            anchors.right: parent.right
            width: 80
            text: qsTr("Ok")
            onClicked: dialog.close()
        }
    }
}
