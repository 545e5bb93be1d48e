#include "link_errors.h"

#include "ui.h"

void ReportLinkError(const QByteArray &routine, int errNumber, const QByteArray &description) {
    const QByteArray text = "An unexpected error occurred in " + routine +
                            ".\r\nErr: " + QByteArray::number(errNumber) +
                            "\r\nError: " + description;
    ui().msgBox(text, MsgButtons::Ok, MsgIcon::Exclamation, "Kestrune Registration");
}
