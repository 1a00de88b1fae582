#include "connection/chamber/protocol/lineframerimpl.h"

namespace quelta::base::connection::chamberconnection {

namespace {
// A line may hold MaximumLineLength bytes plus the CR of its terminator.
constexpr int BufferLimit = LineFramerImpl::MaximumLineLength + 1;
} // namespace

QByteArray LineFramerImpl::frame(const QByteArray &line)
{
    return line + QByteArrayLiteral("\r\n");
}

LineFramerImpl::Chunk LineFramerImpl::append(const QByteArray &bytes)
{
    Chunk chunk;
    int start = 0;
    while (start < bytes.size()) {
        const int end = bytes.indexOf('\n', start);
        if (end < 0) {
            const int rest = bytes.size() - start;
            if (m_discarding) {
                chunk.discardedBytes += rest;
            } else if (m_buffer.size() + rest > BufferLimit) {
                chunk.discardedBytes += m_buffer.size() + rest;
                m_buffer.clear();
                m_discarding = true;
            } else {
                m_buffer.append(bytes.constData() + start, rest);
            }
            break;
        }

        const int length = end - start;
        if (m_discarding) {
            chunk.discardedBytes += length + 1;
            m_discarding = false;
        } else {
            const int lineLength = m_buffer.size() + length;
            const bool withCarriageReturn = length > 0 ? bytes.at(end - 1) == '\r'
                                                       : m_buffer.endsWith('\r');
            if (lineLength - (withCarriageReturn ? 1 : 0) > MaximumLineLength) {
                chunk.discardedBytes += lineLength + 1;
            } else {
                m_buffer.append(bytes.constData() + start, length);
                if (withCarriageReturn)
                    m_buffer.chop(1);
                if (!m_buffer.isEmpty())
                    chunk.lines.append(m_buffer);
            }
            m_buffer.clear();
        }
        start = end + 1;
    }
    return chunk;
}

void LineFramerImpl::clear()
{
    m_buffer.clear();
    m_discarding = false;
}

} // namespace quelta::base::connection::chamberconnection
