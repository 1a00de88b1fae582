import QtQuick 2.12
import QtQuick.Controls 2.12

// A text field in the house font.
TextField {
    font.family: velmarFontNormal.name
    font.pixelSize: 12
    selectByMouse: true
}
