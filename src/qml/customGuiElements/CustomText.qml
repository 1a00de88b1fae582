import QtQuick 2.12

// Text in the house font and colour.
Text {
    font.family: velmarFontNormal.name
    font.pixelSize: 12
    color: mainWindow.color_font_dark
    elide: Text.ElideRight
    verticalAlignment: Text.AlignVCenter
}
