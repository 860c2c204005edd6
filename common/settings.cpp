#include "settings.h"

#include "files.h"
#include "gbk.h"
#include "program.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>

namespace {

// What the Windows program read into its fixed buffer: the value and its terminating zero.
constexpr qsizetype valueBufferBytes = 10240;

struct IniLine
{
    QByteArray raw;  // the line as it stood in the file, without its line end
    QString section; // set on a section header
    QString key;     // set on a key line
    QByteArray value;
    bool isSection = false;
    bool isKey = false;
};

QByteArray trimmedBlanks(const QByteArray &bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && (bytes[begin] == ' ' || bytes[begin] == '\t'))
        ++begin;
    while (end > begin && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t'))
        --end;
    return bytes.mid(begin, end - begin);
}

QList<IniLine> parseIni(const QByteArray &content)
{
    QList<IniLine> lines;
    const QList<QByteArray> rawLines = content.split('\n');
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        IniLine line;
        line.raw = rawLines[i];
        if (line.raw.endsWith('\r'))
            line.raw.chop(1);
        if (i == rawLines.size() - 1 && line.raw.isEmpty())
            break; // the file ended with a line end
        const QByteArray text = trimmedBlanks(line.raw);
        const qsizetype close = text.indexOf(']');
        if (text.startsWith('[') && close > 0) {
            line.isSection = true;
            line.section = fromGbk(trimmedBlanks(text.mid(1, close - 1)));
        } else if (const qsizetype eq = text.indexOf('='); eq > 0 && !text.startsWith(';')) {
            line.isKey = true;
            line.key = fromGbk(trimmedBlanks(text.left(eq)));
            QByteArray value = trimmedBlanks(text.mid(eq + 1));
            // A value wrapped in a pair of matching quotes reads without them.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            line.value = value;
        }
        lines.append(line);
    }
    return lines;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first header of the section, or -1.
qsizetype findSection(const QList<IniLine> &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].isSection && sameName(lines[i].section, section))
            return i;
    return -1;
}

bool usableName(const QString &name)
{
    return !name.trimmed().isEmpty() && !name.contains(u'\n') && !name.contains(u'\r') && !name.contains(u'\0');
}

QByteArray readWholeFile(const QString &path, bool *ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

} // namespace

QString settingsFilePath()
{
    return programPath(QStringLiteral("config.ini"));
}

QString readSetting(const QString &section, const QString &key)
{
    bool ok = false;
    const QList<IniLine> lines = parseIni(readWholeFile(settingsFilePath(), &ok));
    const qsizetype start = findSection(lines, section);
    if (start < 0)
        return {};
    for (qsizetype i = start + 1; i < lines.size() && !lines[i].isSection; ++i)
        if (lines[i].isKey && sameName(lines[i].key, key))
            return fromGbk(gbkPrefix(lines[i].value, valueBufferBytes - 1));
    return {};
}

void writeSetting(const QString &section, const QString &key, const QString &value)
{
    // A line break would end the line early and plant a key of its own; such a write does nothing.
    if (!usableName(section) || section.contains(u']') || !usableName(key) || key.contains(u'=')
        || value.contains(u'\n') || value.contains(u'\r') || value.contains(u'\0'))
        return;

    const QString path = settingsFilePath();
    // Two copies of the program write the file in turns, so neither loses the other's value.
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(2000))
        return;
    bool existed = false;
    const QByteArray content = readWholeFile(path, &existed);
    if (fileExists(path) && (!existed || !(QFile::permissions(path) & QFileDevice::WriteOwner)))
        return; // there but unreadable or write-protected: leave it as the user keeps it
    QList<IniLine> lines = parseIni(content);

    const QByteArray keyLine = toGbk(key.trimmed()) + '=' + toGbk(value);
    const qsizetype start = findSection(lines, section);
    if (start < 0) {
        IniLine header;
        header.raw = '[' + toGbk(section.trimmed()) + ']';
        lines.append(header);
        IniLine entry;
        entry.raw = keyLine;
        lines.append(entry);
    } else {
        qsizetype lastKey = start;
        qsizetype found = -1;
        for (qsizetype i = start + 1; i < lines.size() && !lines[i].isSection; ++i) {
            if (lines[i].isKey) {
                lastKey = i;
                if (found < 0 && sameName(lines[i].key, key))
                    found = i;
            }
        }
        IniLine entry;
        entry.raw = keyLine;
        if (found >= 0)
            lines[found] = entry;
        else
            lines.insert(lastKey + 1, entry);
    }

    QByteArray out;
    for (const IniLine &line : lines)
        out += line.raw + "\r\n";
    // Written whole and renamed over the old file, so a crash never leaves half a settings file.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(out) == out.size())
        file.commit();
    else
        file.cancelWriting();
}

namespace {

// Maps "Software\organisation\application[\subkey...]\value" onto the per-user store of that
// organisation and application; anything shorter names no value.
struct RegistryPlace
{
    QString organisation;
    QString application;
    QString key;
    bool valid = false;
};

RegistryPlace registryPlace(RegistryRoot root, const QString &path)
{
    RegistryPlace place;
    if (root != RegistryRoot::CurrentUser)
        return place;
    const QStringList parts = path.split(u'\\');
    if (parts.size() < 4 || !sameName(parts[0], QStringLiteral("Software")))
        return place;
    for (const QString &part : parts)
        if (part.isEmpty() || part.contains(u'/'))
            return place;
    place.organisation = parts[1];
    place.application = parts[2];
    place.key = parts.mid(3).join(u'/');
    place.valid = true;
    return place;
}

// Where QSettings keeps a user's values of that organisation and application, under the key store
// folder of this run.
QString registryFilePath(const RegistryPlace &place)
{
    return currentProgramPlaces().registry + u'/' + place.organisation + u'/' + place.application + QStringLiteral(".conf");
}

} // namespace

QString readRegistryText(RegistryRoot root, const QString &path)
{
    const RegistryPlace place = registryPlace(root, path);
    if (!place.valid)
        return {};
    const QSettings store(registryFilePath(place), QSettings::NativeFormat);
    return store.value(place.key).toString();
}

bool writeRegistryText(RegistryRoot root, const QString &path, const QString &text)
{
    const RegistryPlace place = registryPlace(root, path);
    if (!place.valid)
        return false;
    QSettings store(registryFilePath(place), QSettings::NativeFormat);
    store.setValue(place.key, text);
    store.sync();
    return store.status() == QSettings::NoError;
}
