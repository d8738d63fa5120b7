#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;
class Simulator;

// Serves a simulator on a pseudo-terminal, so the application (or any terminal program) can
// open the slave side as if it were the instrument's serial port. The server keeps a slave
// descriptor of its own open: the master then never sees a hang-up when the application
// closes its side between operations.
class PtyServer : public QObject
{
    Q_OBJECT
public:
    explicit PtyServer(Simulator &simulator, QObject *parent = nullptr);
    ~PtyServer() override;

    // Opens the pseudo-terminal. With a link path, also points a symbolic link there at the
    // slave (a stale link is replaced; anything else at that path is left alone and fails).
    bool start(const QString &linkPath = QString());
    // Pulls the cable: closes the terminal (the application's open port sees a hang-up) and
    // removes the link. The instrument keeps its state.
    void unplug();
    // Plugs it back: a fresh terminal, with the link path of start() pointing at it.
    bool replug();
    bool isPlugged() const { return m_master >= 0; }
    // Empty while unplugged.
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

private:
    void readInput();
    void writeOutput();
    void scheduleOutput();
    bool openTerminal();
    void closeTerminal();
    void stop();
    bool fail(const QString &what);

    Simulator &m_sim;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QString m_error;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_outputTimer = nullptr;
    // Bytes due on the line that the terminal could not take yet.
    QByteArray m_pending;
};
