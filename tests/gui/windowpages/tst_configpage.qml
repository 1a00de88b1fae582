import QtQuick 2.12
import QtTest 1.12
import ActivationState 1.0

WindowTestCase {
    id: test
    name: "ConfigPage"

    property var page: null

    SignalSpy { id: firstSpy; signalName: "signalActivationStateChanged" }
    SignalSpy { id: secondSpy; signalName: "signalActivationStateChanged" }

    function init() {
        openWindow();
    }

    // Selects every result of a search and opens the configuration page.
    function configure(ipAddresses) {
        eventHandler.finishSearch([], ipAddresses);
        var results = ChamberCreationControlProperty.chamberModels;
        for (var i = 0; i < results.length; ++i)
            results[i].selected = true;
        mouseClick(child("configureButton"));
        page = waitForPage("configPage");
    }

    // Clicks a button and waits until the type list has laid out what it changed.
    function press(objectName) {
        mouseClick(child(objectName));
        waitForItemPolished(child("typeList"));
    }

    // Steps 1 and 2 for the current result, with the type of the given row.
    function chooseType(row) {
        press("infoNextButton");
        mouseClick(child("typeList").itemAtIndex(row));
        press("selectionNextButton");
        compare(child("stepView").currentIndex, 2);
    }

    function test_stepOne_writesTheResult() {
        configure(["192.168.0.3", "192.168.0.4"]);
        compare(child("configurationList").currentIndex, 0);
        compare(page.chamberModel.ipAddress, "192.168.0.3");
        compare(child("addressText").text, "192.168.0.3");

        mouseClick(child("chamberNameField"));
        type("K1");
        compare(page.chamberModel.chamberName, "K1");
        mouseClick(child("serialNumberField"));
        type("12-x34567");
        compare(page.chamberModel.serialNumber, "12-34567");
        var macField = child("macAddressField");
        macField.forceActiveFocus();
        macField.selectAll();
        type("AA-BB-CC-DD-EE-0F");
        keyClick(Qt.Key_Return);
        compare(page.chamberModel.macAddress, "aa:bb:cc:dd:ee:0f");
    }

    function test_typeSelection_assignsTheChosenType() {
        configure(["192.168.0.3"]);
        var result = page.chamberModel;
        press("infoNextButton");
        var typeList = child("typeList");
        compare(typeList.currentIndex, -1);
        verify(!child("selectionNextButton").enabled);

        mouseClick(typeList.itemAtIndex(1));
        compare([result.chamberTypeId, result.additionalInfoId, result.modbusAddress], [2, 7, 1]);
        verify(child("modbusAddressSpinBox").visible);
        verify(!child("converterComboBox").visible);
        compare(child("optionList").count, 1);
        keyClick(Qt.Key_Up);
        compare([result.chamberTypeId, result.modbusAddress], [1, 0]);
        verify(!child("modbusAddressSpinBox").visible);

        // A narrower filter leaves no row current, and so no type.
        mouseClick(child("filterTypeName"));
        type("kb");
        compare(typeList.count, 1);
        compare(result.chamberTypeId, 0);
        waitForItemPolished(typeList);
        mouseClick(typeList.itemAtIndex(0));
        compare(result.chamberTypeId, 2);

        // Back on step 1 and on again: all filters off, the result's type current.
        press("selectionBackButton");
        press("infoNextButton");
        compare(ChamberTypeFilterModelProperty.filterTypeName, "");
        compare(typeList.currentIndex, 1);
        compare(result.chamberTypeId, 2);
        press("selectionNextButton");
        compare(child("stepView").currentIndex, 2);
    }

    function test_optionFilter_narrowsTheTypes() {
        configure(["192.168.0.3"]);
        press("infoNextButton");
        mouseClick(child("optionFilterButton"));
        var optionFilters = child("optionFilterList");
        // The column lays the list out on the next frame.
        tryVerify(function() { return optionFilters.height > 0; });
        waitForItemPolished(optionFilters);
        var option = child("optionFilter_TimeProgram", optionFilters);

        mouseClick(option);
        verify(ChamberTypeFilterModelProperty.isSelectedOption("TimeProgram"));
        verify(option.checked);
        compare(child("typeList").count, 2);
        mouseClick(option);
        verify(!option.checked);
        compare(child("typeList").count, 3);
    }

    function test_checkBack_stopsTheRunningCheck() {
        configure(["192.168.0.3"]);
        chooseType(0);
        mouseClick(child("checkButton"));
        press("checkBackButton");
        compare(eventHandler.calls, ["check 192.168.0.3", "stop"]);
        compare(child("stepView").currentIndex, 1);
        verify(!child("communicationCheck").running);
        compare(page.chamberModel.activationState, ActivationState.STATE_UNDEFINED);
    }

    function test_converter_ofASerialTypeAtAnAddressEnteredByHand() {
        ChamberCreationControlProperty.addIpChamber("192.168.0.7");
        configure([]);
        press("infoNextButton");
        mouseClick(child("typeList").itemAtIndex(1));
        var converter = child("converterComboBox");
        verify(converter.visible);
        compare(converter.currentText, "XPort");
        converter.activated(0);
        compare(page.chamberModel.converter, "ComServer");
    }

    function test_check_data() {
        return [
            { tag: "active", state: ActivationState.STATE_ACTIVE, text: "erfolgreich", colour: "color_blue_normal", checked: 1 },
            { tag: "inactive", state: ActivationState.STATE_INACTIVE, text: "fehlgeschlagen", colour: "color_velmar_red", checked: 1 },
            { tag: "stopped", state: ActivationState.STATE_UNDEFINED, text: "ausstehend", colour: "color_grey_border", checked: 0 }
        ];
    }

    function test_check(data) {
        configure(["192.168.0.3", "192.168.0.4"]);
        chooseType(0);
        var checkButton = child("checkButton");
        mouseClick(checkButton);
        compare(eventHandler.calls, ["check 192.168.0.3"]);
        compare(checkButton.text, "Abbrechen");
        verify(!child("checkNextButton").enabled);

        if (data.state === ActivationState.STATE_UNDEFINED)
            mouseClick(checkButton);
        else
            verify(eventHandler.finishCheck(data.state));
        compare(page.chamberModel.activationState, data.state);
        compare(checkButton.text, "Kommunikationstest");
        compare(child("checkStatusText").text, "Verbindungsprüfung " + data.text);
        verify(child("checkNextButton").enabled);
        compare(child("activationIcon", child("configurationList").itemAtIndex(0)).color, window[data.colour]);
        compare(child("countText").text, "Anzahl überprüfter Geräte: " + data.checked + " / 2");
    }

    // The running check used to report on the entry clicked meanwhile.
    function test_bottomListClick_stopsTheRunningCheckFirst() {
        configure(["192.168.0.3", "192.168.0.4"]);
        chooseType(0);
        var list = child("configurationList");
        firstSpy.target = page.chamberModel;
        secondSpy.target = ChamberCreationControlProperty.selectedChamberModel[1];
        firstSpy.clear();
        secondSpy.clear();
        mouseClick(child("checkButton"));

        mouseClick(list.itemAtIndex(1));
        compare(eventHandler.calls, ["check 192.168.0.3", "stop"]);
        compare([firstSpy.count, secondSpy.count], [1, 0]);
        compare([list.currentIndex, child("stepView").currentIndex], [1, 0]);
        verify(!child("communicationCheck").running);
        verify(!eventHandler.finishCheck(ActivationState.STATE_ACTIVE));
        compare(page.chamberModel.activationState, ActivationState.STATE_UNDEFINED);
    }

    // The tool tip of a cut name used to open over the entry and take the click.
    function test_bottomListClick_onACutName_selectsTheEntry() {
        configure(["192.168.0.3", "192.168.0.4"]);
        ChamberCreationControlProperty.selectedChamberModel[1].chamberName = "Klimakammer Prüflabor Halle 3";
        var list = child("configurationList");
        waitForItemPolished(list);
        var entry = list.itemAtIndex(1);
        var toolTip = child("entryToolTip", entry);

        mouseMove(entry, entry.width / 2, entry.height / 2);
        tryCompare(toolTip, "opened", true);
        mouseClick(entry);
        compare(list.currentIndex, 1);
        compare(page.chamberModel.chamberName, "Klimakammer Prüflabor Halle 3");
    }

    function test_wheel_scrollsTheConfigurationList() {
        var addresses = [];
        for (var i = 1; i <= 14; ++i)
            addresses.push("192.168.0." + i);
        configure(addresses);
        var list = child("configurationList");
        waitForItemPolished(list);
        var entryStep = list.entryWidth + list.spacing;
        var end = list.contentWidth - list.width;
        verify(end > entryStep);

        mouseWheel(list, list.width / 2, list.height / 2, 0, -120);
        compare(list.contentX, entryStep);
        mouseWheel(list, list.width / 2, list.height / 2, 0, 2 * 120);
        compare(list.contentX, 0);
        for (var notch = 0; notch < addresses.length; ++notch)
            mouseWheel(list, list.width / 2, list.height / 2, 0, -120);
        compare(list.contentX, end);
        verify(list.itemAtIndex(addresses.length - 1).visible);
    }

    // The catalogue names a picture that is not there.
    function test_typePicture_missingFile_showsThePlaceholder() {
        configure(["192.168.0.3"]);
        chooseType(2);
        var pictures = [child("typeImage"), child("entryImage", child("configurationList").itemAtIndex(0))];
        pictures.forEach(function(picture) {
            tryCompare(picture, "status", Image.Error);
            var placeholder = child("placeholderImage", picture);
            verify(placeholder.visible);
            compare(placeholder.status, Image.Ready);
        });
    }

    function test_walkThrough_data() {
        return [
            { tag: "one device", addresses: ["192.168.0.3"], text: "Es wurde 1 Gerät überprüft." },
            { tag: "three devices", addresses: ["192.168.0.3", "192.168.0.4", "192.168.0.5"],
              text: "Es wurden 3 Geräte überprüft." }
        ];
    }

    function test_walkThrough(data) {
        configure(data.addresses);
        var list = child("configurationList");
        compare(child("entryImage", list.itemAtIndex(0)).status, Image.Ready);
        var nextButton = child("checkNextButton");
        for (var i = 0; i < data.addresses.length; ++i) {
            compare(list.currentIndex, i);
            chooseType(0);
            mouseClick(child("checkButton"));
            verify(eventHandler.finishCheck(ActivationState.STATE_INACTIVE));
            compare(nextButton.text, i + 1 < data.addresses.length ? "Weiter" : "Fertig");
            press("checkNextButton");
            compare(child("stepView").currentIndex, 0);
        }
        compare(eventHandler.calls.filter(function(call) { return call.indexOf("create") === 0; }),
                data.addresses.map(function(address) { return "create " + address; }));

        var dialog = child("completionDialog");
        tryCompare(dialog, "opened", true);
        compare(dialog.text, data.text);
        mouseClick(child("okButton", dialog.contentItem));
        compare(eventHandler.calls[eventHandler.calls.length - 1], "stop");
        waitForPage("searchPage");
    }
}
