#pragma once

#include "db/connection.h"

namespace kadu2217 {

// Begins a transaction and rolls it back when it is left without commit(), also when an
// exception unwinds through it: every write path is all-or-nothing.
class Transaction {
public:
    explicit Transaction(Connection &connection) : m_connection(connection) { m_connection.beginTrans(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_connection.rollbackTrans();
            } catch (...) {
                // The failure that brought us here is the one worth reporting.
            }
        }
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit()
    {
        m_connection.commitTrans();
        m_done = true;
    }

private:
    Connection &m_connection;
    bool m_done = false;
};

} // namespace kadu2217
