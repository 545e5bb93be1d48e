#pragma once

#include <QByteArray>
#include <QList>

// The places the user dials from, each with the prefix that gets an outside
// line there and its way of dialling, kept in the per-user settings, section
// "Location":
//   Name, Prefix, Dialing     the first location ("Tone" or "Pulse")
//   Name2, Prefix2, Dialing2  the second, and so on without gaps
//   Current                   the number of the location in use (1 = first)
// Without any, there is one default location: no prefix, tone dialling.

inline constexpr char kLocationSection[] = "Location";
inline constexpr char kDefaultLocationName[] = "Default Location";
inline constexpr int kMostLocations = 32;
inline constexpr int kLongestLocationName = 40;
inline constexpr int kLongestOutsideLine = 10;

struct DiallingLocation {
    QByteArray name;
    QByteArray outsideLine; // dialled before the number: digits, "*", "#", ","
    bool pulse = false;     // pulse rather than tone dialling

    bool operator==(const DiallingLocation &) const = default;
};

struct DiallingLocations {
    QList<DiallingLocation> list; // never empty
    int current = 0;              // index into list
};

DiallingLocations ReadLocations();

// Whether the prefix can go before a number in a dial command: dial
// characters only, at most kLongestOutsideLine of them.
bool IsOutsideLinePrefix(const QByteArray &prefix);

// Why a location cannot be stored; empty when it can.
QByteArray LocationProblem(const DiallingLocation &location);

// Replaces the stored locations, in one write of the settings. False when
// one of them has a problem or the settings could not be written; the
// stored ones then stay as they were.
bool SaveLocations(const DiallingLocations &locations);

// Makes the location of that index the one in use.
bool SaveCurrentLocation(int index);
