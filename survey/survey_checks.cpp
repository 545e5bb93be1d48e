#include "survey_checks.h"

QList<RequiredAnswer> RequiredAnswers(int page) {
    switch (page) {
    case 0:
        return {{"cboOccupation", "Please select your occupation from the drop-down list."}};
    case 1:
        return {{"cboHowLong", "Please select how long you have been using computers from the "
                               "drop-down list."},
                {"cboRAM", "Please select the amount of RAM your computer has from the drop-down "
                           "list."},
                {"cboHDD", "Please select the size of your computer's hard disk your computer has "
                           "from the drop-down list."},
                {"cboMonitor", "Please select your monitor type from the drop-down list."}};
    case 4:
        return {{"cboFavouriteGameType",
                 "Please select your favourite game type from the drop-down list."},
                {"cboHoursMonth", "Please select the number of hours per month you play games "
                                  "from the drop-down list."}};
    case 5:
        return {
            {"cboInfluence",
             "Please select your game purchasing influence from the drop-down list."},
            {"cboGamesOwned", "Please select the number of games you own from the drop-down list."},
            {"cboPlanToBuy",
             "Please select the number of games you play to buy from the drop-down list."}};
    case 6:
        return {{"cboBuyFrom", "Please select where you purchase games from the drop-down list."}};
    default:
        return {};
    }
}
