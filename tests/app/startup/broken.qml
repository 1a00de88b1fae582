import QtQuick.Window 2.12
Window { noSuchProperty: true }
