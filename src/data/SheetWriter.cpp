#include "SheetWriter.h"

#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "Settings.h"
#include "Strings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <xlsxwriter.h>

#include <cstdio>

bool SheetWriter::openFinished = true;

namespace
{
const QString sideSuffix = QStringLiteral(".rows");

// Complete lines only: a crash may cut the last one short.
QList<QStringList> readSide(const QString &path)
{
    QList<QStringList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    for (qsizetype end = bytes.indexOf('\n'); end >= 0; end = bytes.indexOf('\n', start)) {
        rows.append(QString::fromUtf8(bytes.mid(start, end - start)).split(u','));
        start = end + 1;
    }
    return rows;
}

// Builds the workbook of a side file and removes the side file once the workbook stands.
bool finishSide(const QString &side, const QString &workbook)
{
    if (!SheetWriter::writeWorkbook(workbook, {SheetRows{QString(), readSide(side)}}))
        return false;
    QFile::remove(side);
    return true;
}
} // namespace

SheetWriter::SheetWriter(const QString &folder) : m_folder(folder) {}

SheetWriter::~SheetWriter() = default;

QString SheetWriter::defaultFolder()
{
    if (!Settings.ExcelFolder.isEmpty())
        return Settings.ExcelFolder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/OrvanUtility");
}

bool SheetWriter::canCreateFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    QFileInfo info(QDir::cleanPath(QDir(folder).absolutePath()));
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return false;
        info = QFileInfo(parent);
    }
    return info.isDir() && info.isWritable();
}

QString SheetWriter::workbookPath(const QString &folder, const QString &prefix, double dayCount)
{
    const QString stem = folder + u'/' + prefix + u' ' +
                         fromDayCount(dayCount).toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
    QString path = stem + QStringLiteral(".xlsx");
    for (int n = 2; QFileInfo::exists(path) || QFileInfo::exists(path + sideSuffix); ++n)
        path = stem + QStringLiteral(" (%1).xlsx").arg(n);
    return path;
}

QStringList SheetWriter::headerRow(int unit)
{
    return {loadString(1511), loadString(1512), loadString(1513) + u'[' + unitText(unit) + u']'};
}

QStringList SheetWriter::sampleRow(double time, float value, int resolution)
{
    return {longDateText(time), timeText(time), valueText(value, resolution)};
}

bool SheetWriter::writeWorkbook(const QString &path, const QList<SheetRows> &sheets)
{
    const QByteArray part = QFile::encodeName(path + QStringLiteral(".part"));
    QByteArray tmpdir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options = {};
    // Rows stream to a temporary file instead of piling up in memory; cells become inline
    // strings.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    lxw_workbook *book = workbook_new_opt(part.constData(), &options);
    if (!book)
        return false;

    bool ok = true;
    for (const SheetRows &sheet : sheets) {
        const QByteArray name = sheet.name.toUtf8();
        lxw_worksheet *page = workbook_add_worksheet(book, name.isEmpty() ? nullptr : name.data());
        if (!page) {
            ok = false;
            break;
        }
        worksheet_set_column(page, 0, 0, 13, nullptr);
        for (int r = 0; ok && r < sheet.rows.size(); ++r) {
            const QStringList &row = sheet.rows[r];
            for (int c = 0; c < row.size(); ++c) {
                if (worksheet_write_string(page, lxw_row_t(r), lxw_col_t(c),
                                           row[c].toUtf8().constData(), nullptr) != LXW_NO_ERROR) {
                    ok = false;
                    break;
                }
            }
        }
        if (!ok)
            break;
    }
    // Closed even after a failure: that frees the workbook.
    ok = workbook_close(book) == LXW_NO_ERROR && ok;
    // POSIX rename replaces an existing target in one step.
    if (ok && std::rename(part.constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    QFile::remove(QString::fromLocal8Bit(part));
    return false;
}

QString SheetWriter::exportBlocks(const QString &folder, const std::unique_ptr<ClassData> *blocks,
                                  int count, double dayCount)
{
    QList<SheetRows> sheets;
    for (int i = 0; i < count; ++i) {
        const ClassData *data = blocks[i].get();
        if (!data)
            continue;
        const QString number = signedNumberText(i + 1);
        SheetRows sheet{QStringLiteral("No.") + number, {}};
        sheet.rows.reserve(data->DataNo + 2);
        sheet.rows.append({loadString(4233) + number});
        sheet.rows.append(headerRow(data->Unit));
        for (int j = 0; j < data->DataNo; ++j)
            sheet.rows.append(
                sampleRow(data->getDataDate0(j), data->getDataY(j), data->Resolution));
        sheets.append(sheet);
    }
    if (sheets.isEmpty() || !QDir().mkpath(folder))
        return QString();
    const QString path = workbookPath(folder, QStringLiteral("Memory"), dayCount);
    return writeWorkbook(path, sheets) ? path : QString();
}

QStringList SheetWriter::recover(const QString &folder)
{
    QStringList built;
    const QDir dir(folder);
    const QStringList sides =
        dir.entryList({QStringLiteral("*.xlsx") + sideSuffix}, QDir::Files, QDir::Name);
    for (const QString &name : sides) {
        const QString side = dir.filePath(name);
        const QString workbook = side.chopped(sideSuffix.size());
        // The workbook stands when a crash came between its rename and the side file's removal.
        if (QFileInfo::exists(workbook))
            QFile::remove(side);
        else if (finishSide(side, workbook))
            built.append(workbook);
    }
    return built;
}

bool SheetWriter::available()
{
    return canCreateFolder(m_folder);
}

void SheetWriter::openExcelLog(const ClassData &data, const QString &path)
{
    release();
    const QString folder = path.isEmpty() ? m_folder : QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return;
    m_workbook = path.isEmpty() ? workbookPath(m_folder, QStringLiteral("CH%1").arg(data.ChNo + 1),
                                               data.StartDateTime)
                                : path;
    m_resolution = data.Resolution;
    m_side.setFileName(m_workbook + sideSuffix);
    if (!m_side.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const QByteArray header = headerRow(data.Unit).join(u',').toUtf8() + '\n';
    if (m_side.write(header) == header.size() && m_side.flush())
        m_rows = 1;
}

void SheetWriter::writeExcelRow(double time, float value)
{
    if (!m_side.isOpen())
        return;
    const QByteArray line = sampleRow(time, value, m_resolution).join(u',').toUtf8() + '\n';
    if (m_side.write(line) == line.size() && m_side.flush())
        ++m_rows;
}

void SheetWriter::release()
{
    if (!m_side.isOpen())
        return;
    m_side.close();
    m_rows = 0;
    // On failure the side file stays for recover() at the next start.
    if (finishSide(m_side.fileName(), m_workbook) && finished)
        finished(m_workbook);
}
