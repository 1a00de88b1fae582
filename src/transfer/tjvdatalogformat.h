#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/recordingdata.h"
#include "domain/types/recordset.h"

#include <QtCore/QByteArray>
#include <QtCore/QList>

namespace quelta::base::connection::chamberconnection {

// The two text files of a TJV controller's data log.
//
// The column description "CANID.ini" comes in blocks of seven lines, the
// last one possibly shorter. A block with "Logging=TRUE" describes the next
// column of the daily files; its "ID=0x<eight upper-case hex digits>" is the
// read address of the column's signal, whatever follows it but a ninth hex
// digit. Blocks with "Logging=FALSE" describe no column; blocks with neither,
// or with TRUE and no ID, are logged and skipped. An ID with a ninth digit is
// logged too, and its column read as a placeholder's.
//
// A daily log file has five header lines; then each line starts with
// "yyyy-MM-dd HH:mm:ss" (local time) followed by one number per column, the
// numbers separated by blanks. A group "0x<four hex digits>" ends the
// numbers. The first line without the leading date and time ends the file.
// Lines end in LF or CR LF; a line with any other control character than a
// tab, such as a CR within it, is skipped with a warning.
class TjvDataLogFormat
{
public:
    static constexpr int LinesPerBlock = 7;
    static constexpr int HeaderLines = 5;

    // The signal of each column, in column order: the first of chamberSignals
    // whose read address is the block's ID, or a placeholder (a default signal,
    // id -1) that keeps the columns aligned and whose values are dropped.
    static QList<domain::types::ChamberSignal> columns(const QByteArray &canIdIni,
                                                       const QList<domain::types::ChamberSignal> &chamberSignals);

    // One record per line from the recording's start time on, in line order,
    // its values ordered by signal id. A temperature (°C, °F, K) is logged in
    // °C and converted to its signal's unit; other numbers stay as they are.
    static QList<domain::types::Recordset> recordsets(const QByteArray &logFile,
                                                      const QList<domain::types::ChamberSignal> &columns,
                                                      const domain::types::RecordingData &recording);

    TjvDataLogFormat() = delete;
};

} // namespace quelta::base::connection::chamberconnection
