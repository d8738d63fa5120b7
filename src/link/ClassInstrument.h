#pragma once

#include <QString>

class ClassLink;
struct CommError;

// True when the last "TYPE" reply was exactly "F-type" (the field type).
extern bool fieldTypeConnected;

// The instrument's settings replies, read apart from the link.
namespace InstrumentReply
{
// A number: leading blanks, an optional sign, digits and one "."; no exponent. A reply
// without such a number reads as 0.
double number(const QString &text);
// The unit of a reading (the reply to ":"): 1 with an "F" in it, else 0 with a "C", else
// `unit` unchanged.
qint16 unit(const QString &reply, qint16 unit);
// The value of a reading (the reply to ":"): the error code for a reply starting " Err" or
// "Error", the low-battery code for "Lo.Batt!", otherwise its leading number.
float reading(const QString &reply);
// The reply to "RESOL": 0 (0.1 degree), 1 (1 degree), or -1 for any other reply.
int resolution(const QString &reply);
// The reply to "EMI" ("Emi" and the value in its last four characters); false when it does
// not start with "Emi".
bool emissivity(const QString &reply, float &value);
// The reply to "ZERO" or "FS": "Zero" with the scale's zero and full in fixed columns
// (characters 6..8 and 16..18); false when it does not start with "Zero".
bool scale(const QString &reply, float &zero, float &full);
} // namespace InstrumentReply

// The instrument's command vocabulary and the operations built from it, for either main
// window (programMode picks the window's variant). The Prim operations and those named by
// a single command run inside a communication bracket opened by the caller and raise
// CommError; the others open the bracket themselves, report and return.
class ClassInstrument
{
public:
    // The settings record and the instrument.
    enum SettingsState { SettingsUnknown = 0, SettingsInStep = 1, SettingsChanged = 2 };

    explicit ClassInstrument(ClassLink &link);

    ClassLink &link() { return m_link; }

    int settingsState() const { return m_settingsState; }
    void setSettingsState(int state) { m_settingsState = state; }

    // Judges lastReply after "TYPE" and sets fieldTypeConnected: 1 when the real-time mode
    // meets a field type, 2 when the memory mode meets anything else, 0 when it fits.
    int checkModelType();
    // "TYPE" and checkModelType; a misfit is reported and raises WrongType.
    void confirmModelType();
    // ":" and the unit letter of the reading into MeasSetting.Unit.
    void readUnit();

    // Receives resolution, emissivity and (laboratory type, real-time mode) the scale into
    // MeasSetting. Settings received before a failing step stay.
    void recvMeasSettingPrim();
    // recvMeasSettingPrim, then the record is normalised and the settings are in step.
    // False after the failure report.
    bool recvMeasSetting();
    // Sends resolution, emissivity and (laboratory type, real-time mode) the scale, then
    // BACKUP. The unit is only compared (real-time mode: UnitDiffers when it differs).
    void sendMeasSettingPrim();
    bool sendMeasSetting();

    // The report that ends a failed receive or send.
    static void reportSettingsFailure(const CommError &error);

    // Menu operations, each a whole bracket.
    void confirmConnection();
    // Sets the instrument's clock to `dateTime` (a day count); true when every step was
    // acknowledged.
    bool setClock(double dateTime);
    // Asks first; true when the instrument confirmed the clearing.
    bool clrMemData();
    bool receiveSettings();
    bool sendSettings();
    // The memory window's send, reported as completed or failed.
    bool sendSettingsFromMemoryWindow();

private:
    void clrMemDataPrim(bool *cleared);
    void setClockPrim(double dateTime, bool *success);
    // The Japanese edition cannot show degrees F.
    void refuseFahrenheitInJapanese();
    void expectReply(const QString &prefix);
    // Opens the bracket, runs `work`, closes the bracket; errors end the work silently.
    template <typename Work> void bracket(Work work);

    ClassLink &m_link;
    int m_settingsState = SettingsUnknown;
};
