#pragma once

// Drives the wizard through calls to the simulated modem and host.
#include "frmRegistration.h"
#include "scripted_ui.h"

#include <QByteArray>
#include <QString>

class QLabel;

// Names the device as the first modem.
void UseModem(const QByteArray &device);

// Types a whole registration into the four steps and submits it: No to the
// survey question, or Yes and the survey finished.
void SubmitRegistration(frmRegistration &window, ScriptedUi &ui, bool takeSurvey = false);

// The picture that the connection indicator shows in front.
const QLabel *Indicator(const frmRegistration &window);

// Waits, letting events run, until the status line reads the text.
bool WaitForStatus(const frmRegistration &window, const QString &text, int milliseconds = 5000);

// Waits until the wizard has shown so many messages.
bool WaitForMessages(const ScriptedUi &ui, qsizetype count, int milliseconds = 5000);

// The wizard is the user's: the entries can be used, and Submit (in its
// place, not Continue) on the last step.
bool Released(const frmRegistration &window);
