import QtQuick 2.12
import ActivationState 1.0
import ChamberDataProvider 1.0
import "customGuiElements"

// Starts and stops the communication check of one device and shows its
// progress and outcome. The host calls resultReceived() when the device's
// state arrives.
Column {
    id: check

    property int activationState: ActivationState.STATE_UNDEFINED
    // Hosts that check an existing chamber hand in its provider; the search
    // pages leave it null.
    property ChamberDataProvider chamberDataProvider: null
    readonly property bool running: dotsAnimation.running
    property real dotPhase: 0

    signal sendStart()
    signal sendStop()

    function resultReceived() {
        dotsAnimation.stop();
    }

    function stateText(state) {
        switch (state) {
        case ActivationState.STATE_ACTIVE:
            return qsTr("erfolgreich");
        case ActivationState.STATE_INACTIVE:
            return qsTr("fehlgeschlagen");
        case ActivationState.STATE_UNDEFINED:
            return qsTr("ausstehend");
        default:
            return "";
        }
    }

    spacing: 10

    // 0 to 4 dots, once round every 2000 ms.
    NumberAnimation {
        id: dotsAnimation
        target: check
        property: "dotPhase"
        from: 0
        to: 5
        duration: 2000
        loops: Animation.Infinite
    }

    CustomButton {
        objectName: "checkButton"
        width: 200
        text: check.running ? qsTr("Abbrechen") : qsTr("Kommunikationstest")
        toolTipText: check.running ? qsTr("Kommunikationstest abbrechen") : qsTr("Testen der Kommunikation zum Gerät")
        onClicked: {
            if (check.running) {
                check.sendStop();
                // A stop that finds no check to end brings no state back.
                dotsAnimation.stop();
            } else {
                // Started first: a check refused at once reports back within sendStart.
                dotsAnimation.start();
                check.sendStart();
            }
        }
    }

    CustomText {
        objectName: "checkStatusText"
        text: check.running ? qsTr("Verbindungsprüfung ") + ".".repeat(Math.min(4, Math.floor(check.dotPhase)))
                            : qsTr("Verbindungsprüfung %1").arg(check.stateText(check.activationState))
    }
}
