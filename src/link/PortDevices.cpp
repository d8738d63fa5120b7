#include "PortDevices.h"

#include "Settings.h"
#include "Strings.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace
{

const char *const byIdDirectory = "/dev/serial/by-id";

// 0 ttyUSB, 1 ttyACM, 2 any other, 3 ttyS (on-board ports come last: they are present on
// most machines whether or not anything is plugged in).
int portGroup(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.startsWith(QLatin1String("ttyUSB")))
        return 0;
    if (name.startsWith(QLatin1String("ttyACM")))
        return 1;
    if (name.startsWith(QLatin1String("ttyS")))
        return 3;
    return 2;
}

// Name order with embedded numbers compared as numbers, so ttyS2 comes before ttyS10.
bool naturalLess(const QString &a, const QString &b)
{
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            int i2 = i, j2 = j;
            while (i2 < a.size() && a.at(i2).isDigit())
                ++i2;
            while (j2 < b.size() && b.at(j2).isDigit())
                ++j2;
            const qulonglong va = a.mid(i, i2 - i).toULongLong();
            const qulonglong vb = b.mid(j, j2 - j).toULongLong();
            if (va != vb)
                return va < vb;
            i = i2;
            j = j2;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(path) : c;
}

} // namespace

QStringList orderPortDevices(const QList<QPair<QString, QString>> &byId,
                             const QStringList &systemPorts)
{
    QList<QPair<QString, QString>> links = byId;
    std::sort(links.begin(), links.end(),
              [](const auto &a, const auto &b) { return naturalLess(a.first, b.first); });

    QStringList result;
    QStringList reached;
    for (const auto &link : links) {
        result.append(link.first);
        reached.append(link.second);
    }

    QStringList others;
    for (const QString &port : systemPorts) {
        if (!reached.contains(port) && !others.contains(port))
            others.append(port);
    }
    std::stable_sort(others.begin(), others.end(), [](const QString &a, const QString &b) {
        const int ga = portGroup(a), gb = portGroup(b);
        if (ga != gb)
            return ga < gb;
        return naturalLess(QFileInfo(a).fileName(), QFileInfo(b).fileName());
    });
    return result + others;
}

QStringList automaticPortDevices()
{
    QList<QPair<QString, QString>> byId;
    const QDir dir(QString::fromLatin1(byIdDirectory));
    const QFileInfoList entries =
        dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        byId.append({entry.absoluteFilePath(), canonical(entry.absoluteFilePath())});

    QStringList ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append(canonical(info.systemLocation()));
    return orderPortDevices(byId, ports);
}

namespace
{
QString runOverrides[4];
}

void setPortDeviceForRun(int index, const QString &device)
{
    if (index >= 0 && index < 4)
        runOverrides[index] = device;
}

QString portDevice(int index)
{
    if (index < 0 || index > 3)
        index = 0;
    if (!runOverrides[index].isEmpty())
        return runOverrides[index];
    if (!Settings.portDevices[index].isEmpty())
        return Settings.portDevices[index];
    const QStringList present = automaticPortDevices();
    return index < present.size() ? present.at(index) : QString();
}

QString portMenuLabel(int index)
{
    if (index < 0 || index > 3)
        index = 0;
    const QString device = portDevice(index);
    return loadString(1160 + index) + QLatin1String(" (") +
           (device.isEmpty() ? loadString(1164) : device) + QLatin1Char(')');
}
