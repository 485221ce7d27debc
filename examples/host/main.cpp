// Embeds the module as a host application does: creates the public class and hands it the
// session connection. A real host also sets the user, company, department, process date and
// message-box title, and then calls Show() from its QApplication's thread; Show() needs a
// display, so this example stops before it and runs anywhere.

#include <kadu2217/clslocalpurchcost.h>
#include <kadu2217/connection.h>
#include <kadu2217/error.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QTemporaryDir folder;
    const QString file = app.arguments().value(1, folder.filePath(QStringLiteral("host.db")));
    try {
        auto connection = std::make_shared<kadu2217::Connection>();
        // The embedded file (created when missing); a host on SQL Server passes an ODBC text.
        connection->open(QStringLiteral("Data Source=") + QDir::toNativeSeparators(file));
        connection->beginTrans();
        connection->rollbackTrans();

        kadu2217::clsLocalPurchCost module;
        module.setAdocon(connection);
        module.setMsgboxTitle(QStringLiteral("Local Purchase Costing"));
        module.setIntUserID(1);
        module.setIntcompanyid(1);
        if (module.adocon() != connection || !module.adocon()->isOpen()) {
            err << "the module did not take the session connection" << Qt::endl;
            return 1;
        }
        out << "kadu2217 " << KADU2217_PACKAGE_VERSION << ": clsLocalPurchCost ready on " << file << Qt::endl;
        return 0;
    } catch (const kadu2217::Error &e) {
        err << "error " << e.number() << ": " << e.description() << Qt::endl;
        return 1;
    }
}
