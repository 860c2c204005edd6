// The settings file: any config.ini reads without harm, a value written reads back as written,
// and writing one value leaves every other value of the file as it read before.
// The input is the file; after a line "#--" come the section, key and value to write, one a line.
#include "fuzzsupport.h"

#include "common/gbk.h"
#include "common/settings.h"

#include <QSet>

namespace {

bool blank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The (section, key) names the file holds, found by a reading of the format of its own.
QList<QPair<QString, QString>> namesIn(const QByteArray &file)
{
    QList<QPair<QString, QString>> names;
    QString section;
    for (const QByteArray &raw : file.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.indexOf(']') > 0) {
            section = fromGbk(line.mid(1, line.indexOf(']') - 1).trimmed());
        } else if (line.indexOf('=') > 0 && !line.startsWith(';') && !section.isEmpty()) {
            names.append({section, fromGbk(line.left(line.indexOf('=')).trimmed())});
        }
    }
    return names;
}

// A value reads back as written unless the reading strips it: blanks at either end, a pair of
// quotes around it, or more bytes than the reader's buffer holds.
bool readsBackAsWritten(const QString &value)
{
    if (!value.isEmpty() && (blank(value.front()) || blank(value.back())))
        return false;
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return false;
    return toGbk(value).size() < 10240;
}

bool usableName(const QString &name)
{
    return !name.isEmpty() && name.trimmed() == name && !name.contains(u'\n') && !name.contains(u'\r')
        && !name.contains(u'\0') && fromGbk(toGbk(name)) == name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::programFolder();
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf("\n#--\n");
    const QByteArray file = split < 0 ? input : input.left(split);
    QString section = QStringLiteral("pf"), key = QStringLiteral("bjtp"), value = QStringLiteral("3");
    if (split >= 0) {
        const QList<QByteArray> parts = input.mid(split + 5).split('\n');
        section = QString::fromUtf8(parts.value(0));
        key = QString::fromUtf8(parts.value(1));
        value = QString::fromUtf8(parts.value(2));
    }

    QFile::remove(settingsFilePath());
    FUZZ_CHECK(fuzz::writeBytes(settingsFilePath(), file), settingsFilePath());

    const QList<QPair<QString, QString>> names = namesIn(file);
    QList<QString> before;
    for (const auto &[s, k] : names) {
        const QString read = readSetting(s, k);
        FUZZ_CHECK(toGbk(read).size() < 10240 || read.contains(QChar::ReplacementCharacter), s + u'/' + k);
        before.append(read);
    }

    writeSetting(section, key, value);
    const QByteArray written = fuzz::readBytes(settingsFilePath());
    const bool refused = section.contains(u']') || key.contains(u'=') || value.contains(u'\n') || value.contains(u'\r')
        || value.contains(u'\0') || section.trimmed().isEmpty() || key.trimmed().isEmpty() || section.contains(u'\n')
        || section.contains(u'\r') || section.contains(u'\0') || key.contains(u'\n') || key.contains(u'\r')
        || key.contains(u'\0');
    if (refused) {
        FUZZ_CHECK(written == file, QStringLiteral("a refused write changed the file"));
        return 0;
    }
    if (usableName(section) && usableName(key) && !key.startsWith(u';') && !key.startsWith(u'[')
        && readsBackAsWritten(value)) {
        const QString back = readSetting(section, key);
        FUZZ_CHECK(back == value, section + u'/' + key + QStringLiteral(": wrote ") + value + QStringLiteral(", read ") + back);
    }
    // Every other value reads as before.
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].first.compare(section.trimmed(), Qt::CaseInsensitive) == 0
            && names[i].second.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            continue;
        const QString after = readSetting(names[i].first, names[i].second);
        FUZZ_CHECK(after == before[i], names[i].first + u'/' + names[i].second + QStringLiteral(": was ") + before[i]
                                           + QStringLiteral(", now ") + after);
    }
    return 0;
}
