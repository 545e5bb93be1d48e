#include "dialling_locations.h"

#include "hayes_results.h"
#include "numbered_key.h"
#include "settings.h"
#include "startup.h"
#include "text.h"

#include <algorithm>

namespace {

constexpr char kPulse[] = "Pulse";
constexpr char kTone[] = "Tone";

QByteArray ReadLocationSetting(const char *key, int number = 1) {
    return Trim(GetSetting(kSettingsApp, kLocationSection, NumberedKey(key, number)));
}

QByteArray CurrentText(int index) {
    return QByteArray::number(index + 1);
}

} // namespace

DiallingLocations ReadLocations() {
    DiallingLocations locations;
    for (int number = 1; number <= kMostLocations; ++number) {
        const QByteArray name = ReadLocationSetting("Name", number);
        if (name.isEmpty())
            break;
        const bool pulse =
            ReadLocationSetting("Dialing", number).compare(kPulse, Qt::CaseInsensitive) == 0;
        locations.list.append({name, ReadLocationSetting("Prefix", number), pulse});
    }
    if (locations.list.isEmpty())
        locations.list.append({kDefaultLocationName, {}, false});
    bool ok = false;
    const int current = ReadLocationSetting("Current").toInt(&ok) - 1;
    if (ok && current >= 0 && current < locations.list.size())
        locations.current = current;
    return locations;
}

bool IsOutsideLinePrefix(const QByteArray &prefix) {
    return prefix.size() <= kLongestOutsideLine && IsDialText(prefix);
}

QByteArray LocationProblem(const DiallingLocation &location) {
    const QByteArray name = Trim(location.name);
    if (name.isEmpty())
        return "Please enter a name for the location.";
    const bool printable = std::all_of(name.begin(), name.end(),
                                       [](char c) { return static_cast<unsigned char>(c) >= ' '; });
    if (name.size() > kLongestLocationName || !printable)
        return "The name of a location may hold at most " +
               QByteArray::number(kLongestLocationName) + " characters, and no line breaks.";
    if (!IsOutsideLinePrefix(location.outsideLine))
        return "The outside line prefix may hold only digits, \"*\", \"#\" and \",\" (a pause), "
               "at most " +
               QByteArray::number(kLongestOutsideLine) + " of them.";
    return {};
}

bool SaveLocations(const DiallingLocations &locations) {
    const qsizetype count = locations.list.size();
    if (count == 0 || count > kMostLocations || locations.current < 0 || locations.current >= count)
        return false;
    if (std::any_of(locations.list.begin(), locations.list.end(),
                    [](const DiallingLocation &l) { return !LocationProblem(l).isEmpty(); }))
        return false;
    SettingsWriter writer(kSettingsApp);
    writer.deleteSection(kLocationSection);
    for (int number = 1; number <= count; ++number) {
        const DiallingLocation &location = locations.list[number - 1];
        writer.save(kLocationSection, NumberedKey("Name", number), Trim(location.name));
        writer.save(kLocationSection, NumberedKey("Prefix", number), location.outsideLine);
        writer.save(kLocationSection, NumberedKey("Dialing", number),
                    location.pulse ? kPulse : kTone);
    }
    writer.save(kLocationSection, "Current", CurrentText(locations.current));
    return writer.commit();
}

bool SaveCurrentLocation(int index) {
    return SaveSetting(kSettingsApp, kLocationSection, "Current", CurrentText(index));
}
