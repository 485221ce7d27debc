#include "services/defaults.h"
#include "services/reportengine.h"

#include <QHash>

namespace kadu2217 {
namespace {

QHash<QString, ServiceFactory> &factories()
{
    static QHash<QString, ServiceFactory> registered = [] {
        QHash<QString, ServiceFactory> defaults;
        defaults.insert(servicenames::Database.toLower(), [] { return std::make_shared<DefaultDatabase>(); });
        defaults.insert(servicenames::General.toLower(), [] { return std::make_shared<DefaultGeneral>(); });
        defaults.insert(servicenames::FormTheme.toLower(), [] { return std::make_shared<DefaultFormTheme>(); });
        defaults.insert(servicenames::AuditTrail.toLower(), [] { return std::make_shared<DefaultAuditTrail>(); });
        defaults.insert(servicenames::GridLayout.toLower(), [] { return std::make_shared<DefaultGridLayout>(); });
        defaults.insert(servicenames::FaultLog.toLower(), [] { return std::make_shared<DefaultFaultLog>(); });
        const ServiceFactory reportEngine = [] { return std::make_shared<DefaultReportEngine>(); };
        defaults.insert(servicenames::ReportApplication.toLower(), reportEngine);
        defaults.insert(servicenames::ReportControl.toLower(), reportEngine);
        return defaults;
    }();
    return registered;
}

} // namespace

void registerService(const QString &name, ServiceFactory factory)
{
    if (factory)
        factories().insert(name.trimmed().toLower(), std::move(factory));
    else
        factories().remove(name.trimmed().toLower());
}

std::shared_ptr<Service> createService(const QString &name)
{
    const auto factory = factories().value(name.trimmed().toLower());
    std::shared_ptr<Service> service = factory ? factory() : nullptr;
    if (!service)
        throw Error(errnum::ActiveXCannotCreate, QStringLiteral("ActiveX component can't create object: %1").arg(name));
    return service;
}

} // namespace kadu2217
