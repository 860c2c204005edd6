#include "templates.h"

#include "schema.h"

#include "common/files.h"
#include "dataaccess/pg/serverstore.h"

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
    // A database of the data folder kept on the server is made from the same definitions.
    if (!serverSchemaOf(path).isEmpty()) {
        if (fileExists(path) && !deleteFile(path))
            return false;
        return createServerDatabase(path, bytes == ledgerTemplate() ? ledgerSchema() : userDirectorySchema());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}
