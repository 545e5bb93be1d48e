#pragma once

// SIGTERM, SIGINT and SIGHUP end the program the way its own windows do:
// through the event loop, so that the modem is hung up on the way out. The
// exit status is 128 plus the signal's number. A second such signal ends
// the program at once.
void EndProgramOnQuitSignals();
