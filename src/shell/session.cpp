#include "shell/session.h"

#include "shell/windows.h"

namespace kadu2217 {
namespace {

SessionContext &sessionInstance()
{
    static SessionContext instance;
    return instance;
}

ModuleState &stateInstance()
{
    static ModuleState instance;
    return instance;
}

} // namespace

SessionContext &session()
{
    return sessionInstance();
}

ModuleState &moduleState()
{
    return stateInstance();
}

void resetModule()
{
    destroyWindows();
    sessionInstance() = SessionContext();
    stateInstance() = ModuleState();
}

} // namespace kadu2217
