#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The devices that COM1..COM4 reach.

// The device COM(index + 1) reaches: the settings file's choice when there is one, otherwise
// the index-th present port in automaticPortDevices() order; empty when there is none.
// An index outside 0..3 counts as 0.
QString portDevice(int index);

// Points COM(index + 1) at `device` for this run only, ahead of the settings file; the
// settings file is not changed. An empty device removes the override.
void setPortDeviceForRun(int index, const QString &device);

// The serial ports present, in a stable order: USB adapters by their /dev/serial/by-id
// names (sorted), then the other ports: ttyUSB*, ttyACM*, any others, on-board ttyS*.
QStringList automaticPortDevices();

// The ordering rule of automaticPortDevices(): `byId` holds the by-id links with the
// device each resolves to; `systemPorts` the ports the system lists. A port reached by a
// link appears once, under the link's name.
QStringList orderPortDevices(const QList<QPair<QString, QString>> &byId,
                             const QStringList &systemPorts);

// The COM menu item's text: "COM1 (/dev/ttyUSB0)", "COM3 (none)".
QString portMenuLabel(int index);
