#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QtGlobal>

#include <optional>

namespace quelta::base::connection::chamberconnection {

// The table of one signal in a program on a TJV controller (the ".tpg" file
// of a slot directory): UTF-8 text, fields separated by one tab, lines ended
// by CR LF. A header line, then one line per section:
//
//   Nr.  Wert  H:M:S  Ref.  Wdh.  T.min  T.max  R/S  [1|2|3]
//   0    23.50 3600   0     0     -999.00 999.00 0   [5]
//
// Nr. is the 0-based section, Wert the set-point, H:M:S the duration in
// seconds, Ref. and Wdh. the reference and the repetitions, R/S 0 for a ramp
// and 1 for a jump. T.min holds the distance of the tolerance band below the
// set-point with its sign turned (a band reaching 0.5 below is "-0.50"),
// "-999.00" for none; T.max the distance above, "999.00" for none. The last
// column, only in programs with digital signals, holds their set-points as
// bits, bit n for the signal at bit position n.
//
// The controllers read a value only as one to three integer digits and
// exactly two decimals, so a line is written only if it reads back.
class TjvProgramFile
{
public:
    struct Line
    {
        int sectionNumber = 0;
        float value = 0;
        qint64 durationInSeconds = 0;
        int reference = 0;
        int repetitions = 0;
        // Distances below and above the set-point.
        std::optional<float> lowerLimit;
        std::optional<float> upperLimit;
        int transitionType = 0;
        std::optional<int> bits;

        friend bool operator==(const Line &lhs, const Line &rhs)
        {
            return lhs.sectionNumber == rhs.sectionNumber && lhs.value == rhs.value
                && lhs.durationInSeconds == rhs.durationInSeconds && lhs.reference == rhs.reference
                && lhs.repetitions == rhs.repetitions && lhs.lowerLimit == rhs.lowerLimit
                && lhs.upperLimit == rhs.upperLimit && lhs.transitionType == rhs.transitionType
                && lhs.bits == rhs.bits;
        }
    };

    static QByteArray header(bool withBits);
    static QByteArray format(const Line &line);

    // Each takes one whole line, CR LF included.
    static bool isHeader(const QByteArray &line);
    // Nothing for a line that is not exactly a section's line. The bits are
    // taken modulo 256.
    static std::optional<Line> parse(const QByteArray &line);
};

} // namespace quelta::base::connection::chamberconnection
