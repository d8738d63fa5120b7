#include <QtTest>

// The program as `cmake --install` lays it out under a prefix of its own: it runs from there
// with no display, and keeps its settings in the user's configuration folder, never beside
// itself, even when that folder could be written (as it can by root).
class TestInstalled : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QProcess install;
        install.start(QStringLiteral(CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(BUILD_DIR),
                       QStringLiteral("--prefix"), m_dir.filePath(QStringLiteral("usr"))});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    }

    void installedProgramRunsWithoutDisplay()
    {
        QProcess version;
        version.setProcessEnvironment(environment({}));
        version.start(program(), {QStringLiteral("--version")});
        QVERIFY(version.waitForFinished(30000));
        QCOMPARE(version.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(version.readAllStandardOutput()).trimmed(),
                 QStringLiteral("Orvan Utility " ORVAN_VERSION));
        for (const char *file : {"share/applications/org.orvan.OrvanUtility.desktop",
                                 "share/metainfo/org.orvan.OrvanUtility.metainfo.xml",
                                 "share/icons/hicolor/48x48/apps/org.orvan.OrvanUtility.png",
                                 "share/man/man1/orvan-utility.1.gz", "bin/orvan-sim"})
            QVERIFY2(QFileInfo::exists(m_dir.filePath(QStringLiteral("usr/") + QLatin1String(file))),
                     file);
    }

    void settingsGoToTheUsersConfigurationFolder()
    {
        const QString out = m_dir.filePath(QStringLiteral("place.txt"));
        QVERIFY(runDesktop(QStringLiteral("move"), out));
        const QString settings = m_dir.filePath(QStringLiteral("config/OrvanUtility/OrvanUtility.ini"));
        QVERIFY2(QFileInfo::exists(settings), qPrintable(settings));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("usr/bin/OrvanUtility.ini"))));

        QVERIFY(runDesktop(QStringLiteral("read"), out));
        QFile place(out);
        QVERIFY(place.open(QIODevice::ReadOnly));
        QCOMPARE(place.readAll(), QByteArray("200,150"));
    }

private:
    QString program() const { return m_dir.filePath(QStringLiteral("usr/bin/orvan-utility")); }

    QProcessEnvironment environment(const QList<std::pair<QString, QString>> &extra) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        for (const auto &[name, value] : extra)
            env.insert(name, value);
        return env;
    }

    // The desktop application on the offscreen platform, driven from inside until it closes.
    bool runDesktop(const QString &mode, const QString &out)
    {
        QProcess app;
        app.setProcessEnvironment(environment(
            {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
             {QStringLiteral("LD_PRELOAD"), QStringLiteral(ORVAN_SETTINGSDRIVER)},
             {QStringLiteral("ORVAN_DRIVER"), mode},
             {QStringLiteral("ORVAN_DRIVER_OUT"), out}}));
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(program());
        if (!app.waitForFinished(60000)) {
            app.kill();
            app.waitForFinished();
            return false;
        }
        return app.exitStatus() == QProcess::NormalExit && app.exitCode() == 0;
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestInstalled)
#include "tst_installed.moc"
