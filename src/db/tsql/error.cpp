#include <kadu2217/error.h>

namespace kadu2217 {

Error::Error(qint32 number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
      m_what((QString::number(number) + QLatin1String(": ") + m_description).toUtf8())
{
}

void raise(qint32 number, const QString &description)
{
    throw Error(number, description);
}

} // namespace kadu2217
