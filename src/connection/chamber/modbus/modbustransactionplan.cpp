#include "connection/chamber/modbus/modbustransactionplan.h"

#include <QtCore/QDebug>

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

ModbusTransactionPlan::ModbusTransactionPlan(const QVector<Span> &items, int maxRegisters)
{
    Q_ASSERT(maxRegisters > 0);
    for (const Span &item : items) {
        Q_ASSERT(item.count > 0 && item.start >= 0 && item.start + item.count <= 0x10000);
        if (!m_transactions.isEmpty()) {
            Span &last = m_transactions.last();
            if (last.start + last.count == item.start && last.count + item.count <= maxRegisters) {
                last.count += item.count;
                continue;
            }
        }
        for (int offset = 0; offset < item.count; offset += maxRegisters)
            m_transactions.append(Span{item.start + offset, std::min(maxRegisters, item.count - offset)});
    }
}

QDebug operator<<(QDebug debug, const ModbusTransactionPlan::Span &span)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "Span(" << Qt::hex << Qt::showbase << span.start << Qt::dec << Qt::noshowbase << '+'
                    << span.count << ')';
    return debug;
}

} // namespace quelta::base::connection::chamberconnection
