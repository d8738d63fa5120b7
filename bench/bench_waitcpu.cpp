#include "AppState.h"
#include "ClassData.h"
#include "FormDialog.h"
#include "FormMain.h"
#include "FormMeasStart.h"
#include "FormMon.h"
#include "FormTimerSet.h"
#include "MeasTime.h"
#include "PortDevices.h"
#include "Prompter.h"
#include "Pump.h"
#include "Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

namespace
{
// What a waiting application may cost, in percent of one core.
constexpr double cpuTarget = 1.0;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Says OK (or Yes) to every question, as the operator starting a run would.
class AgreeingPrompter : public Prompter
{
public:
    Answer message(const QString &, Buttons buttons, Icon) override
    {
        return buttons == YesNo || buttons == YesNoCancel ? AnswerYes : AnswerOk;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override
    {
        return {};
    }
};

// Percent of a core used between two moments of a running loop.
struct CpuWindow {
    double cpu = 0.0;
    qint64 wallMs = 0;
    QElapsedTimer wall;

    void begin()
    {
        cpu = cpuSeconds();
        wall.start();
    }
    double percent() const { return 100.0 * (cpuSeconds() - cpu) / (wall.elapsed() / 1000.0); }
};
} // namespace

// The cost of waiting against the simulator on a pseudo-terminal, in real time: the monitor,
// a logged run at one sample per second, and the instrument-off wait for a timer start. Each
// phase is measured after its start-up handshake.
class BenchWaitCpu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void monitor();
    void logging();
    void timerWait();

private:
    // Runs `start`, measures from `fromMs` for `forMs`, then presses the monitor's Stop (or
    // the timer dialog's Stop when no monitor shows).
    double measure(const std::function<void()> &start, int fromMs, int forMs);
    void answerDialogs(bool timer);

    QTemporaryDir m_dir;
    QProcess m_sim;
    AgreeingPrompter m_prompter;
    FormMain *m_main = nullptr;
};

void BenchWaitCpu::initTestCase()
{
    const QString link = m_dir.filePath(QStringLiteral("COM1"));
    m_sim.setProgram(QStringLiteral(ORVAN_SIM));
    m_sim.setArguments(
        {QStringLiteral("--type"), QStringLiteral("L"), QStringLiteral("--link"), link});
    m_sim.start();
    QVERIFY(m_sim.waitForStarted());
    QTRY_VERIFY(QFile::exists(link));
    settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
    setPortDeviceForRun(0, link);
    Prompter::setInstance(&m_prompter);
    m_main = new FormMain;
    m_main->show();
}

void BenchWaitCpu::cleanupTestCase()
{
    for (auto &data : channelData)
        data.reset();
    delete m_main;
    Prompter::setInstance(nullptr);
    m_sim.terminate();
    m_sim.waitForFinished();
}

void BenchWaitCpu::answerDialogs(bool timer)
{
    auto *poll = new QTimer(this);
    auto filled = std::make_shared<bool>(false);
    auto timerDone = std::make_shared<bool>(!timer);
    connect(poll, &QTimer::timeout, this, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == &FormDialog::instance()) {
            FormDialog::instance().Command1->click();
        } else if (auto *times = qobject_cast<FormMeasStart *>(modal)) {
            if (!*filled) {
                *filled = true;
                times->TextInterval->setText(QStringLiteral("1"));
                times->ComboIntervalUnit->setCurrentIndex(0);
                times->ComboLogTimeUnit->setCurrentIndex(0); // Continuous
                if (timer)
                    QTimer::singleShot(0, times->CheckTimer, &QCheckBox::click);
            } else if (*timerDone) {
                poll->deleteLater();
                QTimer::singleShot(0, times->Command1, &QPushButton::click);
            }
        } else if (auto *timerSet = qobject_cast<FormTimerSet *>(modal)) {
            if (*timerDone)
                return;
            *timerDone = true;
            // Starts in ten minutes: the wait is long enough to measure with the instrument off.
            const QDateTime start = QDateTime::currentDateTime().addSecs(600);
            const QDateTime stop = start.addSecs(60);
            const auto setFields = [timerSet](int i, const QDateTime &t) {
                timerSet->Textyy[i]->setText(t.toString(QStringLiteral("yy")));
                timerSet->Textmm[i]->setText(t.toString(QStringLiteral("MM")));
                timerSet->Textdd[i]->setText(t.toString(QStringLiteral("dd")));
                timerSet->Texthh[i]->setText(t.toString(QStringLiteral("hh")));
                timerSet->Textnn[i]->setText(t.toString(QStringLiteral("mm")));
            };
            setFields(0, start);
            setFields(1, stop);
            QTimer::singleShot(0, timerSet->Command1, &QPushButton::click);
        }
    });
    poll->start(20);
}

double BenchWaitCpu::measure(const std::function<void()> &start, int fromMs, int forMs)
{
    auto window = std::make_shared<CpuWindow>();
    auto result = std::make_shared<double>(-1.0);
    QTimer::singleShot(fromMs, this, [window] { window->begin(); });
    QTimer::singleShot(fromMs + forMs, this, [this, window, result] {
        *result = window->percent();
        if (m_main->monitorWindow()->isVisible())
            m_main->monitorWindow()->Command1->click();
        else
            FormDialog::instance().Command1->click();
    });
    start();
    return *result;
}

void BenchWaitCpu::monitor()
{
    const double percent = measure([this] { m_main->Command1_Click(0); }, 8000, 20000);
    qInfo("Monitor: %.2f %% of a core", percent);
    QVERIFY(percent >= 0.0);
    QVERIFY2(percent < cpuTarget, qPrintable(QString::number(percent)));
}

void BenchWaitCpu::logging()
{
    answerDialogs(false);
    const double percent = measure([this] { m_main->Command1_Click(1); }, 8000, 60000);
    qInfo("Logging at 1 s, %d samples: %.2f %% of a core", int(channelData[0]->DataNo), percent);
    QVERIFY(percent >= 0.0);
    QVERIFY2(percent < cpuTarget, qPrintable(QString::number(percent)));
}

void BenchWaitCpu::timerWait()
{
    answerDialogs(true);
    const double percent = measure([this] { m_main->Command1_Click(1); }, 8000, 30000);
    qInfo("Timer-start wait, instrument off: %.2f %% of a core", percent);
    QVERIFY(percent >= 0.0);
    QVERIFY2(percent < cpuTarget, qPrintable(QString::number(percent)));
}

QTEST_MAIN(BenchWaitCpu)
#include "bench_waitcpu.moc"
