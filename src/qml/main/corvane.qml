import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Window 2.12

Window {
    id: mainWindow
    objectName: "mainWindow"

    visible: true
    width: 1280
    height: 720
    minimumWidth: 1280
    minimumHeight: 720
    title: qsTr("%1 - v%2").arg(Qt.application.name).arg(Qt.application.version)

    // The colours of every page; the pages reach them through this window.
    readonly property color color_background_lightgrey: "#f8f8f8"
    readonly property color color_velmar_red: "#e60000"
    readonly property color color_grey_semi: "#e6e6e6"
    readonly property color color_grey_dark: "#cccccc"
    readonly property color color_grey_light: "#f2f2f2"
    readonly property color color_grey_border: "#95989a"
    readonly property color color_button_dark: "#4d4d4d"
    readonly property color color_font_dark: "#000000"
    readonly property color color_font_semi_dark: "#333333"
    readonly property color color_transparent: "transparent"
    readonly property color color_white: "white"
    readonly property color color_blue_normal: "#2699FB"
    readonly property color color_green_normal: "#19DE2C"
    readonly property color color_diagram_components: "#cccccc"

    // The families of the fonts that start-up registers from the resource
    // set's fonts/ folder, in this order: segoeui.ttf, segoeuib.ttf,
    // segoeuil.ttf, seguisb.ttf (DejaVu faces stand for the Segoe ones; this
    // one is the face of segoeuib.ttf and is registered with it),
    // segoeui.ttf again, fontawesome-webfont.ttf. Loading them here by URL
    // would copy each font onto the heap, twice once it is drawn.
    FontLoader { id: velmarFontNormal; objectName: "velmarFontNormal"; name: "DejaVu Sans" }
    FontLoader { id: velmarFontBold; objectName: "velmarFontBold"; name: "DejaVu Sans" }
    FontLoader { id: velmarFontLight; objectName: "velmarFontLight"; name: "DejaVu Sans" }
    FontLoader { id: numberFontSemiBold; objectName: "numberFontSemiBold"; name: "DejaVu Sans" }
    FontLoader { id: velmarFontValue; objectName: "velmarFontValue"; name: "DejaVu Sans" }
    // Icons are code points of this font.
    FontLoader { id: iconFont; objectName: "iconFont"; name: "FontAwesome" }

    StackView {
        id: stackViewAddChambers
        objectName: "stackViewAddChambers"
        anchors.fill: parent
        clip: true
        initialItem: searchPage

        pushEnter: Transition { PropertyAnimation { property: "opacity"; from: 0; to: 1; duration: 0 } }
        pushExit: Transition { PropertyAnimation { property: "opacity"; from: 1; to: 0; duration: 0 } }
        popEnter: Transition { PropertyAnimation { property: "opacity"; from: 0; to: 1; duration: 0 } }
        popExit: Transition { PropertyAnimation { property: "opacity"; from: 1; to: 0; duration: 0 } }
    }

    // The configuration page is compiled when it is first shown: the window
    // starts without it and without the controls that only it uses.
    function showConfigPage() {
        var page = stackViewAddChambers.push(Qt.resolvedUrl("ChamberAddNewConfig.qml"), { closable: false });
        page.finished.connect(function() { stackViewAddChambers.pop(); });
    }

    Component {
        id: searchPage

        ChamberAddNewSearch {
            closable: false
            StackView.onActivated: cleanup()
            onConfigureSelection: mainWindow.showConfigPage()
        }
    }
}
