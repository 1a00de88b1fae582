import QtQuick 2.12
import QtTest 1.12

// Opens the main document afresh for each test, on an empty result list.
TestCase {
    id: testCase

    property var window: null

    function openWindow() {
        eventHandler.reset();
        ChamberCreationControlProperty.clear();
        ChamberTypeFilterModelProperty.resetFilter();
        var component = Qt.createComponent("qrc:/corvane.qml");
        compare(component.status, Component.Ready, component.errorString());
        window = createTemporaryObject(component, null);
        window.requestActivate();
        tryVerify(function() { return window.active; });
    }

    function child(objectName, parent) {
        // Delegates are found only among the visual children, dialogs only among the QObject ones.
        var item = parent ? findChild(parent, objectName)
                          : findChild(window.contentItem, objectName) || findChild(window, objectName);
        verify(item, objectName);
        return item;
    }

    // Pushing and popping take a frame, during which the stack takes no input.
    function waitForPage(objectName) {
        var stack = child("stackViewAddChambers");
        tryCompare(stack, "busy", false);
        compare(stack.currentItem.objectName, objectName);
        compare(stack.currentItem.opacity, 1);
        return stack.currentItem;
    }

    function type(text) {
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i]);
    }

    when: windowShown
}
