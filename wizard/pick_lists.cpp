#include "pick_lists.h"

#include "list_search.h"
#include "text.h"

const QList<QByteArray> &StateChoices() {
    static const QList<QByteArray> states = {"ACT", "NSW", "NT", "QLD", "SA", "TAS", "VIC", "WA"};
    return states;
}

const QList<QByteArray> &BuiltInHeardAbout() {
    static const QList<QByteArray> choices = {
        "In a games magazine", "Through a game CD", "At an exhibition", "In a computer magazine",
        "In a newspaper",      "On television",     "From a friend"};
    return choices;
}

bool IsCommentLine(const QByteArray &line) {
    return line.startsWith('*');
}

void AddHeardAboutLines(QList<QByteArray> &choices, const QList<QByteArray> &fileLines) {
    for (const QByteArray &line : fileLines) {
        if (!IsCommentLine(line) && FindListEntry(choices, line) < 0)
            choices.append(line);
    }
}

ContactLines ReadContactLines(const QList<QByteArray> &fileLines) {
    ContactLines contacts;
    int counted = 0;
    for (const QByteArray &line : fileLines) {
        if (IsCommentLine(line))
            continue;
        ++counted;
        if (Trim(line).isEmpty())
            continue;
        if (counted == 1)
            contacts.webAddress = line;
        else if (counted == 2)
            contacts.supportPhone = line;
        else
            break;
    }
    return contacts;
}
