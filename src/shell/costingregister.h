#pragma once

#include <QtGlobal>

namespace kadu2217 {

// The register as the windows it opens need it.
class CostingRegister {
public:
    virtual ~CostingRegister() = default;
    // Shows a costing's stored state: a new one as a row of its own, an edited or cancelled
    // one in the current row. A failure goes back to the caller, which reports it (and, inside
    // a transaction, rolls it back).
    virtual void showCosting(qint32 costingId, bool newCosting) = 0;
    // The register's row-change handling rests until the register is next activated.
    virtual void restRowChanges() = 0;

protected:
    CostingRegister() = default;
    CostingRegister(const CostingRegister &) = default;
    CostingRegister &operator=(const CostingRegister &) = default;
};

} // namespace kadu2217
