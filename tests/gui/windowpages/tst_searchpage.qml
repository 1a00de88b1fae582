import QtQuick 2.12
import QtTest 1.12
import ChamberCreationControl 1.0

WindowTestCase {
    name: "SearchPage"

    function init() {
        openWindow();
    }

    function cellText(row, column) {
        return child("cell" + column, child("resultList").itemAtIndex(row)).text;
    }

    function test_mainDocument_loadsFontsAndStartsOnTheSearchPage() {
        compare(window.title, Qt.application.name + " - v" + Qt.application.version);
        ["velmarFontNormal", "velmarFontBold", "velmarFontLight", "numberFontSemiBold", "velmarFontValue",
         "iconFont"].forEach(function(name) { compare(child(name).status, FontLoader.Ready, name); });
        compare(child("stackViewAddChambers").currentItem, child("searchPage"));
    }

    function test_search_clearsOldResultsAndListsTheFoundOnes() {
        ChamberCreationControlProperty.addIpChamber("10.0.0.9");
        var page = child("searchPage");
        var manualButton = child("manualEntryButton");

        mouseClick(child("startSearchButton"));
        compare(eventHandler.calls, ["start"]);
        compare(child("resultList").count, 0);
        verify(page.broadcastRunning);
        compare(child("searchStatusText").text, "Status Suchvorgang: ...");
        // Neither a second start nor manual entry while the search runs.
        verify(!child("startSearchButton").enabled);
        mouseClick(manualButton);
        verify(page.automaticSearch);
        compare(manualButton.opacity, 0.5);

        eventHandler.finishSearch(["COM3", "COM1"], ["192.168.0.20", "192.168.0.3"]);
        compare(child("resultList").count, 4);
        compare(cellText(0, 2), "COM1");
        compare(cellText(2, 1), "192.168.0.3");
        compare(cellText(2, 0), "00:20:4a:12:34:56");
        verify(!page.broadcastRunning);
        compare(child("searchProgressBar").value, 1);
        compare(child("searchStatusText").text, "Status Suchvorgang: Abgeschlossen");
        verify(manualButton.enabled);
    }

    function test_interfaceFilter_data() {
        return [
            { tag: "COM", button: "interfaceFilterCom", filter: ChamberCreationControl.INTERFACES_COM, rows: 2 },
            { tag: "IP", button: "interfaceFilterIp", filter: ChamberCreationControl.INTERFACES_IP, rows: 1 },
            { tag: "all", button: "interfaceFilterAll", filter: ChamberCreationControl.INTERFACES_ALL, rows: 3 }
        ];
    }

    function test_interfaceFilter(data) {
        eventHandler.finishSearch(["COM1", "COM3"], ["192.168.0.3"]);
        mouseClick(child("interfaceFilterIp"));
        mouseClick(child(data.button));
        compare(ChamberCreationControlProperty.interfaceFilter, data.filter);
        compare(child("resultList").count, data.rows);
        ["interfaceFilterAll", "interfaceFilterCom", "interfaceFilterIp"].forEach(function(name) {
            compare(child(name).selected, name === data.button, name);
        });
        // The known filter belongs to hosts that know existing chambers.
        var knownFilter = findChild(window.contentItem, "knownFilterAll");
        verify(!knownFilter || !knownFilter.visible);
    }

    function test_manualIpEntry_joinsTheFieldsDecimalValues() {
        mouseClick(child("manualEntryButton"));
        mouseClick(child("ipField0"));
        // Focus moves on after each third digit.
        type("192168010");
        type("7");
        compare(child("ipField2").text, "010");
        compare(child("searchPage").enteredIpAddress(), "192.168.10.7");

        mouseClick(child("addButton"));
        var result = ChamberCreationControlProperty.chamberModels[0];
        compare(result.ipAddress, "192.168.10.7");
        verify(result.manuallyConfigured);
        compare(child("searchProgressBar").value, 1);
    }

    // Typed as everyone types an address: with its dots, over fields that
    // already hold numbers, and on past a full field.
    function test_manualIpEntry_typed_data() {
        return [
            { tag: "with dots", fields: ["", "", "", ""], keys: "10.77.0.10", address: "10.77.0.10" },
            { tag: "a dot after a third digit", fields: ["", "", "", ""], keys: "192.168.1.10",
              address: "192.168.1.10" },
            { tag: "over full fields", fields: ["", "168", "100", "200"], keys: "10.77.0.10", address: "10.77.0.10" },
            { tag: "on past a full field", fields: ["192", "", "", ""], keys: "168.1.1", address: "192.168.1.1" }
        ];
    }

    function test_manualIpEntry_typed(data) {
        mouseClick(child("manualEntryButton"));
        for (var i = 0; i < 4; ++i)
            child("ipField" + i).text = data.fields[i];
        mouseClick(child("ipField0"));
        type(data.keys);
        mouseClick(child("addButton"));

        var results = ChamberCreationControlProperty.chamberModels;
        compare(results.length, 1);
        compare(results[0].ipAddress, data.address);
        verify(!child("errorDialog").opened);
    }

    // Only four fields of 0 to 255 make an address; the control would take
    // anything else for a result without one.
    function test_manualIpEntry_refusesWhatIsNoAddress_data() {
        return [
            { tag: "an empty field", fields: ["10", "77", "", "10"] },
            { tag: "all fields empty", fields: ["", "", "", ""] },
            { tag: "above 255", fields: ["10", "77", "300", "10"] }
        ];
    }

    function test_manualIpEntry_refusesWhatIsNoAddress(data) {
        mouseClick(child("manualEntryButton"));
        for (var i = 0; i < 4; ++i) {
            mouseClick(child("ipField" + i));
            type(data.fields[i]);
        }
        mouseClick(child("addButton"));

        compare(child("resultList").count, 0);
        var dialog = child("errorDialog");
        tryCompare(dialog, "opened", true);
        compare(dialog.text, "Keine gültige IP-Adresse: Jedes der vier Felder braucht eine Zahl von 0 bis 255.");
        mouseClick(child("okButton", dialog.contentItem));
        tryCompare(dialog, "visible", false);
    }

    function test_manualComEntry_data() {
        return [
            { tag: "a port of the PC", port: 3, count: 2, rows: 2, error: "" },
            { tag: "an unknown port", port: 7, count: 1, rows: 0, error: "'COM7' is not valid" }
        ];
    }

    function test_manualComEntry(data) {
        mouseClick(child("manualEntryButton"));
        mouseClick(child("comPortRadio"));
        child("comPortSpinBox").value = data.port;
        child("deviceCountSpinBox").value = data.count;
        mouseClick(child("addButton"));

        compare(child("resultList").count, data.rows);
        var dialog = child("errorDialog");
        tryCompare(dialog, "opened", data.error !== "");
        if (data.rows > 0)
            compare(cellText(1, 2), "COM" + data.port);
        if (data.error === "")
            return;
        compare(dialog.text, data.error);
        mouseClick(child("okButton", dialog.contentItem));
        tryCompare(dialog, "visible", false);
    }

    function test_configuringASelection_returnsToKeptResultsAndResetEntry() {
        eventHandler.finishSearch([], ["192.168.0.3", "192.168.0.4"]);
        var configureButton = child("configureButton");
        verify(!configureButton.enabled);
        mouseClick(child("resultCheckBox", child("resultList").itemAtIndex(1)));
        compare(child("selectedCountText").text, "Anzahl ausgewählter Geräte: 1");

        mouseClick(child("manualEntryButton"));
        child("ipField0").text = "12";
        mouseClick(child("comPortRadio"));
        child("comPortSpinBox").value = 5;

        mouseClick(configureButton);
        waitForPage("configPage");
        mouseClick(child("backToSearchButton"));
        waitForPage("searchPage");
        compare(eventHandler.calls, ["stop"]);

        compare(child("resultList").count, 2);
        verify(ChamberCreationControlProperty.chamberModels[1].selected);
        verify(child("searchPage").automaticSearch);
        compare(child("ipField0").text, "");
        verify(child("ipAddressRadio").checked);
        compare(child("comPortSpinBox").value, 1);
    }
}
