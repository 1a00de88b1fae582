import QtQuick 2.12
import ActivationState 1.0

// The outcome of a device's communication check: a blue tick when the
// device answered, a grey question mark before any check, a red cross
// otherwise. Hosts that create devices show created entries as answered.
Rectangle {
    id: icon

    property int activationState: ActivationState.STATE_UNDEFINED
    property bool alwaysActive: false

    readonly property bool active: alwaysActive || activationState === ActivationState.STATE_ACTIVE
    readonly property bool undefinedState: !active && activationState === ActivationState.STATE_UNDEFINED

    width: 18
    height: 18
    color: active ? mainWindow.color_blue_normal
                  : undefinedState ? mainWindow.color_grey_border : mainWindow.color_velmar_red

    Text {
        anchors.centerIn: parent
        font.family: iconFont.name
        font.pixelSize: 12
        color: mainWindow.color_white
        text: icon.active ? "\uf00c" : icon.undefinedState ? "?" : "\u2716"
    }
}
