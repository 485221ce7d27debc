#pragma once

#include "db/error.h"

#include <memory>

namespace kadu2217 {

// An object another window or the register's load must have made; reaching it before then
// fails as an unset object variable did (91) instead of crashing.
template <typename T>
T &required(T *object)
{
    if (!object)
        raise(errnum::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

template <typename T>
T &required(const std::shared_ptr<T> &object)
{
    return required(object.get());
}

} // namespace kadu2217
