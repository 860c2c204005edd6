#include "templates.h"

#include <QSaveFile>

// Generated at build time from the schema by maketemplates.
extern const unsigned char userDirectoryTemplateBytes[];
extern const unsigned int userDirectoryTemplateSize;
extern const unsigned char ledgerTemplateBytes[];
extern const unsigned int ledgerTemplateSize;

QByteArray userDirectoryTemplate()
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(userDirectoryTemplateBytes), userDirectoryTemplateSize);
}

QByteArray ledgerTemplate()
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(ledgerTemplateBytes), ledgerTemplateSize);
}

bool writeTemplate(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}
