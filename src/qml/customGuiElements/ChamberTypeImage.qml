import QtQuick 2.12

// A chamber type's picture. Where there is none, or its file cannot be opened
// (a catalogue may name pictures that were never installed), the placeholder
// stands in for it.
Image {
    id: image

    fillMode: Image.PreserveAspectFit

    Image {
        objectName: "placeholderImage"
        anchors.fill: parent
        fillMode: Image.PreserveAspectFit
        visible: image.status === Image.Null || image.status === Image.Error
        source: visible ? "qrc:/images/no_thumb.png" : ""
    }
}
