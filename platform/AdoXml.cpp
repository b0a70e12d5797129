#include "AdoXml.h"

namespace tw::platform {

QByteArray writeRowsetXml(const RowsetData&)
{
    return {};
}

Expected<RowsetData> readRowsetXml(const QByteArray&)
{
    return Result::failure(QStringLiteral("noch nicht gebaut"));
}

} // namespace tw::platform
