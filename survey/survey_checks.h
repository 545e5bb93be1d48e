#pragma once

#include <QList>

// The answers each step of the survey requires before it moves on: lists
// that must have an item picked, tested in this order.
struct RequiredAnswer {
    const char *list;    // the list's control name
    const char *message; // shown when nothing is picked
};

// The required lists of the page (0 to 7); none for steps 3, 4 and 8 or a
// page outside the survey.
QList<RequiredAnswer> RequiredAnswers(int page);
