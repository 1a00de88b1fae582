#pragma once

#include <QtCore/QVector>

class QDebug;

namespace quelta::base::connection::chamberconnection {

// Cuts the registers of a list of items into Modbus transactions, keeping the
// list order: an item whose registers follow on from the previous item's
// joins that transaction while it fits whole into one PDU; any other item
// starts a new one. Only an item larger than a PDU is itself cut, so a value
// is never torn between two transactions when it fits into one.
class ModbusTransactionPlan
{
public:
    // FC03 reads at most 125 registers per request, FC16 writes at most 123.
    static constexpr int MaxReadRegisters = 125;
    static constexpr int MaxWriteRegisters = 123;

    // A run of consecutive holding registers.
    struct Span
    {
        int start = 0;
        int count = 0;

        friend bool operator==(const Span &lhs, const Span &rhs)
        {
            return lhs.start == rhs.start && lhs.count == rhs.count;
        }
        friend bool operator!=(const Span &lhs, const Span &rhs) { return !(lhs == rhs); }
    };

    // Items need a count of at least 1 and must end at register 0xFFFF at
    // the latest; maxRegisters is at least 1.
    ModbusTransactionPlan(const QVector<Span> &items, int maxRegisters);

    QVector<Span> transactions() const { return m_transactions; }

private:
    QVector<Span> m_transactions;
};

QDebug operator<<(QDebug debug, const ModbusTransactionPlan::Span &span);

} // namespace quelta::base::connection::chamberconnection
