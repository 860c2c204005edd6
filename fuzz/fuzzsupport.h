#pragma once
// What every harness shares: the check that stops on a broken invariant, one program folder per
// process, files in and out, and damaging a known-good file by a list of edits.
#include "common/program.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding: say which, and abort so libFuzzer keeps the input.
#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "broken invariant at %s:%d: %s\n  %s\n", __FILE__, __LINE__, #condition,             \
                         qPrintable(QString(what)));                                                                   \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

namespace fuzz {

// The application object, a program folder with its data folder, and quiet Qt messages; once.
inline QString programFolder()
{
    static QString folder = [] {
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type == QtFatalMsg) {
                std::fprintf(stderr, "%s\n", qPrintable(text));
                std::abort();
            }
        });
        static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kelm-fuzz-XXXXXX"));
        QDir(dir.path()).mkdir(QStringLiteral("data"));
        setProgramDirectory(dir.path());
        return dir.path();
    }();
    return folder;
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray fixture(const char *relative)
{
    const QByteArray bytes = readBytes(QStringLiteral(KELM_FUZZ_FIXTURES "/") + QString::fromUtf8(relative));
    FUZZ_CHECK(!bytes.isEmpty(), QStringLiteral("missing fixture ") + QString::fromUtf8(relative));
    return bytes;
}

// Damages a good file by the edits of the input, so small inputs reach every page of a large file:
// a 4-byte little-endian offset (taken modulo the size), a length byte, then that many bytes that
// overwrite the file from there; an edit with length 0 cuts the file at its offset instead.
inline QByteArray applyEdits(QByteArray file, const uint8_t *data, size_t size)
{
    size_t at = 0;
    while (at + 5 <= size && !file.isEmpty()) {
        const uint32_t raw = uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16
            | uint32_t(data[at + 3]) << 24;
        const qsizetype offset = qsizetype(raw % uint32_t(file.size()));
        const size_t length = data[at + 4];
        at += 5;
        if (length == 0) {
            file.truncate(offset);
            continue;
        }
        for (size_t i = 0; i < length && at < size; ++i, ++at) {
            if (offset + qsizetype(i) < file.size())
                file[offset + qsizetype(i)] = char(data[at]);
        }
    }
    return file;
}

} // namespace fuzz
