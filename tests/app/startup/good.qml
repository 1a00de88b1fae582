import QtQuick 2.12
import QtQuick.Window 2.12
import ActivationState 1.0
import ChamberCreationControl 1.0
import ChamberCreationModel 1.0
import ChamberDataProvider 1.0
import ChamberTypeModel 1.0

// Imports every registered type and reads the handler's models, tells what
// it found and ends the program.
Window {
    title: Qt.application.name + " - v" + Qt.application.version
    // Bound to the handler's objects until the window has gone.
    property int selected: ChamberCreationControlProperty.selectedCounts
    Component.onCompleted: {
        console.info("window:", title, ChamberTypeFilterModelProperty.rowCount(), eventHandler !== null);
        Qt.quit();
    }
}
