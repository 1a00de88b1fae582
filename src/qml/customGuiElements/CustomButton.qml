import QtQuick 2.12
import QtQuick.Controls 2.12

// A flat dark button with an optional icon glyph and a tool tip. A selected
// button (the chosen mode or filter) is drawn red.
Button {
    id: button

    property string iconText: ""
    property string toolTipText: ""
    property bool selected: false

    hoverEnabled: true
    opacity: enabled ? 1 : 0.5
    ToolTip.visible: hovered && toolTipText.length > 0
    ToolTip.text: toolTipText
    ToolTip.delay: 500

    contentItem: Item {
        implicitWidth: content.implicitWidth
        implicitHeight: content.implicitHeight

        Row {
            id: content
            anchors.centerIn: parent
            spacing: 6

            Text {
                anchors.verticalCenter: parent.verticalCenter
                visible: button.iconText.length > 0
                text: button.iconText
                font.family: iconFont.name
                font.pixelSize: 14
                color: mainWindow.color_white
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                visible: button.text.length > 0
                text: button.text
                font.family: velmarFontNormal.name
                font.pixelSize: 12
                color: mainWindow.color_white
            }
        }
    }

    background: Rectangle {
        implicitWidth: 40
        implicitHeight: 30
        radius: 2
        color: button.selected ? mainWindow.color_velmar_red
                               : button.down ? mainWindow.color_font_semi_dark : mainWindow.color_button_dark
    }
}
