#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QList>

namespace quelta::base::connection::chamberconnection {

// Cuts a byte stream into lines. A line ends at LF; a CR right before the LF
// belongs to the terminator. Bytes after the last LF wait for the next chunk.
class LineFramerImpl
{
public:
    // No answer of our devices comes near this; a peer that sends more without
    // a line feed is not speaking a line protocol, and the buffer must not grow.
    static constexpr int MaximumLineLength = 1024;

    struct Chunk
    {
        QList<QByteArray> lines;
        int discardedBytes = 0;
    };

    // The request line with its CR LF terminator.
    [[nodiscard]] static QByteArray frame(const QByteArray &line);

    // Appends received bytes and returns every line they complete, without its
    // terminator; empty lines are skipped. An overlong line is dropped up to
    // and including its LF and counted in discardedBytes.
    [[nodiscard]] Chunk append(const QByteArray &bytes);

    void clear();

private:
    QByteArray m_buffer;
    bool m_discarding = false;
};

} // namespace quelta::base::connection::chamberconnection
