#pragma once

#include <QString>

// Language state, written once at start-up by the start-up menu and only read afterwards.
extern qint16 languageFlag;   // 1 = English, 0 = Japanese
extern qint16 stringIdOffset; // 10000 when languageFlag is 1, else 0
extern QString unitLabels[2]; // labels of unit 0 and unit 1
extern QString rangeSeparator;
extern QString dispFontName;
extern QString fixedFontName;
extern QString graphFontName;
extern qint16 dispFontSize;
extern qint16 smallFontSize;

// Stores this edition's language (English).
void setLanguage();
// Derives unit labels, range separator, fonts and stringIdOffset from languageFlag.
void initLanguage();

// The one way to fetch a user-visible text: entry (stringIdOffset + id) of the string
// table. An id the table lacks gives an empty text.
QString loadString(int id);

// Entry `key` of the table exactly as stored (no offset applied).
QString stringTableEntry(int key);
