#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Writes `bytes` to `path`; returns the path, or nothing if it cannot be written.
inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// The whole file at `path`; empty if it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A folder below a plain file can never be created, whoever runs the test.
inline QString unwritableFolder(const QTemporaryDir &dir)
{
    return writeFile(dir.filePath(QStringLiteral("plain-file")), {}) + QStringLiteral("/books");
}

// The text pdftotext reads from the PDF at `path` with `options`; empty if it cannot.
inline QString pdfText(const QString &path, const QStringList &options = {})
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), options + QStringList{path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}
