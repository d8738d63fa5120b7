#pragma once

#include <QString>

// An instrument operation's failure, raised inside the operation and caught by the one
// handler of the operation that opened the communication bracket. The handlers stay silent
// for the codes whose message was already shown where they were raised.
struct CommError {
    // Stop pressed while a reply was awaited, or a step that already reported.
    static constexpr int Stopped = 20000;
    // The port cannot be opened (reported by openPort).
    static constexpr int PortFailed = 20001;
    // No reply and the user chose Cancel (reported).
    static constexpr int NoReply = 20002;
    // A reply of the wrong form.
    static constexpr int WrongReply = 20005;
    // The instrument type does not fit the mode (reported).
    static constexpr int WrongType = 20007;
    // The instrument's unit differs from the setting.
    static constexpr int UnitDiffers = 20008;
    // A data set is full, or the measurement could not store a sample.
    static constexpr int DataFull = 21000;
    // A data set is full and the user was told.
    static constexpr int DataFullReported = 21001;

    int code = 0;
    QString description;
};
